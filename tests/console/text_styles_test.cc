#include "console/text_styles.h"

#include <gtest/gtest.h>

#include "tests/support/console_harness.h"

namespace zul {
namespace {

using testing::ConsoleHarness;

TEST(TextStylesTest, LettersChooseTheStyle) {
  ConsoleHarness h;
  TextStyles& s = h.ui.styles();
  struct Case {
    const char* code;
    int16_t style;
  };
  for (const Case& c : {Case{"n", 1}, Case{"h", 0}, Case{"u", 4}, Case{"r", 2}, Case{"rh", 2},
                        Case{"RN", 3}, Case{"nr", 3}, Case{"ur", 4}, Case{"x", 0}}) {
    s.SetTextStyle(c.code);
    EXPECT_EQ(s.CurrentStyle(), c.style) << c.code;
  }
}

TEST(TextStylesTest, StylesTakeTheirColoursFromTheSession) {
  ConsoleHarness h([](SessionValues& v) {
    v.screen_colours = {{{14, 1}, {7, 1}, {1, 7}, {0, 3}, {4, 7}}};
  });
  h.ui.SetTextStyle("h");
  EXPECT_EQ(h.console.Attribute(), 0x1E);
  h.ui.SetTextStyle("u");
  EXPECT_EQ(h.console.Attribute(), 0x74);
  h.ui.SetTextStyle("rn");
  EXPECT_EQ(h.console.Attribute(), 0x30);
}

TEST(TextStylesTest, PlusSavesAndMinusRestores) {
  ConsoleHarness h;
  TextStyles& s = h.ui.styles();
  s.SetTextStyle("n");
  s.SetTextStyle("+rh");
  EXPECT_EQ(s.CurrentStyle(), 2);
  EXPECT_EQ(h.console.Attribute(), 0x70);
  s.SetTextStyle("+u");
  s.SetTextStyle("-");
  EXPECT_EQ(s.CurrentStyle(), 2);
  s.SetTextStyle("-");
  EXPECT_EQ(s.CurrentStyle(), 1);
  EXPECT_EQ(h.console.Attribute(), 0x07);
  EXPECT_EQ(s.SavedStyles(), "");
  s.SetTextStyle("-");  // empty stack: style 0
  EXPECT_EQ(s.CurrentStyle(), 0);
  EXPECT_EQ(h.console.Attribute(), 0x0F);
}

TEST(TextStylesTest, ABlankCodeChangesNothing) {
  ConsoleHarness h;
  h.ui.SetTextStyle("u");
  h.ui.SetTextStyle("   ");
  h.ui.SetTextStyle("");
  EXPECT_EQ(h.ui.styles().CurrentStyle(), 4);
  EXPECT_EQ(h.ui.styles().SavedStyles(), "");
}

}  // namespace
}  // namespace zul
