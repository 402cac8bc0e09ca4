// ConsoleBackend: what the console layer (console/) needs of a real or fake
// text terminal.
//
// The console owns the screen model; a backend only shows frames of it and
// delivers input. The terminal backend (terminal_backend.h) draws on a Linux
// terminal; the headless backend (headless_backend.h) runs tests. Frames are
// handed over only when the program waits for input or sleeps, so a backend
// writes one batch of output per frame.
#ifndef ZUL_PLATFORM_CONSOLE_BACKEND_H_
#define ZUL_PLATFORM_CONSOLE_BACKEND_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

inline constexpr int kScreenRows = 25;
inline constexpr int kScreenColumns = 80;

// One cell of the screen: a code page 850 character and its attribute
// (background x 16 + foreground, the 16 PC colours).
struct ScreenCell {
  uint8_t ch = ' ';
  uint8_t attr = 0x07;
  bool operator==(const ScreenCell&) const = default;
};

// What a backend shows: every cell, row by row, and the cursor (1-based).
struct ScreenFrame {
  std::array<ScreenCell, kScreenRows * kScreenColumns> cells;
  int16_t cursor_row = 1;
  int16_t cursor_column = 1;
  bool cursor_visible = true;

  ScreenCell& At(int row, int column) { return cells[(row - 1) * kScreenColumns + (column - 1)]; }
  const ScreenCell& At(int row, int column) const {
    return cells[(row - 1) * kScreenColumns + (column - 1)];
  }
  bool operator==(const ScreenFrame&) const = default;
};

// The modifier state of an input event, as the console reports it:
// Alt 1 (right) or 2 (left), Ctrl 4 (right) or 8 (left), Shift 16. Terminals
// cannot tell left from right; backends report the left keys.
inline constexpr uint8_t kModRightAlt = 1;
inline constexpr uint8_t kModAlt = 2;
inline constexpr uint8_t kModRightCtrl = 4;
inline constexpr uint8_t kModCtrl = 8;
inline constexpr uint8_t kModShift = 16;

// Mouse event kinds and button bits.
inline constexpr uint8_t kMouseMove = 1;
inline constexpr uint8_t kMouseDoubleClick = 2;
inline constexpr uint8_t kMousePress = 4;
inline constexpr uint8_t kMouseRelease = 8;
inline constexpr uint8_t kMouseButton1 = 1;
inline constexpr uint8_t kMouseButton2 = 2;

struct InputEvent {
  enum class Type : uint8_t { kKey, kMouse };
  Type type = Type::kKey;
  // Keys: a character 1..255, or an extended key as scan code x 256 in its
  // plain form ("4b00" for Left whatever the modifiers).
  uint16_t key = 0;
  uint8_t modifiers = 0;
  // Mouse: kind, button state (after the event) and 1-based position.
  uint8_t mouse_kind = 0;
  uint8_t buttons = 0;
  int16_t row = 0;
  int16_t column = 0;

  static InputEvent Key(uint16_t key, uint8_t modifiers = 0) {
    InputEvent e;
    e.key = key;
    e.modifiers = modifiers;
    return e;
  }
  static InputEvent Mouse(uint8_t kind, uint8_t buttons, int16_t row, int16_t column,
                          uint8_t modifiers = 0) {
    InputEvent e;
    e.type = Type::kMouse;
    e.mouse_kind = kind;
    e.buttons = buttons;
    e.row = row;
    e.column = column;
    e.modifiers = modifiers;
    return e;
  }
  bool operator==(const InputEvent&) const = default;
};

class ConsoleBackend {
 public:
  virtual ~ConsoleBackend() = default;

  // Shows `frame`. `full` asks for every cell to be drawn again (after a child
  // process had the terminal); otherwise only what changed since the last
  // frame need be sent.
  virtual void Present(const ScreenFrame& frame, bool full) = 0;

  // The next pending input event, without waiting; false when none.
  virtual bool PollInput(InputEvent* event) = 0;
  // Waits until input is pending or `milliseconds` have passed.
  virtual void WaitForInput(int milliseconds) = 0;

  // Mouse: the number of buttons (0: no mouse), and reporting on or off.
  virtual int MouseButtons() = 0;
  virtual void SetMouseReporting(bool on) = 0;

  virtual void Beep() = 0;
  // Clipboard text in code page 850.
  virtual void SetClipboard(std::string_view text) = 0;
  virtual std::string GetClipboard() = 0;

  // Suspend gives the terminal back (for a child process); Resume takes it
  // again. The console presents a full frame after Resume.
  virtual void Suspend() = 0;
  virtual void Resume() = 0;
};

// The PC scan code of Alt with a letter (a-z or A-Z; Alt+X is 2d), 0 for
// any other character.
uint8_t AltLetterScanCode(char letter);

// The screen as UTF-8 text, one line per row ending in "\n", trailing blanks
// cut. With `attributes`, each row is followed by a line of the attributes of
// its cells, two hexadecimal digits per cell (background, foreground).
std::string DumpScreenText(const ScreenFrame& frame, bool attributes = false);

}  // namespace zul

#endif  // ZUL_PLATFORM_CONSOLE_BACKEND_H_
