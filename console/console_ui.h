// ConsoleUi: the console layer's process-wide state for one run, in one
// place: the console, the text styles, the window stack, and what they need
// of the session. The run's context owns one; the message window, the help
// viewer and the form engine take it by reference.
#ifndef ZUL_CONSOLE_CONSOLE_UI_H_
#define ZUL_CONSOLE_CONSOLE_UI_H_

#include "config/session.h"
#include "console/console.h"
#include "console/text_styles.h"
#include "console/window_stack.h"
#include "platform/env.h"

namespace zul {

class ConsoleUi {
 public:
  // `session` must outlive the object; its colours and WorkDir are read here.
  ConsoleUi(Env& env, Console& console, const Session& session)
      : env_(env),
        console_(console),
        session_(session),
        styles_(console, session.ScreenColours()),
        windows_(console, env, session.WorkDir()) {}
  ConsoleUi(const ConsoleUi&) = delete;
  ConsoleUi& operator=(const ConsoleUi&) = delete;

  Env& env() { return env_; }
  Console& console() { return console_; }
  const Session& session() const { return session_; }
  TextStyles& styles() { return styles_; }
  WindowStack& windows() { return windows_; }

  // The most used operations, under their usual names.
  void SetTextStyle(std::string_view code) { styles_.SetTextStyle(code); }
  void PushWindow(int16_t top, int16_t left, int16_t bottom, int16_t right) {
    windows_.PushWindow(top, left, bottom, right);
  }
  void PopWindow() { windows_.PopWindow(); }
  void DrawFrame(int16_t style) { windows_.DrawFrame(style); }
  void WindowLocate(int16_t row, int16_t column) { windows_.WindowLocate(row, column); }

 private:
  Env& env_;
  Console& console_;
  const Session& session_;
  TextStyles styles_;
  WindowStack windows_;
};

}  // namespace zul

#endif  // ZUL_CONSOLE_CONSOLE_UI_H_
