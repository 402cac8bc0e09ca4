// TerminalBackend: the console backend on a Linux terminal (xterm-compatible
// emulators, the Linux console, tmux, screen, over SSH).
//
// Input and output go to /dev/tty, so redirecting stdout or stderr does not
// disturb the screen. Output is described by the terminal's terminfo entry
// (with xterm sequences where the entry lacks one); code page 850 is shown as
// Unicode (UTF-8), and the 16 PC colours map to the terminal's 16 colours (on
// an 8-colour terminal the bright foregrounds are drawn bold). Each frame is
// built in memory and sent in one write with only the cells that changed.
//
// The 80 x 25 screen stands at the top left of a larger terminal; a smaller
// one shows a notice to enlarge it, and the whole screen is drawn again when
// the terminal has grown. Input is decoded by TerminalInputDecoder, with an
// ESC delay of 30 ms for Alt keys.
//
// The terminal is restored (colours, cursor, keypad and mouse modes, the
// normal screen and the line discipline) when the object is destroyed, at
// exit(), and on SIGINT, SIGTERM, SIGHUP, SIGQUIT and the crash signals
// (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT), after which the signal takes
// its normal course. While a child process has the terminal (Suspend to
// Resume), Ctrl+C and Ctrl+\ reach the child only. Only one TerminalBackend
// may be open at a time.
#ifndef ZUL_PLATFORM_TERMINAL_BACKEND_H_
#define ZUL_PLATFORM_TERMINAL_BACKEND_H_

#include <termios.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/console_backend.h"
#include "platform/terminal_input.h"

namespace zul {

class TerminalBackend : public ConsoleBackend {
 public:
  // Opens /dev/tty and takes the terminal. nullptr, with the reason in
  // `*error`, when there is no terminal.
  static std::unique_ptr<TerminalBackend> Open(std::string* error);
  // Takes the terminal on an open descriptor with the given terminal type
  // (the benchmark uses a pseudo-terminal). The descriptor is not closed.
  static std::unique_ptr<TerminalBackend> OpenOn(int fd, const std::string& term,
                                                 std::string* error);

  ~TerminalBackend() override;
  TerminalBackend(const TerminalBackend&) = delete;
  TerminalBackend& operator=(const TerminalBackend&) = delete;

  void Present(const ScreenFrame& frame, bool full) override;
  bool PollInput(InputEvent* event) override;
  void WaitForInput(int milliseconds) override;
  int MouseButtons() override { return mouse_buttons_; }
  void SetMouseReporting(bool on) override;
  void Beep() override;
  void SetClipboard(std::string_view text) override;
  std::string GetClipboard() override { return clipboard_; }
  void Suspend() override;
  void Resume() override;

  // What was sent so far: bytes and write calls (for the benchmark).
  int64_t BytesWritten() const { return bytes_written_; }
  int64_t Writes() const { return writes_; }
  // The terminal's size as last seen.
  int TerminalRows() const { return term_rows_; }
  int TerminalColumns() const { return term_columns_; }

 private:
  TerminalBackend(int fd, bool own_fd);
  bool Init(const std::string& term, std::string* error);
  // `type` is the terminal type (TERM).
  void LoadCapabilities(const std::string& type);
  void Enter();
  void Leave();
  // Re-reads the terminal size; true when it changed.
  bool UpdateSize();
  void HandleResize();
  // Builds the frame's bytes into out_ (everything when `full`).
  void Render(const ScreenFrame& frame, bool full);
  void MoveTo(int row, int column);  // 1-based
  void SendPending();
  // Reads what the terminal has sent, waiting up to `milliseconds`.
  bool ReadInput(int milliseconds);
  std::string Cap(const char* name, const char* fallback);
  std::string CursorAddress(int row, int column);  // 0-based

  int fd_;
  bool own_fd_;
  bool entered_ = false;
  bool handlers_installed_ = false;
  struct termios saved_ {};
  TerminalInputDecoder decoder_;

  // Capabilities.
  std::string cup_;  // unexpanded, for tiparm
  std::string enter_, leave_;
  std::string sgr0_, bold_, civis_, cnorm_, clear_, bel_;
  std::array<std::string, 256> attr_seq_;
  std::array<std::string, 256> glyph_;
  bool have_terminfo_ = false;

  // What the terminal shows.
  ScreenFrame shown_;
  ScreenFrame model_;  // the last frame presented, for redraws
  bool have_model_ = false;
  bool shown_valid_ = false;
  int cursor_row_ = -1, cursor_column_ = -1;  // the terminal's, 1-based; -1 unknown
  int attr_ = -1;
  int cursor_visible_ = -1;
  int term_rows_ = 0, term_columns_ = 0;
  bool too_small_ = false;
  bool mouse_on_ = false;
  int mouse_buttons_ = 0;
  std::string clipboard_;
  std::string out_;
  int64_t bytes_written_ = 0;
  int64_t writes_ = 0;
};

}  // namespace zul

#endif  // ZUL_PLATFORM_TERMINAL_BACKEND_H_
