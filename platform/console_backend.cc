#include "platform/console_backend.h"

#include "core/cp850.h"

namespace zul {

std::string DumpScreenText(const ScreenFrame& frame, bool attributes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (int row = 1; row <= kScreenRows; ++row) {
    int last = kScreenColumns;
    while (last > 0 && frame.At(row, last).ch == ' ') --last;
    for (int column = 1; column <= last; ++column) {
      const uint8_t ch = frame.At(row, column).ch;
      AppendUtf8(ch == 0 ? U' ' : Cp850GlyphToUnicode(ch), &out);
    }
    out += '\n';
    if (attributes) {
      for (int column = 1; column <= kScreenColumns; ++column) {
        const uint8_t attr = frame.At(row, column).attr;
        out += kHex[attr >> 4];
        out += kHex[attr & 15];
      }
      out += '\n';
    }
  }
  return out;
}

}  // namespace zul
