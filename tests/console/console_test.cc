#include "console/console.h"

#include <gtest/gtest.h>

#include "tests/support/console_harness.h"

namespace zul {
namespace {

using testing::ConsoleHarness;

TEST(ConsoleTest, WritesInTheCurrentColoursAndReadsCellsBack) {
  ConsoleHarness h;
  Console& c = h.console;
  c.SetColours(14, 1);
  c.SetCursor(3, 10);
  c.Write("M\x85\xC4");  // M, à, ─
  EXPECT_EQ(c.CursorRow(), 3);
  EXPECT_EQ(c.CursorColumn(), 13);
  EXPECT_EQ(c.CellChar(3, 11), 0x85);
  EXPECT_EQ(c.CellAttribute(3, 11), 0x1E);
  EXPECT_EQ(h.Row(3), "         Mà─");
  EXPECT_EQ(h.Attr(3, 10), 0x1E);
  EXPECT_EQ(h.Attr(3, 13), 0x07);
  c.SetColours(16, 4);  // 16 keeps the foreground
  EXPECT_EQ(c.Attribute(), 0x4E);
  EXPECT_EQ(c.Rows(), 25);
  EXPECT_EQ(c.Columns(), 80);
}

TEST(ConsoleTest, ACoordinateOutsideTheWindowIsKept) {
  ConsoleHarness h;
  h.console.SetCursor(5, 6);
  h.console.SetCursor(0, 9);
  EXPECT_EQ(h.console.CursorRow(), 5);
  EXPECT_EQ(h.console.CursorColumn(), 9);
  h.console.SetCursor(7, 81);
  EXPECT_EQ(h.console.CursorRow(), 7);
  EXPECT_EQ(h.console.CursorColumn(), 9);
}

TEST(ConsoleTest, WritingTheLastCellDoesNotScrollButTheNextCharacterDoes) {
  ConsoleHarness h;
  Console& c = h.console;
  c.SetCursor(1, 1);
  c.Write("top");
  c.SetCursor(25, 80);
  c.Write("x");
  EXPECT_EQ(c.CursorColumn(), 80);
  EXPECT_EQ(h.Row(1), "top");
  c.Write("y");
  EXPECT_EQ(h.Row(1), "");
  EXPECT_EQ(h.Row(24).substr(79), "x");
  EXPECT_EQ(h.Row(25), "y");
  c.SetCursor(4, 79);
  c.Write("abc");  // wraps to the next row
  EXPECT_EQ(h.Row(5), "c");
}

TEST(ConsoleTest, NewLineScrollsOnTheLastRow) {
  ConsoleHarness h;
  Console& c = h.console;
  c.Write("first");
  c.NewLine();
  EXPECT_EQ(c.CursorRow(), 2);
  EXPECT_EQ(c.CursorColumn(), 1);
  c.SetCursor(25, 5);
  c.Write("last");
  c.NewLine();
  EXPECT_EQ(c.CursorRow(), 25);
  EXPECT_EQ(h.Row(24), "    last");
  EXPECT_EQ(h.Row(1), "");
}

TEST(ConsoleTest, BlanksAndNumbersThroughAPicture) {
  ConsoleHarness h;
  Console& c = h.console;
  c.WriteNumber(7, "##");
  c.WriteNumber(1234, " #### ");
  c.WriteNumber(12.6, "(###)");
  c.WriteNumber(123, "##");
  c.WriteBlanks(3);
  c.Write("|");
  EXPECT_EQ(h.Row(1), " 7 1234 ( 13)%123   |");
}

TEST(ConsoleTest, ScrollsARectangleAndBlanksInTheCurrentColours) {
  ConsoleHarness h;
  Console& c = h.console;
  for (int16_t row = 1; row <= 5; ++row) {
    c.SetCursor(row, 1);
    c.Write(std::string(1, static_cast<char>('0' + row)) + "bcdef");
  }
  c.SetColours(0, 3);
  c.ScrollUp(2, 2, 4, 4, 1);
  EXPECT_EQ(h.Row(1), "1bcdef");
  EXPECT_EQ(h.Row(2), "2bcdef");
  EXPECT_EQ(h.Row(4), "4   ef");
  EXPECT_EQ(h.Attr(4, 2), 0x30);
  c.ScrollDown(1, 1, 5, 1, 2);
  EXPECT_EQ(h.Cells(1, 1, 1) + h.Cells(3, 1, 1) + h.Cells(5, 1, 1), " 13");
  c.ScrollUp(1, 1, 25, 80, 99);  // more rows than the rectangle: all blank
  EXPECT_EQ(h.Row(2), "");
}

TEST(ConsoleTest, ClearBlanksEverythingAndHomesTheCursor) {
  ConsoleHarness h;
  h.console.Write("abc");
  h.console.SetColours(7, 1);
  h.console.Clear();
  EXPECT_EQ(h.Row(1), "");
  EXPECT_EQ(h.Attr(25, 80), 0x17);
  EXPECT_EQ(h.console.CursorRow(), 1);
  EXPECT_EQ(h.console.CursorColumn(), 1);
}

TEST(ConsoleTest, OutputIsPresentedOnlyWhenTheProgramWaits) {
  ConsoleHarness h;
  h.console.Flush();
  const int frames = h.input.Frames();
  h.console.Write("abc");
  h.console.SetCursor(9, 9);
  EXPECT_EQ(h.input.Frames(), frames);
  EXPECT_EQ(h.console.ReadInput(), "");
  EXPECT_EQ(h.input.Frames(), frames + 1);
  EXPECT_EQ(h.input.LastFrame().cursor_row, 9);
  EXPECT_EQ(h.console.ReadInput(), "");  // nothing changed: no new frame
  EXPECT_EQ(h.input.Frames(), frames + 1);
  h.console.ShowCursor(false);
  h.console.Sleep(10);
  EXPECT_EQ(h.input.Frames(), frames + 2);
  EXPECT_FALSE(h.input.LastFrame().cursor_visible);
  EXPECT_EQ(h.env.SleptMillis(), 10);
}

TEST(ConsoleTest, KeysAndMouseEventsAsBytes) {
  ConsoleHarness h;
  h.input.Key('a');
  h.input.Key(0x4B00, kModCtrl);
  h.input.Mouse(kMousePress, kMouseButton1, 5, 12);  // dropped: reporting is off
  h.input.Key(0x2D00, kModAlt);
  Console& c = h.console;
  EXPECT_EQ(c.ReadInput(), "a");
  EXPECT_EQ(c.Modifiers(), 0);
  EXPECT_EQ(c.ReadInput(), std::string("\0K", 2));
  EXPECT_EQ(c.Modifiers(), kModCtrl);
  EXPECT_EQ(c.ReadInput(), std::string("\0-", 2));
  EXPECT_EQ(c.Modifiers(), kModAlt);
  EXPECT_EQ(c.ReadInput(), "");

  c.SetMouseReporting(true);
  EXPECT_TRUE(h.input.MouseReporting());
  h.input.Mouse(kMousePress, kMouseButton1, 5, 12);
  h.input.Mouse(kMouseMove, kMouseButton1, 5, 13);
  h.input.Mouse(kMouseRelease, 0, 5, 13);
  EXPECT_EQ(c.ReadInput(), "\xFF\xFF\x04\x01");
  EXPECT_EQ(c.MouseRow(), 5);
  EXPECT_EQ(c.MouseColumn(), 12);
  EXPECT_EQ(c.ReadInput(), "\xFF\xFF\x01\x01");
  EXPECT_EQ(c.ReadInput(), std::string("\xFF\xFF\x08\x00", 4));
  EXPECT_EQ(c.MouseColumn(), 13);
  EXPECT_EQ(c.MouseButtons(), 2);
}

TEST(ConsoleTest, ASecondQuickPressOnTheSameCellIsADoubleClick) {
  ConsoleHarness h;
  h.console.SetMouseReporting(true);
  h.input.Click(3, 4);
  h.input.Pause(100);
  h.input.Click(3, 4);
  h.input.Pause(1000);
  h.input.Click(3, 4);
  std::string kinds;
  for (int i = 0; i < 2000 && !h.input.ScriptDone(); ++i) {
    const std::string in = h.console.ReadInput();
    if (in.size() == 4) kinds += std::to_string(in[2]);
    if (in.empty()) h.console.WaitForInput(50);
  }
  EXPECT_EQ(kinds, "482848");
}

TEST(ConsoleTest, PausesRunInTheVirtualClock) {
  ConsoleHarness h;
  h.input.Pause(3000);
  h.input.Key(27);
  const int64_t start = h.env.NowMillis();
  std::string key;
  while ((key = h.console.ReadInput()).empty()) h.console.WaitForInput(1000);
  EXPECT_EQ(key, "\x1B");
  EXPECT_EQ(h.env.NowMillis() - start, 3000);
}

TEST(ConsoleTest, AnExhaustedScriptAnswersEscAndIsReported) {
  ConsoleHarness h;
  std::string key;
  while ((key = h.console.ReadInput()).empty()) h.console.WaitForInput(1000);
  EXPECT_EQ(key, "\x1B");
  EXPECT_TRUE(h.input.Overrun());
}

TEST(ConsoleTest, ScriptActionsSeeTheScreenHalfWay) {
  ConsoleHarness h;
  std::string seen;
  h.input.Key('1');
  h.input.Then([&] { seen = h.Row(1); });
  h.input.Key('2');
  std::string key;
  while ((key = h.console.ReadInput()) != "2") {
    if (!key.empty()) h.console.Write(key);
  }
  EXPECT_EQ(seen, "1");
}

TEST(ConsoleTest, BeepClipboardAndInsertToggle) {
  ConsoleHarness h;
  h.console.Beep();
  h.console.SetClipboard(
      "\x80"
      "a");
  EXPECT_EQ(h.input.Beeps(), 1);
  EXPECT_EQ(h.console.GetClipboard(),
            "\x80"
            "a");
  ASSERT_EQ(h.input.ClipboardWrites().size(), 1u);
  h.input.SetClipboardText("other");
  EXPECT_EQ(h.console.GetClipboard(), "other");
  EXPECT_FALSE(h.console.InsertToggle());
  h.console.SetInsertToggle(true);
  EXPECT_TRUE(h.console.InsertToggle());
}

TEST(ConsoleTest, AChildProcessGetsTheTerminalAndTheScreenIsRedrawn) {
  ConsoleHarness h;
  h.console.Write("keep");
  h.console.Flush();
  bool suspended_meanwhile = false;
  h.env.SetProcessHandler([&](const std::vector<std::string>&) {
    suspended_meanwhile = h.input.Suspended();
    return 3;
  });
  const int full = h.input.FullFrames();
  EXPECT_EQ(h.console.RunCommand({"/bin/prog", "a b", ";rm"}), 3);
  EXPECT_TRUE(suspended_meanwhile);
  EXPECT_FALSE(h.input.Suspended());
  EXPECT_EQ(h.input.FullFrames(), full + 1);
  EXPECT_EQ(h.Row(1), "keep");
  ASSERT_EQ(h.env.StartedProcesses().size(), 1u);
  EXPECT_EQ(h.env.StartedProcesses()[0], (std::vector<std::string>{"/bin/prog", "a b", ";rm"}));
}

TEST(ConsoleTest, DumpShowsGlyphsAndAttributes) {
  ConsoleHarness h;
  h.console.SetColours(15, 1);
  h.console.Write("\x10\xC9\x11");
  const std::string dump = h.Screen(true);
  EXPECT_EQ(dump.substr(0, dump.find('\n')), "►╔◄");
  EXPECT_EQ(dump.substr(dump.find('\n') + 1, 8), "1f1f1f07");
}

}  // namespace
}  // namespace zul
