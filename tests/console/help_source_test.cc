#include "console/help_source.h"

#include <gtest/gtest.h>

#include "console/help_viewer.h"
#include "console/key_codes.h"
#include "tests/support/console_harness.h"

namespace zul {
namespace {

using testing::ConsoleHarness;
using testing::WriteFileBytes;

std::string Record(std::string text) {
  text.resize(80, ' ');
  return text;
}

TEST(HelpSourceTest, LinesBecomeRecordsWithTheToggles) {
  std::string records;
  std::vector<HelpSourceError> errors;
  ASSERT_TRUE(
      CompileHelpText("Pr\xC3\xA9mer {h}F1{h}\r\n{u}u{u} {r}r{r} {{x}\n\n", &records, &errors));
  EXPECT_EQ(records, Record("Pr\x82mer \x1E"
                            "F1\x1E") +
                         Record("\x1Fu\x1F \x10r\x10 {x}") + Record(""));
  EXPECT_TRUE(errors.empty());
  ASSERT_TRUE(CompileHelpText("", &records, &errors));
  EXPECT_EQ(records, "");
}

TEST(HelpSourceTest, SeventySixCharactersShowAndTheMarkUpTakesNoColumn) {
  std::string records;
  std::vector<HelpSourceError> errors;
  const std::string full(76, 'x');
  EXPECT_TRUE(CompileHelpText("{h}" + full + "{h}", &records, &errors));
  EXPECT_EQ(records.size(), 80u);
  EXPECT_FALSE(CompileHelpText(full + "y", &records, &errors));
  EXPECT_EQ(records, "");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], (HelpSourceError{1, "too long: 77 characters, at most 76 show"}));
}

TEST(HelpSourceTest, EveryFaultyLineIsNamed) {
  std::string records;
  std::vector<HelpSourceError> errors;
  const std::string source =
      "good\n" + std::string(90, 'a') + "\nEuro \xE2\x82\xAC\n\ttab\n{x}\nbad \xFF\n" +
      "{h}{u}{r}{h}{u}{r}{h}{u}{r}{h}{u}{r}{h}{u}{r}" + std::string(70, 'z') + "\n";
  EXPECT_FALSE(CompileHelpText(source, &records, &errors));
  const std::vector<HelpSourceError> expected = {
      {2, "too long: 90 characters, at most 76 show"},
      {3, "column 6: \"\xE2\x82\xAC\" (U+20AC) cannot be shown in code page 850"},
      {4, "column 1: control character U+0009 (a tab: use blanks)"},
      {5, "column 1: unknown mark-up (use {h}, {u}, {r}, or {{ for a \"{\")"},
      {6, "column 5: not valid UTF-8"},
      {7, "too long: 85 bytes with the mark-up, at most 80"},
  };
  EXPECT_EQ(errors, expected);
}

TEST(HelpSourceTest, TheViewerShowsACompiledFile) {
  ConsoleHarness h;
  std::string records;
  std::vector<HelpSourceError> errors;
  ASSERT_TRUE(CompileHelpText("Ajuda de {h}prova{h}\nSegona l\xC3\xADnia\n", &records, &errors));
  WriteFileBytes(h.dir.Path("AJUDA/PROVA.HLP"), records);
  std::string first, second;
  uint8_t highlight = 0;
  h.input.Then([&] {
    first = h.Cells(5, 3, 14);
    second = h.Cells(6, 3, 12);
    highlight = h.Attr(5, 12);
  });
  h.input.Key(kKeyEsc);
  ShowHelp(h.ui, "PROVA");
  EXPECT_EQ(first, "Ajuda de prova");
  EXPECT_EQ(second, "Segona l\xC3\xADnia");
  EXPECT_EQ(highlight, 0x0F);
}

}  // namespace
}  // namespace zul
