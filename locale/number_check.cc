#include "locale/number_check.h"

#include <cmath>
#include <string>

#include "core/text.h"

namespace zul {

bool CheckNumberText(std::string_view text, std::string_view allowed) {
  bool point_blocked = allowed.find('.') == std::string_view::npos;
  bool sign_blocked = allowed.find_first_of("-+") == std::string_view::npos;
  bool error = false;
  for (const char c : text) {
    if (c == '+' || c == '-') {
      error = error || sign_blocked;
      sign_blocked = true;
    } else if (c == '.') {
      error = error || point_blocked;
      point_blocked = true;
      sign_blocked = true;
    } else if (c >= '0' && c <= '9') {
      sign_blocked = true;
    } else if (c != ' ') {
      error = true;
    }
  }
  return error;
}

int16_t CheckNumber(std::string_view text, double min, double max, int16_t decimals) {
  // Written so that a NaN bound fails the check too.
  if (!(min <= max) || decimals < 0 || decimals > 16) return -1;
  std::string allowed;
  if (decimals > 0) allowed += '.';
  if (min < 0) allowed += '-';
  if (CheckNumberText(text, allowed)) return -1;
  double scale = 1;  // every power of ten up to 10^16 is exact in a double
  for (int16_t k = 0; k < decimals; ++k) scale *= 10;
  const double value = std::floor(LeadingNumber(text, " \t\r\n") * scale + 0.5);
  const double low = std::floor(min * scale);
  const double high = std::floor(max * scale + 0.5);
  return value < low || value > high ? -1 : 0;
}

}  // namespace zul
