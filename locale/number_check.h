// Checks of numbers typed by the user: which characters a number may hold,
// and whether its value lies in a field's range with its number of decimals.
//
// A typed number is blanks, at most one sign before its first digit or
// point, digits, and at most one decimal point; blanks may stand anywhere,
// and the first blank after a digit ends the value that is read. Both checks
// take texts of any length and any bytes.
#ifndef ZUL_LOCALE_NUMBER_CHECK_H_
#define ZUL_LOCALE_NUMBER_CHECK_H_

#include <cstdint>
#include <string_view>

namespace zul {

// True when `text` is NOT an acceptable number. `allowed` may hold "." (a
// decimal point may be typed) and "-" or "+" (a sign may be typed).
bool CheckNumberText(std::string_view text, std::string_view allowed);

// 0 when `text` is an acceptable number whose value, rounded to `decimals`
// decimals (0 to 16), lies between `min` (not rounded) and `max` (rounded);
// -1 otherwise, and for a range or a number of decimals that cannot be.
// A point may be typed only when decimals > 0, a sign only when min < 0.
int16_t CheckNumber(std::string_view text, double min, double max, int16_t decimals);

}  // namespace zul

#endif  // ZUL_LOCALE_NUMBER_CHECK_H_
