#include "core/packed_digits.h"

#include "core/text.h"

namespace zul {

std::string PackDigits(std::string_view digits) {
  const size_t n = digits.size();
  std::string aligned = std::string(n, '0') + std::string(Trim(digits));
  aligned = aligned.substr(aligned.size() - n);
  for (char& c : aligned) {
    if (c == ' ') c = '0';
  }
  auto digit_at = [&aligned](size_t i) {
    if (i >= aligned.size()) return 0;
    const char c = aligned[i];
    return c >= '0' && c <= '9' ? c - '0' : 0;
  };
  std::string packed;
  for (size_t i = 0; i < (n + 1) / 2; ++i) {
    packed.push_back(static_cast<char>(128 + 10 * digit_at(2 * i) + digit_at(2 * i + 1)));
  }
  return packed;
}

std::string UnpackDigits(std::string_view packed) {
  std::string out;
  out.reserve(packed.size() * 2);
  for (char c : packed) {
    const int value = static_cast<unsigned char>(c) & 127;
    out.push_back(static_cast<char>('0' + (value / 10) % 10));
    out.push_back(static_cast<char>('0' + value % 10));
  }
  return out;
}

}  // namespace zul
