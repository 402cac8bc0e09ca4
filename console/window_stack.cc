#include "console/window_stack.h"

#include <memory>
#include <string_view>

#include "core/bytes.h"
#include "locale/zero_pad.h"

namespace zul {

namespace {

constexpr int64_t kHeaderSize = 4;
constexpr int64_t kEntryFixed = 25;  // 20 bytes of numbers before the cells, 5 after

// The value of `width` decimal digits at `offset`; false when any is not one.
bool ReadDigits(std::string_view bytes, size_t offset, size_t width, int* value) {
  if (offset > bytes.size() || bytes.size() - offset < width) return false;
  int v = 0;
  for (size_t i = 0; i < width; ++i) {
    const char c = bytes[offset + i];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

// Reads exactly `n` bytes at `offset`.
bool ReadExactly(File& file, int64_t offset, size_t n, std::string* out) {
  out->assign(n, '\0');
  return n == 0 || file.ReadAt(offset, out->data(), n) == static_cast<int64_t>(n);
}

// The end position held by the file, or 0 when the file is too short.
uint32_t EndPosition(File& file) {
  std::string head;
  uint32_t end = 0;
  if (file.Size() < kHeaderSize || !ReadExactly(file, 0, 4, &head)) return 0;
  ReadU32(head, 0, &end);
  return end;
}

std::string Le32(uint32_t value) {
  std::string bytes;
  AppendU32(&bytes, value);
  return bytes;
}

}  // namespace

void WindowStack::Discard() {
  env_.Delete(path_);
  depth_ = 0;
  active_ = WindowRect{};
}

void WindowStack::PushWindow(int16_t top, int16_t left, int16_t bottom, int16_t right) {
  const int16_t rows = ScreenRows();
  const int16_t columns = ScreenColumns();
  if (top < 1 || left < 1 || bottom < 1 || right < 1 || top > rows || bottom > rows ||
      left > columns || right > columns) {
    return;
  }
  std::unique_ptr<File> file = env_.Open(path_, OpenMode::kReadWrite);
  if (!file) return;
  const int64_t size = file->Size();
  int64_t end = 5;
  if (size > 3) {
    const int64_t held = EndPosition(*file);
    // An end position outside the file was left by a program that crashed:
    // start a fresh stack.
    if (held >= 5 && held - 1 <= size) end = held;
  }

  std::string entry;
  for (int value :
       {static_cast<int>(console_.CursorRow()), static_cast<int>(console_.CursorColumn()),
        static_cast<int>(active_.top), static_cast<int>(active_.left),
        static_cast<int>(active_.bottom), static_cast<int>(active_.right), static_cast<int>(top),
        static_cast<int>(left), static_cast<int>(bottom), static_cast<int>(right)}) {
    entry += ZeroPad(value, 2);
  }
  // A rectangle given bottom-up or right-to-left holds no cell.
  for (int row = top; row <= bottom; ++row) {
    for (int column = left; column <= right; ++column) {
      entry.push_back(static_cast<char>(
          console_.CellChar(static_cast<int16_t>(row), static_cast<int16_t>(column))));
      entry.push_back(static_cast<char>(
          console_.CellAttribute(static_cast<int16_t>(row), static_cast<int16_t>(column))));
    }
  }
  entry += ZeroPad(static_cast<double>(entry.size() + 5), 5);

  if (!file->WriteAt(end - 1, entry) ||
      !file->WriteAt(0, Le32(static_cast<uint32_t>(end + static_cast<int64_t>(entry.size()))))) {
    return;
  }
  active_ = WindowRect{top, left, bottom, right};
  ++depth_;
}

void WindowStack::PopWindow() {
  std::unique_ptr<File> file = env_.Open(path_, OpenMode::kRead);
  if (!file) {
    depth_ = 0;
    active_ = WindowRect{};
    return;
  }
  const int64_t size = file->Size();
  if (size <= 3) {
    file.reset();
    Discard();
    return;
  }
  const int64_t end = EndPosition(*file);
  // The smallest entry: the header, 20 digits, no cell, 5 digits.
  if (end < kHeaderSize + 1 + kEntryFixed || end - 1 > size) {
    file.reset();
    Discard();
    return;
  }
  std::string tail;
  int length = 0;
  if (!ReadExactly(*file, end - 6, 5, &tail) || !ReadDigits(tail, 0, 5, &length) ||
      length < kEntryFixed || end - length < kHeaderSize + 1) {
    file.reset();
    Discard();
    return;
  }
  const int64_t start = end - length;  // 1-based position of the entry
  std::string entry;
  int numbers[10];
  bool ok = ReadExactly(*file, start - 1, static_cast<size_t>(length), &entry);
  for (int i = 0; ok && i < 10; ++i)
    ok = ReadDigits(entry, static_cast<size_t>(2 * i), 2, &numbers[i]);
  const int top = ok ? numbers[6] : 0, left = ok ? numbers[7] : 0;
  const int bottom = ok ? numbers[8] : 0, right = ok ? numbers[9] : 0;
  const int height = bottom >= top ? bottom - top + 1 : 0;
  const int width = right >= left ? right - left + 1 : 0;
  ok = ok && top >= 1 && left >= 1 && bottom <= ScreenRows() && right <= ScreenColumns() &&
       length == kEntryFixed + 2 * height * width;
  file.reset();
  if (!ok) {
    Discard();
    return;
  }

  if (depth_ > 0) --depth_;
  active_ = WindowRect{static_cast<int16_t>(numbers[2]), static_cast<int16_t>(numbers[3]),
                       static_cast<int16_t>(numbers[4]), static_cast<int16_t>(numbers[5])};
  size_t at = 20;
  for (int row = top; row <= bottom; ++row) {
    for (int column = left; column <= right; ++column) {
      const uint8_t ch = static_cast<uint8_t>(entry[at]);
      const uint8_t attr = static_cast<uint8_t>(entry[at + 1]);
      at += 2;
      console_.SetColours(attr & 15, attr >> 4);
      console_.SetCursor(static_cast<int16_t>(row), static_cast<int16_t>(column));
      console_.Write(std::string_view(reinterpret_cast<const char*>(&ch), 1));
    }
  }
  console_.SetCursor(static_cast<int16_t>(numbers[0]), static_cast<int16_t>(numbers[1]));

  // The entry's bytes stay in the file; the next push overwrites them.
  if (start < 6) {
    env_.Delete(path_);
    return;
  }
  std::unique_ptr<File> update = env_.Open(path_, OpenMode::kReadWrite);
  if (update) update->WriteAt(0, Le32(static_cast<uint32_t>(start)));
}

void WindowStack::DrawFrame(int16_t style) {
  if (depth_ == 0) return;
  // top-left, top-right, bottom-left, bottom-right, horizontal, vertical
  static constexpr char kBorders[3][6] = {
      {' ', ' ', ' ', ' ', ' ', ' '},
      {'\xDA', '\xBF', '\xC0', '\xD9', '\xC4', '\xB3'},
      {'\xC9', '\xBB', '\xC8', '\xBC', '\xCD', '\xBA'},
  };
  const char* border = kBorders[style == 1 ? 1 : style == 2 ? 2 : 0];
  const int16_t t = active_.top, l = active_.left, b = active_.bottom, r = active_.right;
  const size_t inner = r - l - 1 > 0 ? static_cast<size_t>(r - l - 1) : 0;
  const std::string horizontal(inner, border[4]);
  console_.SetCursor(t, l);
  console_.Write(std::string(1, border[0]) + horizontal + border[1]);
  const std::string middle = std::string(1, border[5]) + std::string(inner, ' ') + border[5];
  for (int16_t row = static_cast<int16_t>(t + 1); row <= b - 1; ++row) {
    console_.SetCursor(row, l);
    console_.Write(middle);
  }
  console_.SetCursor(b, l);
  console_.Write(std::string(1, border[2]) + horizontal + border[3]);
}

void WindowStack::WindowLocate(int16_t row, int16_t column) {
  if (depth_ > 0) {
    row = static_cast<int16_t>(row + active_.top);
    column = static_cast<int16_t>(column + active_.left);
  }
  console_.SetCursor(row, column);
}

}  // namespace zul
