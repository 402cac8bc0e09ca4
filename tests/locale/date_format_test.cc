#include "locale/date_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "core/packed_digits.h"
#include "platform/test_env.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::TempDir;
using testing::WriteFileBytes;

class DateFormatTest : public ::testing::Test {
 protected:
  DateFormatTest() : env_(dir_.path()) { Speak("CAT"); }

  void Speak(const std::string& language) {
    SessionValues values;
    values.root_dir = "R\\";
    values.language_code = language;
    session_ = Session(values);
  }
  void UserSettings(const std::string& lines) {
    WriteFileBytes(dir_.Path("R/Nuri.ini"), "[Usuari]\r\n" + lines);
  }

  TempDir dir_;
  TestEnv env_;
  Session session_;
};

TEST_F(DateFormatTest, NumericStyleWithTheDefaultSettings) {
  struct Case {
    std::string date;
    const char* parts;
    const char* text;
  };
  const Case cases[] = {
      {PackDigits("15821005"), "dma", "5/10/1582 "},
      {PackDigits("15821005"), "AMD", "5/10/1582 "},  // the parts name what, not in which order
      {PackDigits("20260311"), "dm", "11/3 "},
      {PackDigits("20260311"), "m", "3 "},
      {PackDigits("20260311"), "a", "2026"},
      {PackDigits("20260311"), "", ""},
      {PackDigits("00070101"), "dma", "1/1/0007  "},
      // No month and no day: no parts at all.
      {"", "dma", "          "},
      {PackDigits("00000000"), "dma", "          "},
      {PackDigits("2026"), "dma", "          "},
      // A short date reads its missing digits as 0.
      {PackDigits("202603"), "dma", "0/3/2026  "},
      // Outside the calendar, but shown as it is.
      {PackDigits("20261399"), "dma", "99/13/2026"},
      {PackDigits("20260005"), "dma", "5/0/2026  "},
  };
  DateFormat format(env_, session_);
  for (const Case& c : cases) {
    EXPECT_EQ(format.FormatDate(c.date, kDateStyleNumeric, c.parts), c.text)
        << UnpackDigits(c.date) << " " << c.parts;
  }
}

TEST_F(DateFormatTest, WordStyleNamesTheMonthInTheSessionLanguage) {
  struct Case {
    const char* language;
    const char* digits;
    const char* name;
  };
  const Case cases[] = {
      {"CAT", "20260315", "mar\x87"},  {"SPA", "20260315", "marzo"},
      {"GLG", "20260315", "mar\x87o"}, {"OCI", "20260315", "mar\x87"},
      {"OCI", "20260101", "g\x8ar"},   {"OCI", "20260201", "hereu\x8ar"},
      {"OCI", "20260701", "junhsega"}, {"SPA", "20260930", "septiembre"},
      {"GLG", "20261231", "dezembro"}, {"CAT", "20261201", "desembre"},
      {"   ", "20260315", "mar\x87"},  {"spa", "20260315", "mar\x87"},
      {"SPA", "20261315", ""},         {"SPA", "20269915", ""},
      {"SPA", "20260015", ""},
  };
  for (const Case& c : cases) {
    Speak(c.language);
    DateFormat format(env_, session_);
    EXPECT_EQ(format.FormatDate(PackDigits(c.digits), kDateStyleWords, "m"), c.name)
        << c.language << " " << c.digits;
  }
  Speak("SPA");
  DateFormat format(env_, session_);
  EXPECT_EQ(format.FormatDate(PackDigits("15821005"), kDateStyleWords, "dma"), "5 octubre 1582");
  EXPECT_EQ(format.FormatDate(PackDigits("15821305"), kDateStyleWords, "dma"), "");
  EXPECT_EQ(format.FormatDate("", kDateStyleWords, "m"), "");
}

TEST_F(DateFormatTest, SeparatorAndOrderComeFromTheUserSettings) {
  struct Case {
    std::string lines;
    const char* text;
  };
  const Case cases[] = {
      {"", "5/10/1582 "},
      {"DatCaracter=-\r\nDatOrdre=AMD\r\n", "1582-10-5 "},
      {"DatCaracter=\r\nDatOrdre=   \r\n", "5/10/1582 "},
      {"DatCaracter= -\r\nDatOrdre=MDA\r\n", "10/5/1582 "},
      {"DatCaracter=.,\r\nDatOrdre=dmaX\r\n", "5.10.1582 "},
      {"DatOrdre=MD\r\n", "10/5      "},  // the year is not in the order: never shown
      {"DatOrdre=DDA\r\n", "5/5/1582  "},
  };
  for (const Case& c : cases) {
    UserSettings(c.lines);
    DateFormat format(env_, session_);
    EXPECT_EQ(format.FormatDate(PackDigits("15821005"), kDateStyleNumeric, "dma"), c.text)
        << c.lines;
  }
}

