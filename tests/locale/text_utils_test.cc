#include "locale/text_utils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zul {
namespace {

// The lines of a justified text of `width` columns, joined by " / ".
std::string Lines(std::string text, int16_t indent, int16_t width, const char* mode) {
  JustifyText(&text, indent, width, mode);
  std::string joined;
  for (size_t i = 0; i < text.size(); i += static_cast<size_t>(width)) {
    if (!joined.empty()) joined += " / ";
    joined += text.substr(i, static_cast<size_t>(width));
  }
  return joined;
}

TEST(AllSameCharTest, EmptyTextAndBlanks) {
  EXPECT_TRUE(AllSameChar("", 32));
  EXPECT_TRUE(AllSameChar("   ", 32));
  EXPECT_FALSE(AllSameChar("  x", 32));
  EXPECT_TRUE(AllSameChar("\xC4\xC4", 196));
}

TEST(CentreOffsetTest, TruncatesTowardZero) {
  EXPECT_EQ(CentreOffset(std::string(31, 'x'), 80), 24);
  EXPECT_EQ(CentreOffset(std::string(13, 'x'), 10), -1);
  EXPECT_EQ(CentreOffset("", 5), 2);
}

TEST(TextStackTest, PopsInReverseOrder) {
  TextStack stack;
  stack.PushText("ab");
  stack.PushText("");
  EXPECT_EQ(stack.Bytes(), std::string("ab\x02\x00\x00\x00", 6));
  EXPECT_EQ(stack.PopText(), "");
  EXPECT_EQ(stack.PopText(), "ab");
  EXPECT_TRUE(stack.Empty());
}

TEST(TextStackTest, ItemsHoldAnyBytes) {
  TextStack stack;
  const std::string number("\x05\x00\xFF\x7F", 4);
  stack.PushText(number);
  stack.PushText(std::string(300, 'z'));
  EXPECT_EQ(stack.PopText(), std::string(300, 'z'));
  EXPECT_EQ(stack.PopText(), number);
}

TEST(TextStackTest, PoppingAnEmptyStackGivesTheEmptyText) {
  TextStack stack;
  EXPECT_EQ(stack.PopText(), "");
  stack.PushText("x");
  EXPECT_EQ(stack.PopText(), "x");
  EXPECT_EQ(stack.PopText(), "");
  EXPECT_TRUE(stack.Empty());
}

TEST(TextStackTest, AnOverlongItemKeepsItsFirst32767Bytes) {
  TextStack stack;
  stack.PushText(std::string(40000, 'q'));
  EXPECT_EQ(stack.PopText().size(), 32767u);
  EXPECT_TRUE(stack.Empty());
}

TEST(FoldTextTest, UpperCaseTable) {
  // à Ç ñ ø
  EXPECT_EQ(FoldText("\x85\x80\xA4\x9B"), "\xB7\x80\xA5\x9B");
  EXPECT_EQ(FoldText("abc xyz-09"), "ABC XYZ-09");
  // ÿ ß þ µ and 213 stay; ý becomes Ý; bytes outside 64..237 stay.
  EXPECT_EQ(FoldText("\x98\xE1\xE7\xE6\xD5\xEC\xEE\xFF\x1F"),
            "\x98\xE1\xE7\xE6\xD5\xED\xEE\xFF\x1F");
}

TEST(FoldTextTest, PlainLetterTable) {
  // À ç ñ - @
  EXPECT_EQ(FoldText("\xB7\x87\xA4-@", true), "ACN- ");
  EXPECT_EQ(FoldText("Caf\x82 \xE1\xE8\x98\xD5", true), "CAFE STYE");
  // Symbols, box drawing and the bytes 91..96 and 123..127 become blanks.
  EXPECT_EQ(FoldText("[`{~\xC4\xDB", true), "      ");
  EXPECT_EQ(FoldText("\xEE\xFF", true), "\xEE\xFF");
}

TEST(FoldTextTest, TablesCoverTheWholeRange) {
  for (int b = 0; b < 256; ++b) {
    const bool outside = b < 64 || b > 237;
    if (outside) {
      EXPECT_EQ(kUpperFold[b], b);
      EXPECT_EQ(kPlainFold[b], b);
    } else {
      EXPECT_TRUE(kPlainFold[b] == ' ' || (kPlainFold[b] >= 'A' && kPlainFold[b] <= 'Z')) << b;
    }
  }
}

TEST(JustifyTextTest, LayoutModesAndIndents) {
  EXPECT_EQ(Lines("aa bb cc dd", 0, 8, "L"), "aa bb cc / dd      ");
  EXPECT_EQ(Lines("aa bb cc dd ee ff", 0, 12, "A"), "aa  bb cc dd / ee ff");
  EXPECT_EQ(Lines("hello world", 0, 8, "C"), " hello   /  world  ");
  EXPECT_EQ(Lines("hello world", 0, 8, "R"), "   hello /    world");
  EXPECT_EQ(Lines("hello world", 0, 8, "N"), "hello--- / world---");
  EXPECT_EQ(Lines("abcdefghijkl", 0, 5, "L"), "abcde / fghij / kl   ");
  EXPECT_EQ(Lines("one two three four five", 2, 10, "L"), "  one two  / three four / five      ");
  EXPECT_EQ(Lines("one two three four five", -2, 10, "L"),
            "one two    /   three    /   four     /   five    ");
}

TEST(JustifyTextTest, ModesCompareInUpperCaseAndSynonyms) {
  EXPECT_EQ(Lines("hello world", 0, 8, "l"), Lines("hello world", 0, 8, "E"));
  EXPECT_EQ(Lines("hello world", 0, 8, "i"), Lines("hello world", 0, 8, "L"));
  EXPECT_EQ(Lines("hello world", 0, 8, "d"), Lines("hello world", 0, 8, "R"));
  EXPECT_EQ(Lines("aa bb cc dd ee ff", 0, 12, "b"), Lines("aa bb cc dd ee ff", 0, 12, "A"));
  std::string text = "hello world";
  JustifyText(&text, 0, 8, "X");
  EXPECT_EQ(text, "helloworld");  // lines left unfilled
}

TEST(JustifyTextTest, BothMarginsWidenTheGapsFromLeftToRight) {
  // The search for a gap starts two columns on, so one-letter words keep
  // their first gap.
  EXPECT_EQ(Lines("a b c d e f g h i", 0, 10, "A"), "a b  c d e / f g h i");
  // Three blanks to add over two gaps: the first gap gets the third.
  EXPECT_EQ(Lines("ab cd ef ghijk", 0, 11, "A"), "ab   cd  ef / ghijk");
}

TEST(JustifyTextTest, ControlCharactersTakeNoColumn) {
  // Byte 30 toggles the highlight in help and messages.
  // Byte 30 toggles the highlight in help and messages: "ab cd" fills the
  // five columns of the first line, which is two bytes longer.
  std::string text =
      "\x1E"
      "ab\x1E cd ef";
  JustifyText(&text, 0, 5, "L");
  EXPECT_EQ(text,
            "\x1E"
            "ab\x1E cd"
            "ef   ");
}

TEST(JustifyTextTest, AWidthNotAboveTheIndentLeavesTheText) {
  std::string text = "some words";
  JustifyText(&text, 5, 5, "L");
  EXPECT_EQ(text, "some words");
  JustifyText(&text, -6, 4, "L");
  EXPECT_EQ(text, "some words");
  JustifyText(&text, 0, 0, "L");
  EXPECT_EQ(text, "some words");
}

TEST(JustifyTextTest, MessageLayoutOfTheMessageWindow) {
  std::string text = "ERROR D'ACCES AL FITXER";
  JustifyText(&text, 0, 76, "i");
  EXPECT_EQ(text.size(), 76u);
  EXPECT_EQ(text.substr(0, 23), "ERROR D'ACCES AL FITXER");
  std::string empty;
  JustifyText(&empty, 0, 76, "i");
  EXPECT_EQ(empty, "");
}

}  // namespace
}  // namespace zul
