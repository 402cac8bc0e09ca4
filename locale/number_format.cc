#include "locale/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "config/settings.h"

namespace zul {
namespace {

// Characters that count in the decimal part, and the digit placeholders.
constexpr std::string_view kDecimalCounted = "9Zz*-+";
constexpr std::string_view kDigitPlaceholders = "9Zz*";

// Fill codes: the low byte is the character a "," or "." left of the
// position shows; above 255, the digit position to the right was left empty.
constexpr int kFillNone = 0;
constexpr int kFillBlank = 32;
constexpr int kFillStar = 42;
constexpr int kFillEmpty = 256;

// The largest finite double has 309 integer digits.
constexpr size_t kMaxWholeDigits = 320;

bool Contains(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

// 10^exponent as a double, exact up to 10^22; infinity beyond the range.
double PowerOfTen(int64_t exponent) {
  static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (exponent < static_cast<int64_t>(std::size(kExact))) return kExact[exponent];
  if (exponent > 400) return HUGE_VAL;
  return std::pow(10.0, static_cast<double>(exponent));
}

// The decimal digits of a whole, finite, non-negative double, without
// leading zeros (none for 0). Returns their count.
size_t WholeDigits(double whole, char (&out)[kMaxWholeDigits]) {
  if (whole == 0) return 0;
  if (whole < 1e18) {
    // Below 10^18 the conversion to an integer is exact and defined.
    uint64_t n = static_cast<uint64_t>(whole);
    char reversed[20];
    size_t count = 0;
    while (n > 0) {
      reversed[count++] = static_cast<char>('0' + n % 10);
      n /= 10;
    }
    std::reverse_copy(reversed, reversed + count, out);
    return count;
  }
  // With an explicit precision the digits are those of the stored value,
  // whatever the C locale.
  const auto result = std::to_chars(out, out + kMaxWholeDigits, whole, std::chars_format::fixed, 0);
  return static_cast<size_t>(result.ptr - out);
}

// The form of a value that does not fit its mask's positions: its plain
// digits right-aligned in `width`, cut on the right; all "!" when even the
// sign and the integer digits do not fit.
std::string PlainForm(std::string_view digits, int64_t decimals, bool negative, int64_t width,
                      char decimal_char) {
  const int64_t length = static_cast<int64_t>(digits.size());
  const int64_t integer_digits = std::max<int64_t>(length - decimals, 0);
  if (width < integer_digits + (negative ? 1 : 0)) return std::string(width, '!');
  std::string plain;
  if (negative) plain += '-';
  plain.append(digits.substr(0, static_cast<size_t>(integer_digits)));
  if (decimals > 0) {
    plain += decimal_char;
    const int64_t shown = std::min(length, decimals);
    plain.append(static_cast<size_t>(decimals - shown), '0');
    plain.append(digits.substr(static_cast<size_t>(length - shown)));
  }
  const size_t size = static_cast<size_t>(width);
  if (plain.size() >= size) return plain.substr(0, size);
  return std::string(size - plain.size(), ' ') + plain;
}

}  // namespace

std::string FormatNumber(std::string_view mask, double value, NumberSeparators separators) {
  const int64_t length = static_cast<int64_t>(mask.size());
  if (!std::isfinite(value)) return std::string(mask.size(), '!');

  // The mask: its sign, and the positions and digits of its decimal part.
  const bool has_sign = mask.find_first_of("-+") != std::string_view::npos;
  int64_t decimal_span = 0;  // positions at the end that belong to the decimals
  int64_t decimals = 0;
  if (const size_t point = mask.find('.'); point != std::string_view::npos) {
    const std::string_view after = mask.substr(point + 1);
    decimal_span = std::count_if(after.begin(), after.end(),
                                 [](char c) { return Contains(kDecimalCounted, c); });
    while (decimals < static_cast<int64_t>(after.size()) &&
           Contains(kDigitPlaceholders, after[static_cast<size_t>(decimals)])) {
      ++decimals;
    }
  }

  // The digits: |value| scaled to whole units of the last decimal, then
  // rounded half to even on the scaled value as stored.
  const bool negative = value < 0;
  double scaled = 0;
  if (value != 0) {
    scaled = std::fabs(value) * PowerOfTen(decimals);
    if (!std::isfinite(scaled)) return std::string(mask.size(), '!');
  }
  double whole = std::trunc(scaled);
  const double fraction = scaled - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) == 1.0)) whole += 1;
  char digit_buffer[kMaxWholeDigits];
  const std::string_view digits(digit_buffer, WholeDigits(whole, digit_buffer));
  const int64_t digit_count = static_cast<int64_t>(digits.size());
  // Digits next..end are above zero while next is at most this position.
  const size_t last_nonzero = digits.find_last_not_of('0');
  const int64_t last_nonzero_digit =
      last_nonzero == std::string_view::npos ? 0 : static_cast<int64_t>(last_nonzero) + 1;

  std::string out(mask);
  // next: the 1-based digit to place next; the count starts past the digits
  // by the sign positions of the decimal part, which consume it too.
  int64_t next = decimal_span + digit_count - decimals;
  int fill = kFillNone;
  int64_t i = length;
  auto in_decimal_zone = [&](int64_t position) { return position >= length - decimal_span; };
  auto digit_at = [&](int64_t n) { return n <= digit_count ? digits[n - 1] : '\0'; };
  auto point_char = [&] {
    return fill >= kFillEmpty ? static_cast<char>(fill - kFillEmpty) : separators.decimal;
  };

  // Right to left, while digits remain to be placed.
  for (; i >= 1 && next >= 1; --i) {
    char& c = out[static_cast<size_t>(i - 1)];
    const char g = digit_at(next);
    switch (mask[static_cast<size_t>(i - 1)]) {
      case '9':
        c = g != '\0' ? g : '0';
        fill = kFillNone;
        --next;
        break;
      case 'Z':
      case 'z': {
        bool shown;
        if (!in_decimal_zone(i)) {
          shown = g != '\0';
          c = shown ? g : ' ';
        } else {
          // A trailing decimal zero is blank, unless the point is behind us.
          shown = decimal_span == 0 || next <= last_nonzero_digit;
          c = !shown ? ' ' : g != '\0' ? g : '0';
        }
        fill = shown ? kFillBlank : kFillEmpty + kFillBlank;
        --next;
        break;
      }
      case '*':
        c = g != '\0' ? g : '*';
        fill = g != '\0' ? kFillStar : kFillEmpty + kFillStar;
        --next;
        break;
      case '.':
        c = point_char();
        decimal_span = 0;
        break;
      case ',':
        c = separators.thousands;
        break;
      case '-':
        c = negative ? '-' : ' ';
        if (decimal_span > 0) --next;
        break;
      case '+':
        c = negative ? '-' : '+';
        if (decimal_span > 0) --next;
        break;
      default:
        break;
    }
  }

  auto overflow = [&] { return PlainForm(digits, decimals, negative, length, separators.decimal); };
  if (next > 0 || (negative && !has_sign && i == 0)) return overflow();

  // The positions left of the digits: fill, and the minus of a negative
  // value when the mask has no sign position.
  bool minus_pending = negative && !has_sign;
  for (; i >= 1; --i) {
    char& c = out[static_cast<size_t>(i - 1)];
    const bool integer_part = i < length - decimal_span;
    const bool take_minus = minus_pending && integer_part;
    switch (mask[static_cast<size_t>(i - 1)]) {
      case '9':
        c = take_minus ? '-' : '0';
        if (take_minus) minus_pending = false;
        fill = kFillNone;
        break;
      case 'Z':
      case 'z':
        if (take_minus) {
          c = '-';
          minus_pending = false;
        } else if (integer_part || value == 0) {
          c = ' ';
          fill = kFillEmpty + kFillBlank;
        } else {
          c = '0';
          fill = kFillBlank;
        }
        break;
      case '*':
        if (take_minus) {
          c = '-';
          minus_pending = false;
        } else {
          c = integer_part ? '*' : '0';
        }
        fill = kFillStar;
        break;
      case ',':
        if (minus_pending) {
          c = '-';
          minus_pending = false;
        } else {
          c = fill != kFillNone ? static_cast<char>(fill % 256) : separators.thousands;
        }
        break;
      case '.':
        c = point_char();
        decimal_span = 0;
        break;
      case '-':
        c = negative ? '-' : ' ';
        break;
      case '+':
        c = negative ? '-' : '+';
        break;
      default:
        break;
    }
  }
  // A minus with no position left (only literals to the left of the digits)
  // must not be dropped: a negative value never shows as a positive one.
  if (minus_pending) return overflow();
  return out;
}

const NumberSeparators& NumberFormat::Separators() {
  if (!loaded_) {
    const std::string file = env_.GetEnv("ZULROOT") + "Nuri.ini";
    auto first_char = [&](std::string_view key, char fallback) {
      const std::string value = ReadSetting(env_, file, "Usuari", key);
      return value.empty() || value[0] == ' ' ? fallback : value[0];
    };
    const NumberSeparators defaults;
    separators_.decimal = first_char("DecCaracter", defaults.decimal);
    separators_.thousands = first_char("MilCaracter", defaults.thousands);
    loaded_ = true;
  }
  return separators_;
}

std::string NumberFormat::FormatNumber(std::string_view mask, double value) {
  return zul::FormatNumber(mask, value, Separators());
}

}  // namespace zul
