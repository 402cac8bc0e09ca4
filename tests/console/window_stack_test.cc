#include "console/window_stack.h"

#include <gtest/gtest.h>

#include "tests/support/console_harness.h"

namespace zul {
namespace {

using testing::ConsoleHarness;
using testing::FileExists;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

// Fills the screen with a pattern of characters and colours.
void Paint(Console& c) {
  for (int16_t row = 1; row <= 25; ++row) {
    for (int16_t column = 1; column <= 80; ++column) {
      c.SetColours(static_cast<int16_t>((row + column) % 16), static_cast<int16_t>(row % 8));
      c.SetCursor(row, column);
      c.Write(std::string(1, static_cast<char>(33 + (row * 7 + column) % 200)));
    }
  }
}

class WindowStackTest : public ::testing::Test {
 protected:
  std::string File() { return ReadFileBytes(h_.dir.Path("WinPush.tmp")); }
  bool FilePresent() { return FileExists(h_.dir.Path("WinPush.tmp")); }

  ConsoleHarness h_;
  WindowStack& w_ = h_.ui.windows();
  Console& c_ = h_.console;
};

TEST_F(WindowStackTest, PushWritePopRestoresEveryCellAndTheCursor) {
  Paint(c_);
  c_.SetCursor(7, 33);
  const ScreenFrame before = c_.Model();
  w_.PushWindow(4, 1, 22, 80);
  EXPECT_EQ(w_.Depth(), 1);
  EXPECT_EQ(w_.ActiveWindow(), (WindowRect{4, 1, 22, 80}));
  c_.SetColours(1, 2);
  w_.DrawFrame(2);
  w_.WindowLocate(3, 3);
  c_.Write("over");
  w_.PopWindow();
  EXPECT_EQ(c_.Model().cells, before.cells);
  EXPECT_EQ(c_.CursorRow(), 7);
  EXPECT_EQ(c_.CursorColumn(), 33);
  EXPECT_EQ(w_.Depth(), 0);
  EXPECT_EQ(w_.ActiveWindow(), WindowRect{});
  EXPECT_FALSE(FilePresent());
  // The colours are those of the last cell put back.
  EXPECT_EQ(c_.Attribute(), before.At(22, 80).attr);
}

TEST_F(WindowStackTest, NestedWindowsComeBackInReverseOrder) {
  Paint(c_);
  const ScreenFrame start = c_.Model();
  w_.PushWindow(4, 10, 20, 70);
  w_.DrawFrame(1);
  const ScreenFrame outer = c_.Model();
  w_.PushWindow(8, 20, 12, 50);
  w_.DrawFrame(2);
  EXPECT_EQ(w_.Depth(), 2);
  w_.PopWindow();
  EXPECT_EQ(c_.Model().cells, outer.cells);
  EXPECT_EQ(w_.ActiveWindow(), (WindowRect{4, 10, 20, 70}));
  w_.WindowLocate(1, 2);
  EXPECT_EQ(c_.CursorRow(), 5);
  EXPECT_EQ(c_.CursorColumn(), 12);
  EXPECT_EQ(w_.WindowFirstRow(), 5);
  EXPECT_EQ(w_.WindowFirstColumn(), 11);
  EXPECT_EQ(w_.WindowLastColumn(), 69);
  w_.PopWindow();
  EXPECT_EQ(c_.Model().cells, start.cells);
  EXPECT_FALSE(FilePresent());
}

TEST_F(WindowStackTest, TheFileHoldsEntriesInTheSharedLayout) {
  c_.SetColours(14, 1);
  c_.SetCursor(3, 4);
  c_.Write("Q");  // cursor at (3, 5)
  w_.PushWindow(3, 4, 3, 4);
  EXPECT_EQ(File(), std::string("\x20\x00\x00\x00", 4) +
                        "0305"
                        "00000000"
                        "03040304"
                        "Q\x1E"
                        "00027");
  w_.PushWindow(1, 1, 1, 2);
  EXPECT_EQ(File().substr(0, 4), std::string("\x3D\x00\x00\x00", 4));  // 32 + 29
  EXPECT_EQ(File().substr(31, 12),
            "0305"
            "03040304");
  w_.PopWindow();
  EXPECT_EQ(File().substr(0, 4), std::string("\x20\x00\x00\x00", 4));
  EXPECT_EQ(File().size(), 60u);  // the popped entry's bytes stay
}

TEST_F(WindowStackTest, WithoutAWindowPositionsAreAbsolute) {
  EXPECT_EQ(w_.WindowFirstRow(), 1);
  EXPECT_EQ(w_.WindowFirstColumn(), 1);
  EXPECT_EQ(w_.WindowLastColumn(), 80);
  EXPECT_EQ(w_.ScreenRows(), 25);
  EXPECT_EQ(w_.ScreenColumns(), 80);
  w_.WindowLocate(6, 7);
  EXPECT_EQ(c_.CursorRow(), 6);
  EXPECT_EQ(c_.CursorColumn(), 7);
  w_.DrawFrame(1);  // no window: nothing drawn
  EXPECT_EQ(h_.Row(1), "");
}

TEST_F(WindowStackTest, DrawFrameDrawsTheBorderAndBlanksTheInside) {
  Paint(c_);
  w_.PushWindow(4, 1, 22, 80);
  c_.SetColours(7, 0);
  w_.DrawFrame(2);
  EXPECT_EQ(h_.Cells(4, 1, 1), "╔");
  EXPECT_EQ(h_.Cells(4, 80, 1), "╗");
  EXPECT_EQ(h_.Cells(22, 1, 1), "╚");
  EXPECT_EQ(h_.Cells(22, 80, 1), "╝");
  EXPECT_EQ(h_.Cells(4, 2, 3), "═══");
  EXPECT_EQ(h_.Cells(10, 1, 1) + h_.Cells(10, 80, 1), "║║");
  for (int row = 5; row <= 21; ++row) EXPECT_EQ(h_.Cells(row, 2, 78), std::string(78, ' '));
  EXPECT_NE(h_.Cells(3, 1, 1), " ");  // outside the window: untouched
  w_.PushWindow(10, 10, 12, 14);
  w_.DrawFrame(1);
  EXPECT_EQ(h_.Cells(10, 10, 5), "┌───┐");
  EXPECT_EQ(h_.Cells(11, 10, 5), "│   │");
  EXPECT_EQ(h_.Cells(12, 10, 5), "└───┘");
  w_.DrawFrame(0);
  EXPECT_EQ(h_.Cells(10, 10, 5), "     ");
}

TEST_F(WindowStackTest, ARectangleOutsideTheScreenIsRefused) {
  w_.PushWindow(4, 1, 22, 80);
  for (const WindowRect& r :
       {WindowRect{0, 1, 5, 5}, WindowRect{1, 0, 5, 5}, WindowRect{1, 1, 26, 5},
        WindowRect{1, 1, 5, 81}, WindowRect{26, 1, 26, 5}, WindowRect{1, -3, 5, 5}}) {
    w_.PushWindow(r.top, r.left, r.bottom, r.right);
    EXPECT_EQ(w_.Depth(), 1);
    EXPECT_EQ(w_.ActiveWindow(), (WindowRect{4, 1, 22, 80}));
  }
  EXPECT_EQ(File().substr(0, 4), std::string("\xFE\x0B\x00\x00", 4));  // 5 + 25 + 2 * 19 * 80
}

TEST_F(WindowStackTest, PopWithNothingSavedRestoresNothing) {
  c_.Write("x");
  w_.PopWindow();
  EXPECT_EQ(h_.Row(1), "x");
  WriteFileBytes(h_.dir.Path("WinPush.tmp"), "ab");
  w_.PopWindow();
  EXPECT_FALSE(FilePresent());
  EXPECT_EQ(w_.Depth(), 0);
}

TEST_F(WindowStackTest, ASharedStackAppendsAfterTheEntriesAlreadyHeld) {
  c_.Write("A");
  w_.PushWindow(1, 1, 1, 1);
  {
    // Another program of the session, on the same work directory.
    ConsoleUi other(h_.env, c_, h_.session);
    c_.SetCursor(1, 1);
    c_.Write("B");
    other.PushWindow(1, 1, 1, 1);
    c_.SetCursor(1, 1);
    c_.Write("C");
    other.PopWindow();
    EXPECT_EQ(h_.Cells(1, 1, 1), "B");
  }
  w_.PopWindow();
  EXPECT_EQ(h_.Cells(1, 1, 1), "A");
  EXPECT_FALSE(FilePresent());
}

// A stack file left by a program that crashed.
class BrokenStackFileTest : public WindowStackTest,
                            public ::testing::WithParamInterface<std::string> {};

TEST_P(BrokenStackFileTest, RestoresNothingAndTheNextPushStartsAFreshStack) {
  WriteFileBytes(h_.dir.Path("WinPush.tmp"), GetParam());
  c_.Write("screen");
  const ScreenFrame before = c_.Model();
  w_.PopWindow();
  EXPECT_EQ(c_.Model().cells, before.cells);
  EXPECT_EQ(w_.Depth(), 0);
  // After the failed pop, and also straight away on the broken file.
  for (int round = 0; round < 2; ++round) {
    if (round == 1) WriteFileBytes(h_.dir.Path("WinPush.tmp"), GetParam());
    w_.PushWindow(1, 1, 1, 6);
    c_.SetCursor(1, 1);
    c_.Write("XXXXXX");
    w_.PopWindow();
    EXPECT_EQ(h_.Row(1), "screen") << round;
    if (round == 0) {
      EXPECT_FALSE(FilePresent());
    }
  }
}

std::string Entry11(const std::string& length) {
  return "0101"
         "00000000"
         "01010101"
         "x\x07" +
         length;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenStackFileTest,
    ::testing::Values(
        std::string("\x05\x00\x00", 3),                         // truncated header
        std::string("\x20\x00\x00\x00", 4) + "0101000000",      // truncated entry
        std::string("\xFF\xFF\x00\x00", 4) + Entry11("00027"),  // end outside the file
        std::string("\x20\x00\x00\x00", 4) + Entry11("0002x"),  // non-digit length
        std::string("\x20\x00\x00\x00", 4) + Entry11("99999"),  // length past the start
        std::string("\x20\x00\x00\x00", 4) + Entry11("00029"),  // length not the cells'
        std::string("\x20\x00\x00\x00", 4) + "01a1"
                                             "00000000"
                                             "01010101"
                                             "x\x07"
                                             "00027",
        std::string("\x20\x00\x00\x00", 4) + "0101"
                                             "00000000"
                                             "01019901"
                                             "x\x07"
                                             "00027",
        std::string("\x03\x00\x00\x00", 4) + Entry11("00027"),    // end before the entries
        std::string("\x1D\x00\x00\x00", 4) + Entry11("00027")));  // end inside the entry

TEST_F(WindowStackTest, AnUnwritableWorkDirSavesNothing) {
  h_.env.FailOperation(EnvOp::kOpenForWriting);
  w_.PushWindow(2, 2, 5, 5);
  EXPECT_EQ(w_.Depth(), 0);
  EXPECT_EQ(w_.ActiveWindow(), WindowRect{});
}

}  // namespace
}  // namespace zul
