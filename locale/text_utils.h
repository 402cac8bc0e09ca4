// Small text operations shared by the whole system: the one-character test,
// centring, the text stack, folding of code page 850 text and the justified
// line layout.
//
// Every text is a code page 850 byte string; positions are 1-based and
// lengths are 16-bit. The folding tables are constant data; the
// text stack is an object owned by the run's context (one per run).
#ifndef ZUL_LOCALE_TEXT_UTILS_H_
#define ZUL_LOCALE_TEXT_UTILS_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zul {

// True when every character of `text` has the code `code`; true for "".
bool AllSameChar(std::string_view text, int16_t code);

// (width - length) / 2, truncated toward zero: negative for a text wider
// than `width`.
int16_t CentreOffset(std::string_view text, int16_t width);

// A last-in-first-out stack of texts held in one byte string: each item is
// its bytes followed by its length as a 16-bit little-endian number. Callers
// push numbers as their little-endian byte forms.
class TextStack {
 public:
  // Appends an item; an item longer than 32767 bytes keeps its first 32767.
  void PushText(std::string_view item);
  // Removes and returns the last item. Callers pop only what they pushed;
  // popping an empty stack gives "". A stack whose last length does not fit what it
  // holds (it cannot happen through PushText) is emptied and gives "".
  std::string PopText();

  bool Empty() const { return bytes_.empty(); }
  // The stack's bytes, in the layout above.
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// The folding tables for bytes 64..237 (other bytes stay). kUpperFold is the
// upper-case table, kPlainFold the plain-letter table; a byte b folds to
// table[b]. Both are full 256-entry maps so that lookups need no range test.
using FoldTable = std::array<uint8_t, 256>;
extern const FoldTable kUpperFold;
extern const FoldTable kPlainFold;

// The folded text, of the same length: upper case when `plain` is false (the
// FoldPlain flag), plain letters when it is true.
std::string FoldText(std::string_view text, bool plain = false);

// Lays `*text` out in lines of `width` columns (control characters, bytes
// below 32, take no column) with an indent and a fill mode:
// "E"/"L"/"I" left, "N" dashes, "D"/"R" right, "C" centred, "A"/"B" both
// margins; modes compare in upper case, any other leaves lines unfilled. A
// positive indent indents the first line, a negative one every other line.
// A width not above the indent of every line would make no progress: then
// the text is left as it is.
void JustifyText(std::string* text, int16_t indent, int16_t width, std::string_view mode);

}  // namespace zul

#endif  // ZUL_LOCALE_TEXT_UTILS_H_
