#include "locale/text_utils.h"

#include <cstdlib>
#include <initializer_list>

namespace zul {

bool AllSameChar(std::string_view text, int16_t code) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) != code) return false;
  }
  return true;
}

int16_t CentreOffset(std::string_view text, int16_t width) {
  // C++ division truncates toward zero, which is the rounding wanted.
  return static_cast<int16_t>((width - static_cast<int>(text.size())) / 2);
}

void TextStack::PushText(std::string_view item) {
  if (item.size() > 32767) item = item.substr(0, 32767);
  bytes_.append(item);
  const auto n = static_cast<uint16_t>(item.size());
  bytes_.push_back(static_cast<char>(n & 0xFF));
  bytes_.push_back(static_cast<char>(n >> 8));
}

std::string TextStack::PopText() {
  if (bytes_.size() < 2) {
    bytes_.clear();
    return "";
  }
  const size_t size = bytes_.size();
  const size_t n = static_cast<unsigned char>(bytes_[size - 2]) |
                   static_cast<size_t>(static_cast<unsigned char>(bytes_[size - 1])) << 8;
  if (n > 32767 || n > size - 2) {
    bytes_.clear();
    return "";
  }
  std::string item = bytes_.substr(size - 2 - n, n);
  bytes_.resize(size - 2 - n);
  return item;
}

namespace {

struct FoldPair {
  uint8_t from;
  uint8_t to;
};

constexpr FoldTable MakeUpperFold() {
  FoldTable t{};
  for (int b = 0; b < 256; ++b) t[b] = static_cast<uint8_t>(b);
  for (int b = 'a'; b <= 'z'; ++b) t[b] = static_cast<uint8_t>(b - 'a' + 'A');
  constexpr FoldPair pairs[] = {
      {129, 154}, {130, 144}, {131, 182}, {132, 142}, {133, 183}, {134, 143}, {135, 128},
      {136, 210}, {137, 211}, {138, 212}, {139, 216}, {140, 215}, {141, 222}, {145, 146},
      {147, 226}, {148, 153}, {149, 227}, {150, 234}, {151, 235}, {160, 181}, {161, 214},
      {162, 224}, {163, 233}, {164, 165}, {198, 199}, {208, 209}, {228, 229}, {236, 237},
  };
  for (const FoldPair& p : pairs) t[p.from] = p.to;
  return t;
}

struct PlainRow {
  char letter;
  std::initializer_list<uint8_t> bytes;
};

constexpr FoldTable MakePlainFold() {
  FoldTable t{};
  for (int b = 0; b < 256; ++b) t[b] = static_cast<uint8_t>(b);
  // Every byte of the table's range is a blank unless listed below.
  for (int b = 64; b <= 237; ++b) t[b] = ' ';
  for (int b = 'A'; b <= 'Z'; ++b) t[b] = static_cast<uint8_t>(b);
  for (int b = 'a'; b <= 'z'; ++b) t[b] = static_cast<uint8_t>(b - 'a' + 'A');
  const PlainRow rows[] = {
      {'A', {131, 132, 133, 134, 142, 143, 145, 146, 160, 166, 181, 182, 183, 198, 199}},
      {'C', {128, 135}},
      {'D', {208, 209}},
      {'E', {130, 136, 137, 138, 144, 210, 211, 212, 213}},
      {'I', {139, 140, 141, 161, 214, 215, 216, 222}},
      {'N', {164, 165}},
      {'O', {147, 148, 149, 153, 155, 157, 162, 167, 224, 226, 227, 228, 229}},
      {'S', {225}},
      {'T', {231, 232}},
      {'U', {129, 150, 151, 154, 163, 233, 234, 235}},
      {'Y', {152, 236, 237}},
  };
  for (const PlainRow& row : rows) {
    for (uint8_t b : row.bytes) t[b] = static_cast<uint8_t>(row.letter);
  }
  return t;
}

}  // namespace

constexpr FoldTable kUpperFoldData = MakeUpperFold();
constexpr FoldTable kPlainFoldData = MakePlainFold();
const FoldTable kUpperFold = kUpperFoldData;
const FoldTable kPlainFold = kPlainFoldData;

std::string FoldText(std::string_view text, bool plain) {
  const FoldTable& table = plain ? kPlainFoldData : kUpperFoldData;
  std::string out(text);
  for (char& c : out) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
  return out;
}

