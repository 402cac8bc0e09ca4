// Shared text helpers for code page 850 byte strings.
//
// Every text inside the system is a std::string of code page 850 bytes. These
// helpers are the one place where the suite's basic text rules live: trimming
// removes spaces (byte 32) only, never tabs; fixed-width fields are cut or
// filled with spaces on the right; case-insensitive comparison upper-cases
// a-z and the seven letters ä ö ü é ñ å ç, and nothing else.
#ifndef ZUL_CORE_TEXT_H_
#define ZUL_CORE_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace zul {

// Upper-cases one byte the way settings sections, keys and command letters are
// compared: a-z to A-Z and ä ö ü é ñ å ç to Ä Ö Ü É Ñ Å Ç. Other bytes stay.
char UpperChar(char c);
std::string UpperText(std::string_view text);

// True when both texts are equal once upper-cased with UpperChar.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Removes spaces (byte 32 only) from the left, the right or both ends.
std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);
std::string_view Trim(std::string_view text);

// Cuts the text to `width` bytes or fills it with spaces on the right.
std::string FitText(std::string_view text, size_t width);

// The numeric value of a text read from its start: the bytes of `skip` are
// skipped first, then an optional sign, digits and at most one decimal point
// are taken, stopping at the first other byte. A text without digits gives 0.
double LeadingNumber(std::string_view text, std::string_view skip = " ");

}  // namespace zul

#endif  // ZUL_CORE_TEXT_H_
