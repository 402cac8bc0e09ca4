#include "locale/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "platform/test_env.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::TempDir;
using testing::WriteFileBytes;

// The suite's defaults: "'" for the decimal point, "." between thousands.
const NumberSeparators kDefaults;

struct MaskCase {
  const char* mask;
  double value;
  const char* result;
};

TEST(FormatNumberTest, TheMaskTable) {
  const MaskCase cases[] = {
      {"Z,ZZZ,ZZ9.99", 1234.5, "    1.234'50"},
      {"Z,ZZZ,ZZ9.99", -1234.5, "   -1.234'50"},
      {"Z,ZZZ,ZZ9.99", 1234567.891, "1.234.567'89"},
      {"Z,ZZZ,ZZ9.99", 12345678.9, " 12345678'90"},
      {"Z,ZZZ,ZZ9.99", 0, "        0'00"},
      {"ZZ9", 123, "123"},
      {"Z9", 123, "!!"},
      {"9", -5, "!"},
      {"Z9", -5, "-5"},
      {"9999", -12, "0-12"},
      {"ZZ9.99-", -12.5, " 12'50-"},
      {"ZZ9.99-", 12.5, " 12'50 "},
      {"+ZZ9", 5, "+  5"},
      {"**,**9.99", 12.3, "****12'30"},
      {"ZZ9.ZZ", 12.5, " 12'5 "},
      {"ZZ9.ZZ", 12, " 12   "},
      {"ZZZ.ZZ", 0, "      "},
      {"ZZZZ", 0.3, "   0"},
      {"Z,ZZ9", 234, "  234"},
      {"9,999", 234, "0.234"},
      {"999", 2.5, "002"},
      {"999", 3.5, "004"},
  };
  for (const MaskCase& c : cases) {
    EXPECT_EQ(FormatNumber(c.mask, c.value, kDefaults), c.result) << c.mask << " " << c.value;
  }
}

TEST(FormatNumberTest, EdgesOfRoundingSignsAndFill) {
  const MaskCase cases[] = {
      // Exactly 0 is all blanks; a value that rounds to 0 is not.
      {"ZZZZ", 0, "    "},
      {"ZZZZ", 0.4, "   0"},
      {"Z9.99", -0.0, " 0'00"},
      // Half to even on the value as stored: 0.125 and 0.375 are exact,
      // 1.005 is stored just below 1.005.
      {"9.99", 0.125, "0'12"},
      {"9.99", 0.375, "0'38"},
      {"9.99", 1.005, "1'00"},
      {"ZZ9", 0.5, "  0"},
      {"ZZ9", 1.5, "  2"},
      {"ZZ9", 2.4999, "  2"},
      // The "-" goes to the first free position left of the digits.
      {"Z,ZZ9", -234, " -234"},
      {"ZZ,ZZ9", -1234, "-1.234"},
      {"**9", -5, "*-5"},
      {"-ZZ9", -5, "-  5"},
      {"-ZZ9", 5, "   5"},
      // Literals are copied; the thousands character only shows between digits.
      {"Z9 %", 7, " 7 %"},
      {"9,9,9", 5, "0.0.5"},
      // Plain form: too many digits for the positions, or no room for the "-".
      {"ZZ9.99", 1234.5, "1234'5"},
      {"ZZZ9.99", -12345, "-12345'"},
      {"ZZ9.99", -12345, "-12345"},
      {"Z9.99", -12345, "!!!!!"},
      {"", 5, ""},
      // A negative value never shows as a positive one: with only literals
      // left of its digits it takes the plain form.
      {"(99)", -12, " -12"},
      {"(99)", 12, "(12)"},
      {"(999)", -12, "(-12)"},
      // Values too large for every mask, and values that are not numbers.
      {"Z,ZZZ,ZZ9.99", 1e300, "!!!!!!!!!!!!"},
      {"Z,ZZZ,ZZ9.99", -1e300, "!!!!!!!!!!!!"},
      {"ZZ9", std::numeric_limits<double>::quiet_NaN(), "!!!"},
      {"ZZ9.99-", std::numeric_limits<double>::infinity(), "!!!!!!!"},
      {"ZZ9.99-", -std::numeric_limits<double>::infinity(), "!!!!!!!"},
      {"9", std::numeric_limits<double>::max(), "!"},
      {"9.99", 1e307, "!!!!"},
      // Digits beyond those a 64-bit integer holds are those of the stored value.
      {"9999999999999999999999999", 1180591620717411303424.0, "0001180591620717411303424"},
  };
  for (const MaskCase& c : cases) {
    EXPECT_EQ(FormatNumber(c.mask, c.value, kDefaults), c.result) << c.mask << " " << c.value;
  }
}

