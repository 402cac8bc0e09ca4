// TextStyles: the five text styles and the stack that lets a
// pop-up restore its caller's style.
//
// Style s shows foreground ScreenColours(s, 0) on background ScreenColours(s, 1):
// 0 highlight, 1 normal, 2 reverse, 3 reverse normal, 4 underline. A style
// code holds letters ("n", "h", "u", "r", "rh"), "+" to save the style in
// force first, or "-" to go back to the last saved one.
#ifndef ZUL_CONSOLE_TEXT_STYLES_H_
#define ZUL_CONSOLE_TEXT_STYLES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "config/session.h"
#include "console/console.h"

namespace zul {

class TextStyles {
 public:
  TextStyles(Console& console, const ColourTable& colours) : console_(console), colours_(colours) {}

  // Applies a style code: a blank code changes nothing; "+" saves
  // the current style; "-" restores the last saved one (style 0 when none is
  // saved); otherwise "U" gives 4, else "R" counts 2 and "N" 1.
  void SetTextStyle(std::string_view code);

  int16_t CurrentStyle() const { return current_; }
  // The saved styles, one byte each, most recent last.
  const std::string& SavedStyles() const { return saved_; }

 private:
  Console& console_;
  ColourTable colours_;
  int16_t current_ = 0;
  std::string saved_;
};

}  // namespace zul

#endif  // ZUL_CONSOLE_TEXT_STYLES_H_
