#include "locale/date_format.h"

#include <algorithm>
#include <array>

#include "config/settings.h"
#include "core/packed_digits.h"
#include "core/text.h"

namespace zul {
namespace {

using MonthTable = std::array<std::string_view, 12>;

// Month names in code page 850.
constexpr MonthTable kCatalanMonths = {"gener",    "febrer",  "mar\x87",  "abril",
                                       "maig",     "juny",    "juliol",   "agost",
                                       "setembre", "octubre", "novembre", "desembre"};
constexpr MonthTable kSpanishMonths = {"enero",      "febrero", "marzo",     "abril",
                                       "mayo",       "junio",   "julio",     "agosto",
                                       "septiembre", "octubre", "noviembre", "diciembre"};
constexpr MonthTable kGalicianMonths = {"janeiro",  "fevereiro", "mar\x87o", "abril",
                                        "maio",     "junho",     "julho",    "agosto",
                                        "setembro", "outubro",   "novembro", "dezembro"};
constexpr MonthTable kOccitanMonths = {"g\x8ar", "hereu\x8ar", "mar\x87",  "abriu",
                                       "mai",    "junh",       "junhsega", "agost",
                                       "seteme", "octobre",    "noveme",   "deseme"};

// The first day of the Gregorian calendar, as date digits.
constexpr std::string_view kGregorianStart = "15821005";

// The eight digits YYYYMMDD of a packed date; missing digits read as "0".
std::string DateDigits(std::string_view date) {
  std::string digits = UnpackDigits(date.substr(0, 4));
  digits.resize(8, '0');
  return digits;
}

int DigitsValue(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

// Division and remainder rounded toward minus infinity, so that the years
// before year 1 still give a day of the week.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

}  // namespace

std::string_view MonthName(std::string_view language_code, int month) {
  if (month < 1 || month > 12) return {};
  const MonthTable& table = language_code == "SPA"   ? kSpanishMonths
                            : language_code == "GLG" ? kGalicianMonths
                            : language_code == "OCI" ? kOccitanMonths
                                                     : kCatalanMonths;
  return table[static_cast<size_t>(month - 1)];
}

int16_t DayOfWeek(std::string_view date) {
  const std::string digits = DateDigits(date);
  const int year = DigitsValue(digits.substr(0, 4));
  const int month = DigitsValue(digits.substr(4, 2));
  const int day = DigitsValue(digits.substr(6, 2));
  const bool julian = digits < kGregorianStart;
  const bool leap =
      year < 1582 ? year % 4 == 0 : (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int lengths[12] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  // Days since 1 January; a month beyond 12 counts the whole year first.
  int64_t days = day - 1;
  for (int m = 1; m < std::min(month, 13); ++m) days += lengths[m - 1];

  const int64_t h = year - 1;
  int64_t w;
  if (julian) {
    w = FloorMod(FloorMod(h + FloorDiv(h, 4), 7) + 5 + days, 7) + 1;
  } else {
    w = FloorMod(FloorMod(h + FloorDiv(h, 4) - FloorDiv(h, 100) + FloorDiv(h, 400), 7) + days, 7) +
        1;
  }
  return static_cast<int16_t>(w);
}

void DateFormat::Load() {
  if (loaded_) return;
  const std::string file = session_.RootDir() + "Nuri.ini";
  const std::string separator = FitText(ReadSetting(env_, file, "Usuari", "DatCaracter"), 1);
  separator_ = separator[0] == ' ' ? '/' : separator[0];
  // The order is read without regard to case: "dma" is the default order.
  const std::string order = UpperText(FitText(ReadSetting(env_, file, "Usuari", "DatOrdre"), 3));
  order_ = order == "   " ? "DMA" : order;
  loaded_ = true;
}

char DateFormat::DateSeparator() {
  Load();
  return separator_;
}

const std::string& DateFormat::DateOrder() {
  Load();
  return order_;
}

std::string DateFormat::FormatDate(std::string_view date, int16_t style, std::string_view parts) {
  Load();
  const std::string digits = DateDigits(date);
  const int month = DigitsValue(digits.substr(4, 2));
  const int day = DigitsValue(digits.substr(6, 2));
  const std::string wanted = UpperText(parts);
  auto wants = [&wanted](char letter) { return wanted.find(letter) != std::string::npos; };
  const bool words = style >= kDateStyleWords;

  std::string result;
  if (month != 0 || day != 0) {
    for (const char letter : order_) {
      if (!wants(letter)) continue;
      std::string piece;
      if (letter == 'D') {
        piece = std::to_string(day);
      } else if (letter == 'A') {
        piece = digits.substr(0, 4);
      } else if (letter == 'M' && !words) {
        piece = std::to_string(month);
      } else if (letter == 'M') {
        const std::string_view name = MonthName(session_.LanguageCode(), month);
        if (name.empty()) return "";
        piece = std::string(name);
      } else {
        continue;
      }
      if (!result.empty()) result += words ? ' ' : separator_;
      result += piece;
    }
  }
  if (words) return result;
  const int64_t width = static_cast<int64_t>(parts.size()) - 1 + (wants('M') ? 2 : 0) +
                        (wants('A') ? 4 : 0) + (wants('D') ? 2 : 0);
  return FitText(result, static_cast<size_t>(std::max<int64_t>(width, 0)));
}

}  // namespace zul
