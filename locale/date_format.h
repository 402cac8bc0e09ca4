// Dates as text, month names and week days.
//
// Dates are packed dates: four bytes of packed digits reading YYYYMMDD
// (core/packed_digits.h). DateFormat writes them as the user has configured,
// with the separator "DatCaracter" (default "/") and the order "DatOrdre"
// (default "DMA": day, month, year) of section "Usuari" of RootDir +
// "Nuri.ini", read once at the first FormatDate and kept for the run. Month
// names follow the session's language: "SPA", "GLG" and "OCI" have their own
// names, every other code the Catalan ones.
//
// Guarantees: any byte string is accepted as a date. A short date reads its
// missing digits as "0"; months and days outside the calendar never read
// outside the month tables: a month's name is empty outside 1 to 12, and
// DayOfWeek still answers 1 to 7.
#ifndef ZUL_LOCALE_DATE_FORMAT_H_
#define ZUL_LOCALE_DATE_FORMAT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "config/session.h"
#include "platform/env.h"

namespace zul {

// Styles of FormatDate.
inline constexpr int16_t kDateStyleNumeric = 0;  // "5/10/1582 ", filled to a fixed width
inline constexpr int16_t kDateStyleWords = 2;    // the month by its name

// The name of month 1 to 12 in small letters, code page 850; "" for any
// other month.
std::string_view MonthName(std::string_view language_code, int month);

// The day of the week of a packed date, 1 for Monday to 7 for Sunday: by the
// Julian calendar before 5 October 1582, by the Gregorian one from then on.
int16_t DayOfWeek(std::string_view date);

class DateFormat {
 public:
  // `env` and `session` must outlive the object.
  DateFormat(Env& env, const Session& session) : env_(env), session_(session) {}
  DateFormat(const DateFormat&) = delete;
  DateFormat& operator=(const DateFormat&) = delete;

  // The date's parts named in `parts` ("D" day, "M" month, "A" year, in any
  // order and case), always in the configured order. Numeric styles (below
  // kDateStyleWords) join them with the separator and fill the result with
  // spaces to 10 characters for "dma" (2 per day or month, 4 per year, one
  // per separator); the word style shows the month by its name, joins parts
  // with a space and is not filled, and is empty for a month outside 1 to 12.
  // A date whose month and day are both 0 shows no parts.
  std::string FormatDate(std::string_view date, int16_t style, std::string_view parts);

  // The configured separator and order, read at the first call of any of
  // these functions.
  char DateSeparator();
  const std::string& DateOrder();

 private:
  void Load();

  Env& env_;
  const Session& session_;
  bool loaded_ = false;
  char separator_ = '/';
  std::string order_ = "DMA";
};

}  // namespace zul

#endif  // ZUL_LOCALE_DATE_FORMAT_H_
