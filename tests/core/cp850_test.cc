#include "core/cp850.h"

#include <gtest/gtest.h>

namespace zul {
namespace {

TEST(Cp850Test, EveryByteRoundTripsThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string back;
  ASSERT_TRUE(Utf8ToCp850(Cp850ToUtf8(all), &back));
  EXPECT_EQ(back, all);
}

TEST(Cp850Test, KnownCharacters) {
  struct Case {
    uint8_t byte;
    const char* utf8;
  };
  const Case cases[] = {
      {128, "Ç"}, {135, "ç"}, {133, "à"}, {183, "À"}, {164, "ñ"},      {201, "╔"},
      {205, "═"}, {179, "│"}, {196, "─"}, {213, "ı"}, {255, "\u00a0"}, {'A', "A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp850ToUtf8(std::string(1, static_cast<char>(c.byte))), c.utf8) << int{c.byte};
  }
}

TEST(Cp850Test, ControlGlyphsForTheConsole) {
  EXPECT_EQ(Cp850GlyphToUnicode(0x10), U'►');
  EXPECT_EQ(Cp850GlyphToUnicode(0x11), U'◄');
  EXPECT_EQ(Cp850GlyphToUnicode(127), U'⌂');
  EXPECT_EQ(Cp850GlyphToUnicode(0xC9), U'╔');
  EXPECT_EQ(Cp850ToUnicode(0x10), U'\x10');
}

TEST(Cp850Test, RefusesWhatCodePage850CannotHold) {
  struct Case {
    std::string utf8;
    size_t bad_offset;
  };
  const Case cases[] = {
      {"ab€", 2},               // euro sign: not in the code page
      {"x\xC3", 1},             // truncated sequence
      {"\xC0\x80", 0},          // overlong NUL
      {"ok\xED\xA0\x80", 2},    // surrogate
      {"\xF4\x90\x80\x80", 0},  // past Unicode
      {"日本", 0},
  };
  for (const Case& c : cases) {
    std::string out = "untouched";
    size_t bad = 99;
    EXPECT_FALSE(Utf8ToCp850(c.utf8, &out, &bad)) << c.utf8;
    EXPECT_EQ(bad, c.bad_offset) << c.utf8;
    EXPECT_EQ(out, "untouched");
  }
}

}  // namespace
}  // namespace zul
