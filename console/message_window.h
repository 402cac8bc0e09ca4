// The message window: a framed, reverse-coloured box that stays on the
// screen until its caller removes it, and the rectangle scroll the help
// viewer uses.
#ifndef ZUL_CONSOLE_MESSAGE_WINDOW_H_
#define ZUL_CONSOLE_MESSAGE_WINDOW_H_

#include <cstdint>
#include <string_view>

#include "console/console_ui.h"

namespace zul {

// Shows `text`, laid out in lines of 76 columns, in a box centred on columns
// 41 and 42 whose text rows centre on `row` (moved up to fit the screen).
// The box is pushed on the window stack: the caller removes it later with
// PopWindow. The caller's text style is restored before returning. A
// message with more lines than fit between the borders keeps its first
// ScreenRows - 2 lines, so that the box is always pushed and the caller's
// PopWindow stays balanced.
void ShowMessage(ConsoleUi& ui, int16_t row, std::string_view text);

// Scrolls the rectangle from (top + 1, left + 1) to (bottom + 1, right + 1):
// up by n rows when n > 0, else down by -n rows (at least 1). Vacated rows
// become blanks in the current colours.
void ScrollRegion(Console& console, int16_t top, int16_t left, int16_t bottom, int16_t right,
                  int16_t n);

}  // namespace zul

#endif  // ZUL_CONSOLE_MESSAGE_WINDOW_H_
