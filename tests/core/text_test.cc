#include "core/text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zul {
namespace {

TEST(TextTest, UpperCaseTouchesOnlyTheSuiteLetters) {
  // ä ö ü é ñ å ç become Ä Ö Ü É Ñ Å Ç; à (133) and other letters stay.
  const std::string lower = "az\x84\x94\x81\x82\xA4\x86\x87\x85\xA0";
  const std::string upper = "AZ\x8E\x99\x9A\x90\xA5\x8F\x80\x85\xA0";
  EXPECT_EQ(UpperText(lower), upper);
  EXPECT_TRUE(EqualsNoCase("Usuari", "USUARI"));
  EXPECT_FALSE(EqualsNoCase("\x85", "\xB7"));  // à and À are different
  EXPECT_FALSE(EqualsNoCase("ab", "abc"));
}

TEST(TextTest, TrimRemovesSpacesOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
}

TEST(TextTest, FitTextCutsOrPads) {
  EXPECT_EQ(FitText("SPANISH", 3), "SPA");
  EXPECT_EQ(FitText("x", 3), "x  ");
  EXPECT_EQ(FitText("", 2), "  ");
}

TEST(TextTest, LeadingNumber) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"", 0},     {"abc", 0}, {"  42", 42}, {"-3", -3}, {"+2.5x", 2.5}, {"1.2.3", 1.2}, {"7 8", 7},
      {".5", 0.5}, {"5.", 5},  {"-", 0},     {"1e5", 1}, {"0x10", 0},    {"\t4", 0},     {"- 4", 0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.value) << c.text;
  EXPECT_DOUBLE_EQ(LeadingNumber("\t\r\n 4", " \t\r\n"), 4);
  EXPECT_TRUE(std::isinf(LeadingNumber(std::string(400, '9'))));
}

}  // namespace
}  // namespace zul
