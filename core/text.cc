#include "core/text.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace zul {

char UpperChar(char c) {
  const unsigned char b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 'a' + 'A');
  switch (b) {
    case 132:
      return static_cast<char>(142);  // ä Ä
    case 148:
      return static_cast<char>(153);  // ö Ö
    case 129:
      return static_cast<char>(154);  // ü Ü
    case 130:
      return static_cast<char>(144);  // é É
    case 164:
      return static_cast<char>(165);  // ñ Ñ
    case 134:
      return static_cast<char>(143);  // å Å
    case 135:
      return static_cast<char>(128);  // ç Ç
    default:
      return c;
  }
}

std::string UpperText(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperChar(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

std::string_view TrimLeft(std::string_view text) {
  size_t start = text.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::string_view TrimRight(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

std::string FitText(std::string_view text, size_t width) {
  std::string out(text.substr(0, width));
  out.resize(width, ' ');
  return out;
}

double LeadingNumber(std::string_view text, std::string_view skip) {
  size_t i = 0;
  while (i < text.size() && skip.find(text[i]) != std::string_view::npos) ++i;
  // Copy the accepted characters only, so that the conversion never sees
  // exponents, hexadecimal forms or "inf" that the suite's numbers do not have.
  std::string accepted;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) accepted += text[i++];
  bool point_seen = false;
  bool digit_seen = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digit_seen = true;
    } else if (c == '.' && !point_seen) {
      point_seen = true;
    } else {
      break;
    }
    accepted += c;
  }
  if (!digit_seen) return 0.0;
  // from_chars does not accept a leading "+" and ignores the C locale, which
  // the terminal backend may change.
  const char* first = accepted.data();
  const char* last = first + accepted.size();
  bool negative = false;
  if (*first == '+' || *first == '-') negative = *first++ == '-';
  double value = 0.0;
  if (std::from_chars(first, last, value, std::chars_format::fixed).ec ==
      std::errc::result_out_of_range) {
    value = std::numeric_limits<double>::infinity();  // only digits reach here: too many of them
  }
  return negative ? -value : value;
}

}  // namespace zul
