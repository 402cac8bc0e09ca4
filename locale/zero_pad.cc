#include "locale/zero_pad.h"

#include <cmath>
#include <cstdio>

namespace zul {

std::string ZeroPad(double value, int16_t width) {
  if (width <= 0) return "";
  char digits[64];
  if (!std::isfinite(value)) value = 0;
  std::snprintf(digits, sizeof digits, "%.15g", std::fabs(value));
  std::string text = std::string(static_cast<size_t>(width), '0') + digits;
  return text.substr(text.size() - static_cast<size_t>(width));
}

}  // namespace zul
