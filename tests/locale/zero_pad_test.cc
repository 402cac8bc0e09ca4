#include "locale/zero_pad.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zul {
namespace {

TEST(ZeroPadTest, PadsAndCutsToTheLastDigits) {
  struct Case {
    double value;
    int16_t width;
    const char* text;
  };
  const Case cases[] = {
      {4, 2, "04"}, {32, 5, "00032"}, {12345, 2, "45"},    {-5, 2, "05"},  {0, 3, "000"},
      {7, 0, ""},   {7, -1, ""},      {99999, 5, "99999"}, {NAN, 2, "00"}, {1.5, 4, "01.5"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ZeroPad(c.value, c.width), c.text) << c.value << " width " << c.width;
  }
}

}  // namespace
}  // namespace zul