TEST(FormatNumberTest, AMaskOfTheLargestLength) {
  const std::string zeds(32767 - 4, 'Z');
  const std::string mask = zeds + "9.99";
  std::string expected = std::string(mask.size() - 7, ' ') + "1234'50";
  EXPECT_EQ(FormatNumber(mask, 1234.5, kDefaults), expected);
  EXPECT_EQ(FormatNumber(mask, std::numeric_limits<double>::quiet_NaN(), kDefaults),
            std::string(mask.size(), '!'));

  // 1e300 fits in 32767 positions; its 301 digits are those of the stored value.
  const std::string nines(32767, '9');
  const std::string huge = FormatNumber(nines, 1e300, kDefaults);
  ASSERT_EQ(huge.size(), nines.size());
  EXPECT_EQ(huge.find_first_not_of('0'), nines.size() - 301);
  EXPECT_EQ(huge.substr(nines.size() - 301, 20), "10000000000000000525");
  EXPECT_EQ(FormatNumber(nines, -1e300, kDefaults).substr(nines.size() - 302, 2), "-1");

  // So many decimals that the value cannot be scaled: the overflow form.
  EXPECT_EQ(FormatNumber("9." + std::string(400, '9'), 1.5, kDefaults), std::string(402, '!'));
  EXPECT_EQ(FormatNumber("9." + std::string(400, '9'), 0, kDefaults), "0'" + std::string(400, '0'));
}

// Whatever the mask and the value, the result has the mask's length.
TEST(FormatNumberTest, AnyMaskAnyValueKeepsTheLength) {
  const std::string alphabet = "9Zz*.,-+ x$(";
  const double values[] = {0,    -0.0,  1,     -1,      0.5,    -2.5,         1234.567, -1e15,
                           1e18, -1e19, 1e300, -1e-300, 7e-320, std::nan(""), HUGE_VAL, -HUGE_VAL};
  std::mt19937 random(12345);
  for (int round = 0; round < 20000; ++round) {
    std::string mask(random() % 14, ' ');
    for (char& c : mask) c = alphabet[random() % alphabet.size()];
    const double value = values[random() % std::size(values)];
    ASSERT_EQ(FormatNumber(mask, value, kDefaults).size(), mask.size()) << mask << " " << value;
  }
}

// An independent model for masks of "Z" and "9" digits, optionally followed
// by "." and "9" digits, and values of at least 0.
std::string ModelFormat(const std::string& integer_mask, int decimals, bool with_point,
                        double value) {
  const double scaled = value * std::pow(10.0, decimals);
  const uint64_t units = static_cast<uint64_t>(std::nearbyint(scaled));  // ties to even
  const uint64_t unit = static_cast<uint64_t>(std::pow(10.0, decimals));
  const std::string integer = units / unit == 0 ? "" : std::to_string(units / unit);
  std::string fraction = decimals == 0 ? "" : std::to_string(units % unit);
  fraction.insert(0, decimals - fraction.size(), '0');
  const size_t width = integer_mask.size() + (with_point ? 1 + decimals : 0);

  if (integer.size() > integer_mask.size()) {
    if (width < integer.size()) return std::string(width, '!');
    std::string plain = integer + (decimals > 0 ? "'" + fraction : "");
    if (plain.size() >= width) return plain.substr(0, width);
    return std::string(width - plain.size(), ' ') + plain;
  }
  std::string out = integer_mask;
  for (size_t k = 0; k < out.size(); ++k) {
    const size_t from_right = out.size() - 1 - k;
    if (from_right < integer.size()) {
      out[k] = integer[integer.size() - 1 - from_right];
    } else {
      out[k] = out[k] == '9' ? '0' : ' ';
    }
  }
  // Without a point the last "Z" shows the 0 of a value that rounds to 0.
  if (!with_point && !out.empty() && integer.empty() && value != 0) out.back() = '0';
  if (with_point) out += "'" + fraction;
  return out;
}

