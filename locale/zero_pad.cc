#include "locale/zero_pad.h"

#include <charconv>
#include <cmath>

namespace zul {

std::string ZeroPad(double value, int16_t width) {
  if (width <= 0) return "";
  if (!std::isfinite(value)) value = 0;
  // As printf's "%.15g", but in the C locale whatever the process's locale.
  char digits[64];
  const auto end = std::to_chars(digits, digits + sizeof digits, std::fabs(value),
                                 std::chars_format::general, 15)
                       .ptr;
  std::string text = std::string(static_cast<size_t>(width), '0') + std::string(digits, end);
  return text.substr(text.size() - static_cast<size_t>(width));
}

}  // namespace zul
