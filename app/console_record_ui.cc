#include "app/console_record_ui.h"

#include "console/key_codes.h"
#include "console/message_window.h"

namespace zul {

void ConsoleRecordUi::ShowMessage(int16_t row, const std::string& text) {
  zul::ShowMessage(ui_, row, text);
}

void ConsoleRecordUi::PopWindow() { ui_.PopWindow(); }

void ConsoleRecordUi::Beep() { ui_.console().Beep(); }

void ConsoleRecordUi::DiscardTypeAhead() { zul::DiscardTypeAhead(ui_.console()); }

int16_t ConsoleRecordUi::WaitForKey() { return zul::WaitForKey(ui_.console()); }

void ConsoleRecordUi::CloseProgramFiles() {
  if (close_program_files_) close_program_files_();
}

void ConsoleRecordUi::EndProgram(int exit_code) {
  // The screen must show the last state before the terminal is given back.
  ui_.console().Flush();
  end_program_(exit_code);
}

}  // namespace zul