TEST(FormatNumberTest, AgreesWithAnIndependentModel) {
  std::mt19937_64 random(20261211);
  auto below = [&](uint64_t n) { return random() % n; };
  for (int round = 0; round < 50000; ++round) {
    std::string integer_mask(below(9), 'Z');
    for (char& c : integer_mask) c = below(2) == 0 ? 'Z' : '9';
    const bool with_point = below(2) == 0;
    const int decimals = with_point ? static_cast<int>(below(4)) : 0;
    const std::string mask =
        integer_mask + (with_point ? "." + std::string(decimals, '9') : std::string());

    double value;
    switch (below(4)) {
      case 0:  // eighths: exact halves of the second decimal and of units
        value = static_cast<double>(below(80000)) / 8;
        break;
      case 1:
        value = 0;
        break;
      default:  // any magnitude up to 10^12
        value = std::ldexp(static_cast<double>(random() >> 11), -53) *
                std::pow(10.0, static_cast<double>(below(13)));
        break;
    }
    ASSERT_EQ(FormatNumber(mask, value, kDefaults),
              ModelFormat(integer_mask, decimals, with_point, value))
        << "mask " << mask << " value " << value;
  }
}

class NumberFormatSettingsTest : public ::testing::Test {
 protected:
  NumberFormatSettingsTest() : env_(dir_.path()) { env_.SetEnv("ZULROOT", "R\\"); }
  TempDir dir_;
  TestEnv env_;
};

TEST_F(NumberFormatSettingsTest, SeparatorsComeFromTheUserSettings) {
  struct Case {
    std::string lines;
    char decimal;
    char thousands;
  };
  const Case cases[] = {
      {"", '\'', '.'},
      {"DecCaracter=,\r\nMilCaracter=.\r\n", ',', '.'},
      {"DecCaracter=.\r\nMilCaracter=,\r\n", '.', ','},
      {"DecCaracter=\r\n", '\'', '.'},
      {"DecCaracter= ,\r\nMilCaracter=\" \"\r\n", '\'', '.'},
      {"DecCaracter=,;comment\r\nMilCaracter=_ x\r\n", ',', '_'},
  };
  for (const Case& c : cases) {
    WriteFileBytes(dir_.Path("R/Nuri.ini"), "[Usuari]\r\n" + c.lines);
    NumberFormat format(env_);
    EXPECT_EQ(format.FormatNumber("Z,ZZ9.9", 1234.5),
              std::string("1") + c.thousands + "234" + c.decimal + "5")
        << c.lines;
  }
}

TEST_F(NumberFormatSettingsTest, ReadOnceFromTheRootVariableNotTheSession) {
  // ZULROOT is a plain prefix: without a trailing separator the file is "RNuri.ini".
  env_.SetEnv("ZULROOT", "R");
  WriteFileBytes(dir_.Path("R/Nuri.ini"), "[Usuari]\r\nDecCaracter=?\r\n");
  WriteFileBytes(dir_.Path("RNuri.ini"), "[Usuari]\r\nDecCaracter=,\r\n");
  NumberFormat format(env_);
  EXPECT_EQ(format.FormatNumber("9.9", 1.5), "1,5");
  WriteFileBytes(dir_.Path("RNuri.ini"), "[Usuari]\r\nDecCaracter=;\r\n");
  EXPECT_EQ(format.FormatNumber("9.9", 1.5), "1,5");
  EXPECT_EQ(format.Separators().decimal, ',');
}

}  // namespace
}  // namespace zul
