#include "core/cp850.h"

#include <array>
#include <utility>

namespace zul {
namespace {

constexpr std::array<char16_t, 128> kHighHalf = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

// What a PC console shows for the control bytes 0-31.
constexpr std::array<char16_t, 32> kControlGlyphs = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
    0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
    0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};

}  // namespace

char32_t Cp850ToUnicode(uint8_t byte) {
  return byte < 128 ? char32_t{byte} : char32_t{kHighHalf[byte - 128]};
}

char32_t Cp850GlyphToUnicode(uint8_t byte) {
  if (byte < 32) return kControlGlyphs[byte];
  if (byte == 127) return 0x2302;  // ⌂
  return Cp850ToUnicode(byte);
}

int UnicodeToCp850(char32_t code_point) {
  if (code_point < 128) return static_cast<int>(code_point);
  for (size_t i = 0; i < kHighHalf.size(); ++i) {
    if (kHighHalf[i] == code_point) return static_cast<int>(128 + i);
  }
  return -1;
}

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

int32_t DecodeUtf8(std::string_view text, size_t* pos) {
  const size_t start = *pos;
  const unsigned char lead = static_cast<unsigned char>(text[start]);
  ++*pos;
  if (lead < 0x80) return lead;
  int extra;
  int32_t cp;
  int32_t min;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, min = 0x10000;
  } else {
    return -1;
  }
  if (start + extra >= text.size()) return -1;
  for (int i = 1; i <= extra; ++i) {
    const unsigned char b = static_cast<unsigned char>(text[start + i]);
    if ((b & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms, surrogates and values past Unicode are not characters.
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  *pos = start + extra + 1;
  return cp;
}

std::string Cp850ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(Cp850ToUnicode(static_cast<uint8_t>(c)), &out);
  return out;
}

bool Utf8ToCp850(std::string_view text, std::string* out, size_t* bad_offset) {
  std::string result;
  result.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t at = pos;
    const int32_t cp = DecodeUtf8(text, &pos);
    const int byte = cp < 0 ? -1 : UnicodeToCp850(static_cast<char32_t>(cp));
    if (byte < 0) {
      if (bad_offset != nullptr) *bad_offset = at;
      return false;
    }
    result.push_back(static_cast<char>(byte));
  }
  *out = std::move(result);
  return true;
}

}  // namespace zul