TEST_F(DateFormatTest, SettingsAreReadOnceFromTheRootDirectory) {
  env_.SetEnv("ZULROOT", "elsewhere\\");  // dates follow the session, not the variable
  UserSettings("DatCaracter=-\r\n");
  DateFormat format(env_, session_);
  EXPECT_EQ(format.DateSeparator(), '-');
  UserSettings("DatCaracter=.\r\nDatOrdre=AMD\r\n");
  EXPECT_EQ(format.FormatDate(PackDigits("20261211"), kDateStyleNumeric, "dma"), "11-12-2026");
  EXPECT_EQ(format.DateOrder(), "DMA");
}

TEST(DayOfWeekTest, KnownDaysAcrossTheCalendarChange) {
  struct Case {
    const char* digits;
    int16_t day;
  };
  const Case cases[] = {
      {"15821004", 4},  // Thursday, the last Julian day
      {"15821015", 5},  // Friday, the first Gregorian day
      {"00010101", 6},  // Saturday
      {"20261211", 5},  // Friday
      {"20000229", 2},  // Tuesday: 2000 is a leap year
      {"19000301", 4},  // Thursday: 1900 is not
      {"15000301", 7},  // Sunday: 1500 is a leap year by the Julian rule
      {"99991231", 5},  // Friday
  };
  for (const Case& c : cases) EXPECT_EQ(DayOfWeek(PackDigits(c.digits)), c.day) << c.digits;
}

// Walking through the calendar day by day, the day of the week moves on by
// one each day, across every leap day and the ten days dropped in 1582.
// Each stretch starts from a day whose day of the week is known.
TEST(DayOfWeekTest, ConsecutiveDaysFollowEachOther) {
  struct Stretch {
    int first_year;  // from its 1 January
    int last_year;   // to its 31 December
    int first_day;   // the day of the week of that 1 January
  };
  const Stretch stretches[] = {
      {1, 9, 6},        // Julian leap years from the start
      {1576, 1588, 7},  // the change of calendar
      {1896, 1904, 3},  // 1900 is not a leap year
      {1996, 2004, 1},  // 2000 is
      {2096, 2104, 7},  // 2100 is not
      {9996, 9999, 1},  // the last years
  };
  auto leap = [](int year) {
    return year < 1582 ? year % 4 == 0 : (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  };
  for (const Stretch& stretch : stretches) {
    int expected = stretch.first_day;
    for (int year = stretch.first_year; year <= stretch.last_year; ++year) {
      for (int month = 1; month <= 12; ++month) {
        const int lengths[] = {31, leap(year) ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        for (int day = 1; day <= lengths[month - 1]; ++day) {
          if (year == 1582 && month == 10 && day > 4 && day < 15) continue;
          char digits[40];
          std::snprintf(digits, sizeof digits, "%04d%02d%02d", year, month, day);
          ASSERT_EQ(DayOfWeek(PackDigits(digits)), expected) << digits;
          expected = expected % 7 + 1;
        }
      }
    }
  }
}

TEST(DayOfWeekTest, AnyBytesGiveADayOfTheWeek) {
  for (const std::string& date :
       {std::string(), std::string("\x90"), PackDigits("202613"), PackDigits("20261399"),
        PackDigits("20260000"), PackDigits("00000000"), std::string(4, '\0'),
        std::string(4, '\xff'), std::string(9, '\xe3')}) {
    const int16_t day = DayOfWeek(date);
    EXPECT_GE(day, 1) << UnpackDigits(date);
    EXPECT_LE(day, 7) << UnpackDigits(date);
  }
  // Day 0 is the day before the 1st; month 13 is January of the next year.
  EXPECT_EQ(DayOfWeek(PackDigits("20270100")), DayOfWeek(PackDigits("20261231")));
  EXPECT_EQ(DayOfWeek(PackDigits("20261301")), DayOfWeek(PackDigits("20270101")));

  std::mt19937 random(99);
  TempDir dir;
  TestEnv env(dir.path());
  Session session;
  DateFormat format(env, session);
  for (int round = 0; round < 20000; ++round) {
    std::string date(random() % 6, ' ');
    for (char& c : date) c = static_cast<char>(random() % 256);
    const int16_t day = DayOfWeek(date);
    ASSERT_TRUE(day >= 1 && day <= 7) << UnpackDigits(date);
    ASSERT_EQ(format.FormatDate(date, kDateStyleNumeric, "dma").size(), 10u);
    ASSERT_LE(format.FormatDate(date, kDateStyleWords, "m").size(), 10u);
  }
}

}  // namespace
}  // namespace zul
