// Packed digits: the suite's storage form for digit strings such as dates and
// community codes. Two decimal digits d1 d2 share one byte, 128 + 10*d1 + d2,
// so a packed byte is always 128 to 227 and never zero. A packed date is four
// bytes (year in bytes 1 and 2, month, day) that compare chronologically byte
// by byte.
#ifndef ZUL_CORE_PACKED_DIGITS_H_
#define ZUL_CORE_PACKED_DIGITS_H_

#include <string>
#include <string_view>

namespace zul {

// Packs a digit text. The text is trimmed of spaces and right-aligned in its
// own length with "0" in front, remaining spaces count as "0", and each pair
// of characters becomes one byte; a non-digit, or a position past the end,
// counts as 0. "15821005" packs to 143 210 138 133; "123" to two bytes that
// unpack to "1230".
std::string PackDigits(std::string_view digits);

// Unpacks: each byte b gives two digits, the value of (b AND 127) as two
// decimal characters (the last two when it has three).
std::string UnpackDigits(std::string_view packed);

}  // namespace zul

#endif  // ZUL_CORE_PACKED_DIGITS_H_
