// zulkeys: shows what the system receives from the terminal, so that users
// can check theirs.
//
// Every key and mouse event is shown as the system's code: four hexadecimal
// digits for a key with its Alt, Ctrl and Shift forms ("4b00" Left, "7300"
// Ctrl+Left, "2d00" Alt+X), a negative number for a mouse click at a column
// and row ("-1205" is column 12, row 5). A frame and a line of accented
// letters show whether the terminal draws code page 850. Esc pressed twice
// ends it.
//
//   zulkeys [--log FILE]   with --log, every event's code is also appended
//                          to FILE, one per line
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "config/session.h"
#include "console/console.h"
#include "console/console_ui.h"
#include "console/key_codes.h"
#include "console/message_window.h"
#include "core/text.h"
#include "platform/posix_env.h"
#include "platform/terminal_backend.h"

namespace {

constexpr char kUsage[] =
    "usage: zulkeys [--log FILE]\n"
    "\n"
    "Shows each key and mouse event as the code the system receives, draws a\n"
    "frame and accented letters, and ends when Esc is pressed twice. With\n"
    "--log every code is also appended to FILE, one per line.\n";

// Accented letters, box drawing and the arrows, in code page 850.
constexpr char kLetters[] =
    "\x85\xA0\x8A\x82\x8D\xA1\x8B\x95\xA2\x97\xA3\x81\x87\xA4 "  // àáèéìíïòóùúüçñ
    "\xB7\xB5\xD4\x90\xDE\xD6\xE3\xE0\xEB\xE9\x80\xA5 "          // ÀÁÈÉÌÍÒÓÙÚÇÑ
    "\xB0\xB1\xB2\xDB \x11 \x10 \xF8 \xAB";                      // ░▒▓█ ◄ ► ° ½

constexpr int16_t kLogTop = 8;  // screen rows of the event log
constexpr int16_t kLogBottom = 20;

std::string MouseKind(uint8_t kind) {
  switch (kind) {
    case 1:
      return "move";
    case 2:
      return "double click";
    case 4:
      return "press";
    case 8:
      return "release";
    default:
      return "?";
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string log_path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--log" && i + 1 < argc) {
      log_path = argv[++i];
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  FILE* log = nullptr;
  if (!log_path.empty()) {
    log = std::fopen(log_path.c_str(), "a");
    if (!log) {
      std::fprintf(stderr, "zulkeys: cannot open %s: %s\n", log_path.c_str(), std::strerror(errno));
      return 2;
    }
    std::setvbuf(log, nullptr, _IOLBF, 0);
  }

  std::string error;
  std::unique_ptr<zul::TerminalBackend> terminal = zul::TerminalBackend::Open(&error);
  if (!terminal) {
    std::fprintf(stderr, "zulkeys: %s\n", error.c_str());
    return 2;
  }
  zul::PosixEnv env;
  // The window stack needs a work directory of its own.
  char work[] = "/tmp/zulkeys.XXXXXX";
  if (!::mkdtemp(work)) {
    std::fprintf(stderr, "zulkeys: cannot make a work directory: %s\n", std::strerror(errno));
    return 2;
  }
  zul::SessionValues values;
  values.work_dir = std::string(work) + "/";
  values.screen_colours = {{{15, 1}, {7, 1}, {0, 7}, {0, 7}, {0, 7}}};
  const zul::Session session(values);
  zul::Console console(env, *terminal);
  zul::ConsoleUi ui(env, console, session);

  console.ShowCursor(false);
  console.SetColours(7, 0);
  console.Clear();
  console.SetColours(15, 0);
  console.Write(" zulkeys: each key and mouse event as the system's code. Esc twice ends.");
  ui.SetTextStyle("n");
  ui.PushWindow(3, 1, 22, 80);
  ui.DrawFrame(2);
  ui.SetTextStyle("h");
  ui.WindowLocate(1, 2);
  console.Write(kLetters);
  ui.WindowLocate(2, 2);
  console.Write("\xDA\xC4\xC2\xC4\xBF \xC9\xCD\xCB\xCD\xBB \xB3 \xBA  mouse buttons: " +
                std::to_string(console.MouseButtons()));
  ui.WindowLocate(3, 2);
  console.Write(std::string(76, '\xC4'));
  ui.SetTextStyle("n");
  console.SetMouseReporting(true);

  int escapes = 0;
  int16_t line = kLogTop;
  for (;;) {
    const std::string input = console.ReadInput();
    if (input.empty()) {
      console.WaitForInput(200);
      continue;
    }
    std::string code, text;
    if (input.size() == 4) {
      const uint8_t kind = static_cast<uint8_t>(input[2]);
      const int16_t row = console.MouseRow(), column = console.MouseColumn();
      code = kind == zul::kMousePress ? zul::KeyCodeText(zul::MouseClickCode(row, column))
                                      : MouseKind(kind);
      text = "mouse " + MouseKind(kind) + ", buttons " +
             std::to_string(static_cast<uint8_t>(input[3])) + ", row " + std::to_string(row) +
             ", column " + std::to_string(column);
      escapes = 0;
    } else {
      const int16_t plain = zul::KeyCodeOf(input);
      const int16_t key = zul::KeyCodeWithModifiers(plain, console.Modifiers());
      code = zul::KeyCodeText(key);
      text = "key, console " + zul::KeyCodeText(plain) + ", modifiers " +
             std::to_string(console.Modifiers());
      if (plain > 32 && plain < 256)
        text += ", character " + std::string(1, static_cast<char>(plain));
      escapes = key == zul::kKeyEsc ? escapes + 1 : 0;
    }
    if (log) std::fprintf(log, "%s\n", code.c_str());
    if (line > kLogBottom) {
      zul::ScrollRegion(console, kLogTop - 1, 1, kLogBottom - 1, 78, 1);
      line = kLogBottom;
    }
    console.SetCursor(line, 3);
    console.Write(zul::FitText(zul::FitText(code, 15) + text, 76));
    ++line;
    if (escapes >= 2) break;
  }
  ui.PopWindow();
  console.Flush();
  terminal.reset();
  ::rmdir(work);
  if (log) std::fclose(log);
  return 0;
}
