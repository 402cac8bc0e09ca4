// WindowStack: the stack of saved screen regions, kept in the
// work file "WinPush.tmp" of the session's WorkDir.
//
// PushWindow saves the rectangle a pop-up is about to cover (with the cursor
// and the bounds of the window below) and makes it the active window;
// PopWindow puts every character and colour back. The file holds:
//
//   offset 0, 4 bytes: the end position, 32-bit little-endian, the 1-based
//   position of the first byte after the last entry (5 when empty); then the
//   entries, oldest first, each made of decimal digit texts (ZeroPad):
//   cursor row and column, the active window before the save (top, left,
//   bottom, right), the saved rectangle (top, left, bottom, right), two digits
//   each; the cells row by row, a character and an attribute byte each; and
//   the entry's length, 25 + 2 x cells, in five digits.
//
// The file may be shared by the programs of one session and may have been
// left behind by one that crashed, so every number read from it is checked:
// an inconsistent file restores nothing and is discarded, and the next push
// starts a fresh stack. The active window (a pushed rectangle, border
// included) gives the origin of WindowLocate and the window queries.
#ifndef ZUL_CONSOLE_WINDOW_STACK_H_
#define ZUL_CONSOLE_WINDOW_STACK_H_

#include <cstdint>
#include <string>

#include "console/console.h"
#include "platform/env.h"

namespace zul {

struct WindowRect {
  int16_t top = 0;
  int16_t left = 0;
  int16_t bottom = 0;
  int16_t right = 0;
  bool operator==(const WindowRect&) const = default;
};

class WindowStack {
 public:
  // `work_dir` is the session's WorkDir (a prefix, "" or ending in "\").
  WindowStack(Console& console, Env& env, std::string work_dir)
      : console_(console), env_(env), path_(std::move(work_dir) + "WinPush.tmp") {}

  // Saves the rectangle and makes it the active window. Draws nothing. A
  // rectangle outside the screen (a value below 1, a row above ScreenRows, a
  // column above ScreenColumns) is not saved and changes nothing.
  void PushWindow(int16_t top, int16_t left, int16_t bottom, int16_t right);
  // Restores the last saved rectangle, the cursor and the window below.
  void PopWindow();
  // Draws the active window's border in the current colours (0 blanks,
  // 1 single lines, 2 double lines) and blanks its inside; nothing when no
  // window is open.
  void DrawFrame(int16_t style);
  // The cursor at (row, column) of the active window (row + top, column +
  // left), or of the screen when no window is open.
  void WindowLocate(int16_t row, int16_t column);

  int16_t WindowFirstRow() const { return depth_ > 0 ? active_.top + 1 : 1; }
  int16_t WindowFirstColumn() const { return depth_ > 0 ? active_.left + 1 : 1; }
  int16_t WindowLastColumn() const { return depth_ > 0 ? active_.right - 1 : ScreenColumns(); }
  int16_t ScreenRows() const { return console_.Rows(); }
  int16_t ScreenColumns() const { return console_.Columns(); }

  int16_t Depth() const { return depth_; }
  const WindowRect& ActiveWindow() const { return active_; }
  // The work file's suite path.
  const std::string& Path() const { return path_; }

 private:
  // Forgets the stack: the file is removed and nothing is open.
  void Discard();

  Console& console_;
  Env& env_;
  std::string path_;
  int16_t depth_ = 0;
  WindowRect active_;
};

}  // namespace zul

#endif  // ZUL_CONSOLE_WINDOW_STACK_H_
