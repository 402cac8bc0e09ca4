// Zero-padded number text, as the window stack file and the calendar write
// their numbers.
#ifndef ZUL_LOCALE_ZERO_PAD_H_
#define ZUL_LOCALE_ZERO_PAD_H_

#include <cstdint>
#include <string>

namespace zul {

// The value's decimal text (up to 15 significant digits, no sign, no leading
// blank) with "0" characters in front, cut to its last `width` characters.
// Meant for whole numbers of at least 0: -5 with width 2 gives "05".
std::string ZeroPad(double value, int16_t width);

}  // namespace zul

#endif  // ZUL_LOCALE_ZERO_PAD_H_