namespace {

// A text read by 1-based position: a position outside the text reads as byte
// 0, which is below a blank and not a blank; the loops that look for control
// characters test the length first, so the end never counts as one.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  int At(long pos) const {
    if (pos < 1 || pos > static_cast<long>(text_.size())) return 0;
    return static_cast<unsigned char>(text_[pos - 1]);
  }
  long Length() const { return static_cast<long>(text_.size()); }

 private:
  std::string_view text_;
};

bool IsControl(int c) { return c < 32; }

// Fills both margins of `line` up to `width` by widening its gaps one blank
// at a time, left to right, starting again at the first gap.
void FillBothMargins(std::string* line, long first, long width) {
  auto blank_from = [&](long pos) -> long {  // 1-based, 0 when none
    for (long i = pos; i <= static_cast<long>(line->size()); ++i) {
      if ((*line)[i - 1] == ' ') return i;
    }
    return 0;
  };
  long b = first;
  long gap = 2;
  while (static_cast<long>(line->size()) < width) {
    long next = blank_from(b + gap);
    if (next == 0) next = blank_from(first);
    b = next;
    line->insert(static_cast<size_t>(b - 1), 1, ' ');
    gap = 2;
    while (b + gap <= static_cast<long>(line->size()) && (*line)[b + gap - 1] == ' ') ++gap;
  }
}

}  // namespace

void JustifyText(std::string* text, int16_t indent, int16_t width, std::string_view mode) {
  const long q = indent;
  const long w = width;
  if (w <= std::labs(q) || w <= 0) return;  // no progress possible: leave the text
  const std::string p = *text;
  const Reader r(p);
  const char fill =
      mode.empty() ? ' ' : static_cast<char>(kUpperFold[static_cast<unsigned char>(mode[0])]);
  const bool mode_known = mode.size() == 1;
  std::string out;
  long c = 1;
  long lead = q > 0 ? q : 0;
  while (c <= r.Length()) {
    // 1. Take up to `room` columns; control characters widen the room.
    long room = w - lead;
    long k = 0;
    while (k != room && c + k <= r.Length()) {
      if (IsControl(r.At(c + k))) ++room;
      ++k;
    }
    // 2. Control characters right after a word's last character go with it.
    if (r.At(c + k - 1) > ' ') {
      while (c + k <= r.Length() && IsControl(r.At(c + k))) {
        ++room;
        ++k;
      }
    }
    // 3. Do not end inside a word: move back to its start.
    long take = room;
    if (r.At(c + take) > ' ') {
      while (r.At(c + take) > ' ' && take > 0) {
        if (IsControl(r.At(c + take - 1))) --room;
        --take;
      }
    }
    // 4. Before a control character or the end, drop the line's last blanks.
    if (r.At(c + take) < ' ' && take > 0) {
      while (take > 0 && r.At(c + take - 1) == ' ') --take;
    }
    // 5. A word longer than the line is cut.
    if (take < 1) take = room;
    // 6. The line and its width.
    std::string line(static_cast<size_t>(lead), ' ');
    if (c - 1 < r.Length()) line += p.substr(static_cast<size_t>(c - 1), static_cast<size_t>(take));
    const long line_width = lead + room;
    const long length = static_cast<long>(line.size());
    // 7. Fill.
    if (mode_known && length < line_width) {
      const size_t missing = static_cast<size_t>(line_width - length);
      switch (fill) {
        case 'E':
        case 'L':
        case 'I':
          line.append(missing, ' ');
          break;
        case 'N':
          line.append(missing, '-');
          break;
        case 'D':
        case 'R':
          line.insert(0, missing, ' ');
          break;
        case 'C':
          line = std::string(missing / 2, ' ') + line + std::string((missing + 1) / 2, ' ');
          break;
        case 'A':
        case 'B': {
          const long first = std::labs(q) + 1;
          const bool has_gap = first <= length &&
                               line.find(' ', static_cast<size_t>(first - 1)) != std::string::npos;
          if (has_gap && c + take < r.Length()) FillBothMargins(&line, first, line_width);
          break;
        }
        default:
          break;
      }
    }
    // 8. Next line.
    out += line;
    c += take;
    while (r.At(c) == ' ') ++c;
    // 9. The indent of every following line.
    lead = q < 0 ? -q : 0;
  }
  *text = std::move(out);
}

}  // namespace zul
