// Code page 850, the character set of every text inside the system.
//
// Conversion to and from UTF-8 happens only at the edges: the terminal, file
// names and environment variables on Linux, and command-line tools that take
// or print text. Bytes 0-127 are ASCII; bytes 128-255 follow the code page.
#ifndef ZUL_CORE_CP850_H_
#define ZUL_CORE_CP850_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

// The Unicode character of a code page 850 byte as text (controls stay controls).
char32_t Cp850ToUnicode(uint8_t byte);

// The Unicode character a console shows for a byte: as Cp850ToUnicode, except
// that the control bytes 1-31 and 127 show their classic glyphs (☺ ► ◄ ▲ ⌂ ...).
char32_t Cp850GlyphToUnicode(uint8_t byte);

// The code page 850 byte of a Unicode character, or -1 when it has none.
int UnicodeToCp850(char32_t code_point);

// Encodes one code point as UTF-8 and appends it to `out`.
void AppendUtf8(char32_t code_point, std::string* out);

// Decodes one UTF-8 sequence at `text[*pos]`, advancing *pos past it. Returns
// the code point, or -1 for a malformed sequence (then *pos skips one byte).
int32_t DecodeUtf8(std::string_view text, size_t* pos);

std::string Cp850ToUtf8(std::string_view text);

// Converts UTF-8 to code page 850. Returns false when the text is not valid
// UTF-8 or holds a character code page 850 cannot show; `*bad_offset` then
// gives the byte offset of the first such character.
bool Utf8ToCp850(std::string_view text, std::string* out, size_t* bad_offset = nullptr);

}  // namespace zul

#endif  // ZUL_CORE_CP850_H_
