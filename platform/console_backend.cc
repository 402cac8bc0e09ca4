#include "platform/console_backend.h"

#include "core/cp850.h"

namespace zul {

uint8_t AltLetterScanCode(char letter) {
  // The PC keyboard's letter rows: QWERTYUIOP from 10, ASDFGHJKL from 1e,
  // ZXCVBNM from 2c.
  static constexpr uint8_t kScan[26] = {
      0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
      0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C,
  };
  if (letter >= 'a' && letter <= 'z') return kScan[letter - 'a'];
  if (letter >= 'A' && letter <= 'Z') return kScan[letter - 'A'];
  return 0;
}

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
