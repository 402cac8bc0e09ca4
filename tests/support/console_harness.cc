#include "tests/support/console_harness.h"

#include "core/cp850.h"

namespace zul::testing {

SessionValues TestSessionValues(const std::string& dir) {
  SessionValues v;
  v.work_dir = dir + "/";
  v.terminal_dir = v.work_dir;
  // kDefaultColourSet: highlight 15 on 0, normal 7 on 0, the rest 0 on 7.
  v.screen_colours = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};
  v.language_code = "CAT";
  v.host_mode = "DOS";
  return v;
}

std::string ConsoleHarness::Screen(bool attributes) {
  console.Flush();
  return DumpScreenText(input.LastFrame(), attributes);
}

std::string ConsoleHarness::Row(int row) {
  console.Flush();
  std::string text = Cells(row, 1, kScreenColumns);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string ConsoleHarness::Cells(int row, int column, int count) {
  console.Flush();
  std::string out;
  for (int c = column; c < column + count && c <= kScreenColumns; ++c) {
    const uint8_t ch = input.LastFrame().At(row, c).ch;
    AppendUtf8(ch == 0 ? U' ' : Cp850GlyphToUnicode(ch), &out);
  }
  return out;
}

uint8_t ConsoleHarness::Attr(int row, int column) {
  console.Flush();
  return input.LastFrame().At(row, column).attr;
}

}  // namespace zul::testing
