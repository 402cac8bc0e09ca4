// HeadlessBackend: the console backend of tests.
//
// Input comes from a script of events (keys with their modifier state, mouse
// events, pauses in the Env's clock, and actions that run when the script
// reaches them, for looking at the screen half-way). Output is kept as the
// last frame presented, which tests read as text. Beeps, clipboard writes,
// mouse reporting and the suspends around child processes are recorded.
//
// A program that keeps waiting after the script has run out would wait for
// ever in virtual time; instead, after an hour of virtual time (or 100000
// empty polls) the backend marks the script as overrun and answers Esc to
// every poll, so that the program unwinds and the test can fail cleanly.
#ifndef ZUL_PLATFORM_HEADLESS_BACKEND_H_
#define ZUL_PLATFORM_HEADLESS_BACKEND_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console_backend.h"
#include "platform/env.h"

namespace zul {

class HeadlessBackend : public ConsoleBackend {
 public:
  // `env` supplies the clock for pauses (a TestEnv in tests).
  explicit HeadlessBackend(Env& env) : env_(env) {}

  // Script.
  void Key(uint16_t key, uint8_t modifiers = 0) { Add(InputEvent::Key(key, modifiers)); }
  // Each character of a UTF-8 text as a key; characters code page 850
  // cannot show are skipped, as a terminal would.
  void Type(std::string_view utf8);
  void Mouse(uint8_t kind, uint8_t buttons, int16_t row, int16_t column, uint8_t modifiers = 0) {
    Add(InputEvent::Mouse(kind, buttons, row, column, modifiers));
  }
  // A press and a release of button 1 at (row, column).
  void Click(int16_t row, int16_t column);
  // No input until `milliseconds` of the Env's clock have passed.
  void Pause(int64_t milliseconds);
  // Runs `action` when the script reaches it (before the events after it).
  void Then(std::function<void()> action);
  void Add(const InputEvent& event);
  bool ScriptDone() const { return script_.empty(); }
  bool Overrun() const { return overrun_; }

  // Records.
  const ScreenFrame& LastFrame() const { return frame_; }
  int Frames() const { return frames_; }
  int FullFrames() const { return full_frames_; }
  int Beeps() const { return beeps_; }
  const std::vector<std::string>& ClipboardWrites() const { return clipboard_writes_; }
  bool MouseReporting() const { return mouse_reporting_; }
  int Suspends() const { return suspends_; }
  bool Suspended() const { return suspended_; }
  // The number of mouse buttons reported (2 unless changed).
  void SetMouseButtons(int buttons) { mouse_buttons_ = buttons; }
  // The process-wide clipboard as another program left it.
  void SetClipboardText(std::string cp850) { clipboard_ = std::move(cp850); }

  // ConsoleBackend.
  void Present(const ScreenFrame& frame, bool full) override;
  bool PollInput(InputEvent* event) override;
  void WaitForInput(int milliseconds) override;
  int MouseButtons() override { return mouse_buttons_; }
  void SetMouseReporting(bool on) override { mouse_reporting_ = on; }
  void Beep() override { ++beeps_; }
  void SetClipboard(std::string_view text) override;
  std::string GetClipboard() override { return clipboard_; }
  void Suspend() override;
  void Resume() override { suspended_ = false; }

 private:
  struct Step {
    enum class Kind { kEvent, kPause, kAction } kind;
    InputEvent event;
    int64_t pause_ms = 0;
    std::function<void()> action;
  };
  // Runs due actions and ends elapsed pauses; true when an event is next.
  bool Advance();
  void NoteIdle(int64_t milliseconds);

  Env& env_;
  std::deque<Step> script_;
  int64_t pause_deadline_ = -1;
  int64_t idle_ms_ = 0;
  int64_t idle_polls_ = 0;
  bool overrun_ = false;

  ScreenFrame frame_;
  int frames_ = 0;
  int full_frames_ = 0;
  int beeps_ = 0;
  std::vector<std::string> clipboard_writes_;
  std::string clipboard_;
  bool mouse_reporting_ = false;
  int mouse_buttons_ = 2;
  int suspends_ = 0;
  bool suspended_ = false;
};

}  // namespace zul

#endif  // ZUL_PLATFORM_HEADLESS_BACKEND_H_
