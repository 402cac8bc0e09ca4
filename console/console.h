// Console: the text console the whole system draws on and reads keys from,
// over one screen model.
//
// The model is 80 columns by 25 rows of cells (a code page 850 character and
// an attribute, background x 16 + foreground) plus the cursor; every read-back
// reads the model, and the window is 80 x 25 whatever the real terminal is.
// Output changes only the model; the backend is given a frame when the
// program waits for input (ReadInput, WaitForInput) or sleeps, so a terminal
// receives one batch per frame.
//
// Rows and columns are 1-based, row first. Every byte written is a
// character: control bytes show their glyphs (16 is ►, 17 is ◄), as on a PC
// text screen.
#ifndef ZUL_CONSOLE_CONSOLE_H_
#define ZUL_CONSOLE_CONSOLE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console_backend.h"
#include "platform/env.h"

namespace zul {

class Console {
 public:
  Console(Env& env, ConsoleBackend& backend);
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  Env& env() { return env_; }

  // Window size: always 25 rows and 80 columns.
  int16_t Rows() const { return kScreenRows; }
  int16_t Columns() const { return kScreenColumns; }

  // Cursor. A coordinate outside the window leaves that coordinate as it is.
  void SetCursor(int16_t row, int16_t column);
  int16_t CursorRow() const { return row_; }
  int16_t CursorColumn() const { return column_ > kScreenColumns ? kScreenColumns : column_; }
  void ShowCursor(bool visible);
  bool CursorVisible() const { return frame_.cursor_visible; }

  // Colours, 0..15 each; 16 or more keeps the current one.
  void SetColours(int16_t foreground, int16_t background);
  int16_t Foreground() const { return attr_ & 15; }
  int16_t Background() const { return attr_ >> 4; }
  uint8_t Attribute() const { return attr_; }

  // Writes at the cursor in the current colours; the cursor ends after the
  // text. Past column 80 the text goes on at column 1 of the next row, and
  // past the last row the screen scrolls up; the wrap happens only when a
  // further character is written, so writing the bottom-right cell never
  // scrolls.
  void Write(std::string_view text);
  void WriteBlanks(int16_t n);
  // Writes a number through a picture: the first run of "#" is a field in
  // which the value, rounded to a whole number, stands right-aligned (a value
  // too wide for it shows "%" and all its digits, as PRINT USING did); every
  // other character of the picture stands as it is.
  void WriteNumber(double value, std::string_view picture);
  // Cursor to column 1 of the next row; on the last row the screen scrolls up.
  void NewLine();

  // Cell read-back; a position outside the window reads as a blank in the
  // current colours.
  uint8_t CellChar(int16_t row, int16_t column) const;
  uint8_t CellAttribute(int16_t row, int16_t column) const;

  // Scrolls the rectangle up (n > 0) or down by n rows; vacated rows become
  // blanks in the current colours. The rectangle is clipped to the window.
  void ScrollUp(int16_t top, int16_t left, int16_t bottom, int16_t right, int16_t n);
  void ScrollDown(int16_t top, int16_t left, int16_t bottom, int16_t right, int16_t n);
  // Blanks in the current colours, cursor to (1, 1).
  void Clear();

  // Input without waiting: "" when nothing is pending, one character, an
  // extended key as "\0" + scan code, or (while mouse reporting is on) a
  // mouse event "\xFF\xFF" + kind + button state. A second press of the same
  // button on the same cell within 400 ms is reported as a double click.
  std::string ReadInput();
  // Waits until input is pending or `milliseconds` have passed.
  void WaitForInput(int milliseconds);
  // The modifier state of the last event (Alt 2, Ctrl 8, Shift 16, or their
  // right-hand forms 1 and 4), and the position of the last mouse event.
  uint8_t Modifiers() const { return modifiers_; }
  int16_t MouseRow() const { return mouse_row_; }
  int16_t MouseColumn() const { return mouse_column_; }
  int16_t MouseButtons() { return static_cast<int16_t>(backend_.MouseButtons()); }
  void SetMouseReporting(bool on);
  bool MouseReporting() const { return mouse_reporting_; }
  // The keyboard's Insert toggle, kept for the field editor.
  bool InsertToggle() const { return insert_toggle_; }
  void SetInsertToggle(bool on) { insert_toggle_ = on; }

  void Beep();
  // Shows the pending output, then sleeps.
  void Sleep(int milliseconds);
  std::string GetClipboard() { return backend_.GetClipboard(); }
  void SetClipboard(std::string_view text) { backend_.SetClipboard(text); }

  // Starts a program with its arguments (no shell) and waits until it ends:
  // the terminal is given back to it meanwhile, and the whole screen is drawn
  // again from the model afterwards. Returns Env::RunProcess's result.
  int RunCommand(const std::vector<std::string>& argv);

  // Hands the backend the pending output now.
  void Flush();
  // The model as it stands (not necessarily presented yet).
  const ScreenFrame& Model() const { return frame_; }

 private:
  void PutChar(uint8_t ch);
  void ScrollRect(int top, int left, int bottom, int right, int n, bool up);

  Env& env_;
  ConsoleBackend& backend_;
  ScreenFrame frame_;
  // Column 81 marks a wrap pending after writing in column 80.
  int16_t row_ = 1;
  int16_t column_ = 1;
  uint8_t attr_ = 0x07;
  bool dirty_ = true;
  bool full_ = true;
  uint8_t modifiers_ = 0;
  int16_t mouse_row_ = 0;
  int16_t mouse_column_ = 0;
  bool mouse_reporting_ = false;
  bool insert_toggle_ = false;
  int64_t last_press_ms_ = -1;
  uint8_t last_press_buttons_ = 0;
  int16_t last_press_row_ = 0;
  int16_t last_press_column_ = 0;
};

}  // namespace zul

#endif  // ZUL_CONSOLE_CONSOLE_H_
