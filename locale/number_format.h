// Numeric edit masks: how every number of the suite is shown.
//
// A mask is a text whose placeholders receive the digits of a value,
// right-aligned:
//   "9"      digit; "0" where the value has none
//   "Z" "z"  digit; leading positions blank, trailing decimal zeros blank
//   "*"      digit; leading positions "*"
//   "."      decimal point, shown as the decimal character; the digit
//            placeholders right after it give the number of decimals
//   ","      thousands separator between digits, otherwise the fill of the
//            position to its right
//   "-" "+"  sign: "-" for a negative value; a blank, or "+", otherwise
// Any other character is copied. Without a sign position the "-" of a
// negative value goes to the first free position left of the digits.
//
// Guarantees: the result has exactly the mask's length, for any mask and any
// value. The value is rounded half to even, as stored, to the mask's
// decimals. A value too wide for its digit positions falls back to its plain
// digits, right-aligned and cut on the right; when even its integer part and
// sign do not fit, for NaN and infinities, and for a value that cannot be
// scaled to the mask's decimals in a double, the result is all "!".
//
// NumberFormat reads the user's decimal and thousands characters once, at its
// first use, from the settings file named by the environment variable
// ZULROOT followed by "Nuri.ini" (section "Usuari", keys "DecCaracter" and
// "MilCaracter"), and keeps them for the run.
#ifndef ZUL_LOCALE_NUMBER_FORMAT_H_
#define ZUL_LOCALE_NUMBER_FORMAT_H_

#include <string>
#include <string_view>

#include "platform/env.h"

namespace zul {

// The characters shown for the mask's "." and ",".
struct NumberSeparators {
  char decimal = '\'';
  char thousands = '.';
};

// Formats with the given separators; reads nothing.
std::string FormatNumber(std::string_view mask, double value, NumberSeparators separators);

class NumberFormat {
 public:
  // `env` must outlive the object.
  explicit NumberFormat(Env& env) : env_(env) {}
  NumberFormat(const NumberFormat&) = delete;
  NumberFormat& operator=(const NumberFormat&) = delete;

  std::string FormatNumber(std::string_view mask, double value);

  // The user's separators, read at the first call of either function.
  const NumberSeparators& Separators();

 private:
  Env& env_;
  bool loaded_ = false;
  NumberSeparators separators_;
};

}  // namespace zul

#endif  // ZUL_LOCALE_NUMBER_FORMAT_H_
