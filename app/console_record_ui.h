// ConsoleRecordUi: the record layer's messages on the program's console.
//
// The access message and the lock message are shown as message boxes with
// ShowMessage and removed with PopWindow; keys are read from the console.
// What it means to close the program's own files and to end the program is
// the program's: it is handed in, so that tests can watch it happen.
#ifndef ZUL_APP_CONSOLE_RECORD_UI_H_
#define ZUL_APP_CONSOLE_RECORD_UI_H_

#include <functional>
#include <string>
#include <utility>

#include "console/console_ui.h"
#include "db/record_ui.h"

namespace zul {

class ConsoleRecordUi : public RecordUi {
 public:
  ConsoleRecordUi(ConsoleUi& ui, std::function<void()> close_program_files,
                  std::function<void(int)> end_program)
      : ui_(ui),
        close_program_files_(std::move(close_program_files)),
        end_program_(std::move(end_program)) {}

  void ShowMessage(int16_t row, const std::string& text) override;
  void PopWindow() override;
  void Beep() override;
  void DiscardTypeAhead() override;
  int16_t WaitForKey() override;
  void CloseProgramFiles() override;
  void EndProgram(int exit_code) override;

 private:
  ConsoleUi& ui_;
  std::function<void()> close_program_files_;
  std::function<void(int)> end_program_;
};

}  // namespace zul

#endif  // ZUL_APP_CONSOLE_RECORD_UI_H_
