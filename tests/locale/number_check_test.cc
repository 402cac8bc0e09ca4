#include "locale/number_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace zul {
namespace {

TEST(CheckNumberTextTest, SignFirstOnePointBlanksAnywhere) {
  struct Case {
    std::string text;
    const char* allowed;
    bool rejected;
  };
  const Case cases[] = {
      {"", "", false},
      {"123", "", false},
      {"  -12.5", ".-", false},
      {" 1 2 ", "", false},
      {"+5", "+", false},
      {"-5", "+", false},  // either sign character allows both signs
      {"-5", "", true},
      {"5-", ".-", true},    // a sign after a digit
      {".5-", ".-", true},   // or after the point
      {"--5", "-", true},    // a second sign
      {"1.2.3", ".", true},  // a second point
      {"1.5", "-", true},    // no point allowed
      {"12a", ".-", true},   // a letter
      {"a-", ".-", true},    // a letter, even when a sign follows it
      {"1\t2", "", true},    // a tab is not a blank
      {std::string("1\0", 2), "", true},
      {"\xfd", ".-", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckNumberText(c.text, c.allowed), c.rejected) << c.text << " / " << c.allowed;
  }
}

TEST(CheckNumberTest, RangesAndDecimals) {
  struct Case {
    const char* text;
    double min;
    double max;
    int16_t decimals;
    int16_t status;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"99", 1, 99, 0, 0},
      {"0", 1, 99, 0, -1},
      {"100", 1, 99, 0, -1},
      {"1.5", 1, 99, 0, -1},  // the point is not allowed
      {"1", 1, 99, 0, 0},
      {"", 0, 10, 0, 0},  // nothing readable is 0
      {"", 1, 10, 0, -1},
      {" 5 7", 1, 6, 0, 0},  // a blank after a digit ends the number: 5
      {"-3", 0, 10, 0, -1},  // a sign only when the range goes below 0
      {"-3", -5, 10, 0, 0},
      {"-6", -5, 10, 0, -1},
      // The value and the upper bound are rounded, the lower bound is not.
      {"2.345", 0, 2.35, 2, 0},
      {"2.36", 0, 2.35, 2, -1},
      {"2.354", 0, 2.35, 2, 0},
      {"1.004", 1.006, 9, 2, 0},  // the lower bound 100.6 is cut to 100
      {"0.95", 1, 9, 1, 0},       // 9.5 rounds to 10
      {"0.94", 1, 9, 1, -1},
      // Ranges and decimals that cannot be.
      {"5", 10, 1, 0, -1},
      {"5", 0, 10, -1, -1},
      {"5", 0, 10, 17, -1},
      {"5", 0, 10, 16, 0},
      {"5", nan, 10, 0, -1},
      {"5", 0, nan, 0, -1},
      {"5", -inf, inf, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckNumber(c.text, c.min, c.max, c.decimals), c.status)
        << c.text << " in " << c.min << ".." << c.max << " with " << c.decimals;
  }
}

TEST(CheckNumberTest, TextsOfAnyLengthAndBytes) {
  // More digits than a double holds: infinity, above any finite bound.
  const std::string digits(5000, '9');
  EXPECT_EQ(CheckNumber(digits, 0, 1e300, 0), -1);
  EXPECT_EQ(CheckNumber("0." + digits, 0, 2, 2), 0);
  EXPECT_EQ(CheckNumber(std::string(100000, ' ') + "7", 0, 9, 0), 0);
  std::mt19937 random(7);
  for (int round = 0; round < 5000; ++round) {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = static_cast<char>(random() % 256);
    const int16_t status = CheckNumber(text, -1e6, 1e6, static_cast<int16_t>(random() % 4));
    EXPECT_TRUE(status == 0 || status == -1);
  }
}

}  // namespace
}  // namespace zul
