#include <gtest/gtest.h>

#include <string>

#include "console/help_viewer.h"
#include "console/key_codes.h"
#include "console/message_window.h"
#include "tests/support/console_harness.h"

namespace zul {
namespace {

using testing::ConsoleHarness;
using testing::FileExists;
using testing::WriteFileBytes;

// A help text file of `lines` records "LINE n", 80 bytes each.
std::string NumberedHelp(int lines) {
  std::string file;
  for (int i = 1; i <= lines; ++i) {
    std::string record = "LINE " + std::to_string(i);
    record.resize(80, ' ');
    file += record;
  }
  return file;
}

// The text shown on window row `row` of the help viewer (from column 3: the
// border, then one blank), trailing blanks cut.
std::string HelpRow(ConsoleHarness& h, int row) {
  const std::string text = h.Cells(4 + row, 3, 20);
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

TEST(ShowMessageTest, AOneLineMessageStandsAboveItsRow) {
  ConsoleHarness h;
  h.ui.SetTextStyle("n");
  const std::string text(30, 'M');
  ShowMessage(h.ui, 12, text);
  EXPECT_EQ(h.ui.windows().ActiveWindow(), (WindowRect{9, 24, 11, 57}));
  EXPECT_EQ(h.Cells(9, 24, 3), "┌──");
  EXPECT_EQ(h.Cells(11, 57, 1), "┘");
  EXPECT_EQ(h.Cells(10, 24, 34), "│ " + text + " │");
  EXPECT_EQ(h.Attr(10, 26), 0x70);  // reverse
  EXPECT_EQ(h.Attr(9, 24), 0x70);
  EXPECT_EQ(h.ui.styles().CurrentStyle(), 1);  // the caller's style is back
  h.ui.PopWindow();
  EXPECT_EQ(h.Row(10), "");

  ShowMessage(h.ui, 24, text);
  EXPECT_EQ(h.ui.windows().ActiveWindow(), (WindowRect{21, 24, 23, 57}));
  h.ui.PopWindow();
}

TEST(ShowMessageTest, TwoLinesMakeAFourRowBoxAsWideAsTheLongerLine) {
  ConsoleHarness h;
  const std::string text = std::string(70, 'A') + " " + std::string(10, 'B');
  ShowMessage(h.ui, 12, text);
  // Top 12 - 1 - 2 = 9, four rows; 70 columns of text + 4.
  EXPECT_EQ(h.ui.windows().ActiveWindow(), (WindowRect{9, 4, 12, 77}));
  EXPECT_EQ(h.Cells(10, 6, 70), std::string(70, 'A'));
  EXPECT_EQ(h.Cells(11, 6, 11), std::string(10, 'B') + " ");
}

TEST(ShowMessageTest, AMessageNearTheBottomMovesUp) {
  ConsoleHarness h;
  ShowMessage(h.ui, 25, "X");
  EXPECT_EQ(h.ui.windows().ActiveWindow(), (WindowRect{22, 38, 24, 42}));
}

TEST(ShowMessageTest, AMessageTooTallForTheScreenKeepsItsFirstLinesAndStaysBalanced) {
  ConsoleHarness h;
  std::string text;
  for (int i = 0; i < 30; ++i) text += std::string(75, static_cast<char>('a' + i % 26)) + " ";
  h.console.Write("under");
  h.ui.SetTextStyle("u");
  ShowMessage(h.ui, 12, text);
  EXPECT_EQ(h.ui.windows().Depth(), 1);
  EXPECT_EQ(h.ui.windows().ActiveWindow(), (WindowRect{1, 1, 25, 79}));
  EXPECT_EQ(h.Cells(24, 4, 3), "www");  // line 23
  EXPECT_EQ(h.ui.styles().CurrentStyle(), 4);
  h.ui.PopWindow();
  EXPECT_EQ(h.Row(1), "under");
}

TEST(ScrollRegionTest, CornersAreZeroBasedAndZeroScrollsDown) {
  ConsoleHarness h;
  for (int16_t row = 1; row <= 4; ++row) {
    h.console.SetCursor(row, 1);
    h.console.Write(std::string(4, static_cast<char>('0' + row)));
  }
  ScrollRegion(h.console, 0, 1, 2, 2, 1);  // rows 1-3, columns 2-3, up
  EXPECT_EQ(h.Row(1), "1221");
  EXPECT_EQ(h.Row(3), "3  3");
  ScrollRegion(h.console, 0, 0, 3, 0, 0);  // column 1, down by one
  EXPECT_EQ(h.Cells(1, 1, 1) + h.Cells(2, 1, 1) + h.Cells(4, 1, 1), " 13");
  ScrollRegion(h.console, 0, 0, 3, 0, -2);
  EXPECT_EQ(h.Cells(3, 1, 1) + h.Cells(4, 1, 1), " 1");
}

class HelpViewerTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteFileBytes(h_.dir.Path("AJUDA/TOPIC.HLP"), NumberedHelp(40)); }
  ConsoleHarness h_;
};

TEST_F(HelpViewerTest, PagesThroughTheFile) {
  std::string seen;
  auto look = [&](const char* name) {
    h_.input.Then([&, name] {
      seen += std::string(name) + "=" + HelpRow(h_, 1) + ".." + HelpRow(h_, 17) + " ";
    });
  };
  look("start");
  h_.input.Key(kKeyUp);  // at the top: nothing
  look("up");
  h_.input.Key(kKeyDown);
  look("down");
  h_.input.Key(kKeyEnd);
  look("end");
  h_.input.Key(kKeyDown);  // at the end: nothing
  look("down");
  h_.input.Key(kKeyUp);
  look("up");
  h_.input.Key(kKeyHome);
  look("home");
  h_.input.Key(kKeyPgDn);
  look("pgdn");
  h_.input.Key(kKeyPgDn);
  look("pgdn");
  h_.input.Key(kKeyPgUp);
  look("pgup");
  h_.input.Key(kKeyPgUp);
  look("pgup");
  h_.input.Key(kKeyEsc);
  ShowHelp(h_.ui, "TOPIC");
  EXPECT_EQ(seen,
            "start=LINE 1..LINE 17 up=LINE 1..LINE 17 down=LINE 2..LINE 18 end=LINE 24..LINE 40 "
            "down=LINE 24..LINE 40 up=LINE 23..LINE 39 home=LINE 1..LINE 17 pgdn=LINE 18..LINE 34 "
            "pgdn=LINE 24..LINE 40 pgup=LINE 8..LINE 24 pgup=LINE 1..LINE 17 ");
  EXPECT_FALSE(h_.input.Overrun());
}

TEST_F(HelpViewerTest, TheWindowIsDoubleFramedAndLeavesNothingBehind) {
  h_.console.Write("below");
  h_.ui.SetTextStyle("u");
  std::string top, bottom;
  h_.input.Then([&] {
    top = h_.Cells(4, 1, 3) + h_.Cells(4, 80, 1);
    bottom = h_.Cells(22, 1, 1) + h_.Cells(22, 80, 1);
  });
  h_.input.Key(kKeyEsc);
  ShowHelp(h_.ui, "TOPIC ");  // trailing blanks of a session value are not in the file name
  EXPECT_EQ(top, "╔══╗");
  EXPECT_EQ(bottom, "╚╝");
  EXPECT_EQ(h_.Row(1), "below");
  EXPECT_EQ(h_.Row(4), "");
  EXPECT_EQ(h_.ui.styles().CurrentStyle(), 4);
  EXPECT_EQ(h_.ui.windows().Depth(), 0);
}

TEST_F(HelpViewerTest, F1OpensTheMenuHelpOverTheTopic) {
  std::string menu = "MENU HELP";
  menu.resize(80, ' ');
  WriteFileBytes(h_.dir.Path("AJUDA/BORELANE.HLP"), menu);
  std::string inner, after;
  h_.input.Key(kKeyF1);
  h_.input.Then([&] { inner = HelpRow(h_, 1); });
  h_.input.Key(kKeyF1);  // inside the menu's own help: nothing
  h_.input.Key(kKeyEsc);
  h_.input.Then([&] { after = HelpRow(h_, 1); });
  h_.input.Key(kKeyEsc);
  ShowHelp(h_.ui, "TOPIC");
  EXPECT_EQ(inner, "MENU HELP");
  EXPECT_EQ(after, "LINE 1");
  EXPECT_FALSE(h_.input.Overrun());
}

TEST_F(HelpViewerTest, StyleTogglesTakeNoColumn) {
  std::string record = "a \x1Ewell\x1E word \x1Fund\x1F \x10rev\x10! \x1F\x1Eu\x1E\x1F";
  record.resize(80, ' ');
  WriteFileBytes(h_.dir.Path("AJUDA/STYLES.HLP"), record);
  std::string text, attrs;
  h_.input.Then([&] {
    text = h_.Cells(5, 3, 22);
    // a, well, word, und, rev, !, and a highlight inside underline.
    for (int column : {3, 5, 10, 15, 19, 22, 24}) attrs += KeyCodeText(h_.Attr(5, column)) + " ";
  });
  h_.input.Key(kKeyEsc);
  ShowHelp(h_.ui, "STYLES");
  EXPECT_EQ(text, "a well word und rev! u");
  EXPECT_EQ(attrs, "0007 000f 0007 0070 0070 0007 0070 ");
}

TEST_F(HelpViewerTest, OnlyTheFirst76CharactersOfARecordShow) {
  std::string plain(80, 'p');
  std::string marked = "\x1E" + std::string(79, 'm');
  WriteFileBytes(h_.dir.Path("AJUDA/WIDE.HLP"), plain + marked);
  std::string row1, row2;
  h_.input.Then([&] {
    row1 = h_.Cells(5, 1, 80);
    row2 = h_.Cells(6, 1, 80);
  });
  h_.input.Key(kKeyEsc);
  ShowHelp(h_.ui, "WIDE");
  EXPECT_EQ(row1, "║ " + std::string(76, 'p') + " ║");
  EXPECT_EQ(row2, "║ " + std::string(76, 'm') + " ║");
}

TEST_F(HelpViewerTest, APartialLastRecordAndAMissingFile) {
  WriteFileBytes(h_.dir.Path("AJUDA/PART.HLP"), NumberedHelp(2) + "LINE 3 cut");
  std::string rows;
  h_.input.Then([&] { rows = HelpRow(h_, 1) + "|" + HelpRow(h_, 2) + "|" + HelpRow(h_, 3); });
  h_.input.Key(kKeyEnd);  // two lines fit the window: nothing to move
  h_.input.Key(kKeyEsc);
  ShowHelp(h_.ui, "PART");
  EXPECT_EQ(rows, "LINE 1|LINE 2|");

  h_.input.Key(kKeyDown);
  h_.input.Key(kKeyEsc);
  ShowHelp(h_.ui, "NONE");
  EXPECT_TRUE(FileExists(h_.dir.Path("AJUDA/NONE.HLP")));  // created empty
  EXPECT_FALSE(h_.input.Overrun());
  EXPECT_EQ(h_.ui.windows().Depth(), 0);
}

TEST(ShowHelpTest, AWindowsHostStartsTheLauncherWithTheTopicAsOneArgument) {
  ConsoleHarness h([](SessionValues& v) { v.host_mode = "WIN"; });
  h.env.SetEnv("COMSPEC", "C:\\WINDOWS\\SYSTEM32\\CMD.EXE");
  h.console.Write("form");
  h.console.Flush();
  const int full = h.input.FullFrames();
  ShowHelp(h.ui, "X & del *");
  ASSERT_EQ(h.env.StartedProcesses().size(), 1u);
  EXPECT_EQ(h.env.StartedProcesses()[0],
            (std::vector<std::string>{"C:\\WINDOWS\\SYSTEM32\\CMD.EXE", "/C", "PAKOTI",
                                      "AJUDA\\X & del *.HTM"}));
  EXPECT_EQ(h.input.Suspends(), 1);
  EXPECT_EQ(h.input.FullFrames(), full + 1);  // the form is drawn again
  EXPECT_EQ(h.Row(1), "form");
  EXPECT_EQ(h.ui.windows().Depth(), 0);
}

}  // namespace
}  // namespace zul
