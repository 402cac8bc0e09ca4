#include "core/packed_digits.h"

#include <gtest/gtest.h>

namespace zul {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

TEST(PackedDigitsTest, Packs) {
  struct Case {
    std::string digits;
    std::string packed;
  };
  const Case cases[] = {
      {"15821005", Bytes({143, 210, 138, 133})},
      {"123", Bytes({140, 158})},  // right-aligned in 3: "123" -> 12, 3 + past-the-end 0
      {" 7", Bytes({135})},        // " 7" -> "07"
      {"", ""},
      {"  ", Bytes({128})},         // blanks count as 0
      {"1a", Bytes({138})},         // a non-digit counts as 0
      {" 12 ", Bytes({128, 140})},  // trimmed, then "0012"
      {"99", Bytes({227})},
  };
  for (const Case& c : cases) EXPECT_EQ(PackDigits(c.digits), c.packed) << c.digits;
}

TEST(PackedDigitsTest, Unpacks) {
  EXPECT_EQ(UnpackDigits(Bytes({143, 210, 138, 133})), "15821005");
  EXPECT_EQ(UnpackDigits(PackDigits("123")), "1230");
  EXPECT_EQ(UnpackDigits(Bytes({128})), "00");
  EXPECT_EQ(UnpackDigits(Bytes({140})), "12");
  // Bytes that are not packed digits still give two digits each.
  EXPECT_EQ(UnpackDigits(Bytes({0, 255, 100})), "002700");
  EXPECT_EQ(UnpackDigits(""), "");
}

TEST(PackedDigitsTest, PackedDatesCompareChronologically) {
  EXPECT_LT(PackDigits("15821004"), PackDigits("15821005"));
  EXPECT_LT(PackDigits("19991231"), PackDigits("20000101"));
  EXPECT_LT(PackDigits("20260131"), PackDigits("20260201"));
}

}  // namespace
}  // namespace zul
