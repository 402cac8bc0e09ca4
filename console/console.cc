#include "console/console.h"

#include <cmath>
#include <cstdio>

namespace zul {

namespace {
constexpr int64_t kDoubleClickMillis = 400;
}  // namespace

Console::Console(Env& env, ConsoleBackend& backend) : env_(env), backend_(backend) {
  for (ScreenCell& cell : frame_.cells) cell = ScreenCell{' ', attr_};
}

void Console::SetCursor(int16_t row, int16_t column) {
  if (row >= 1 && row <= kScreenRows) row_ = row;
  if (column >= 1 && column <= kScreenColumns) {
    column_ = column;
  } else if (column_ > kScreenColumns) {
    column_ = kScreenColumns;  // a pending wrap ends when the cursor is set
  }
  dirty_ = true;
}

void Console::ShowCursor(bool visible) {
  frame_.cursor_visible = visible;
  dirty_ = true;
}

void Console::SetColours(int16_t foreground, int16_t background) {
  int fg = attr_ & 15;
  int bg = attr_ >> 4;
  if (foreground >= 0 && foreground < 16) fg = foreground;
  if (background >= 0 && background < 16) bg = background;
  attr_ = static_cast<uint8_t>(bg * 16 + fg);
}

void Console::PutChar(uint8_t ch) {
  if (column_ > kScreenColumns) {
    column_ = 1;
    if (row_ == kScreenRows) {
      ScrollRect(1, 1, kScreenRows, kScreenColumns, 1, true);
    } else {
      ++row_;
    }
  }
  frame_.At(row_, column_) = ScreenCell{ch, attr_};
  ++column_;
}

void Console::Write(std::string_view text) {
  for (char c : text) PutChar(static_cast<uint8_t>(c));
  dirty_ = true;
}

void Console::WriteBlanks(int16_t n) {
  for (int i = 0; i < n; ++i) PutChar(' ');
  dirty_ = true;
}

void Console::WriteNumber(double value, std::string_view picture) {
  const size_t start = picture.find('#');
  if (start == std::string_view::npos) {
    Write(picture);
    return;
  }
  size_t end = start;
  while (end < picture.size() && picture[end] == '#') ++end;
  const size_t width = end - start;
  char digits[64];
  if (!std::isfinite(value)) value = 0;
  std::snprintf(digits, sizeof digits, "%.0f", std::round(value));
  std::string field = digits;
  if (field == "-0") field = "0";
  if (field.size() > width) {
    field = "%" + field;
  } else {
    field = std::string(width - field.size(), ' ') + field;
  }
  std::string out(picture.substr(0, start));
  out += field;
  out += picture.substr(end);
  Write(out);
}

void Console::NewLine() {
  column_ = 1;
  if (row_ == kScreenRows) {
    ScrollRect(1, 1, kScreenRows, kScreenColumns, 1, true);
  } else {
    ++row_;
  }
  dirty_ = true;
}

uint8_t Console::CellChar(int16_t row, int16_t column) const {
  if (row < 1 || row > kScreenRows || column < 1 || column > kScreenColumns) return ' ';
  return frame_.At(row, column).ch;
}

uint8_t Console::CellAttribute(int16_t row, int16_t column) const {
  if (row < 1 || row > kScreenRows || column < 1 || column > kScreenColumns) return attr_;
  return frame_.At(row, column).attr;
}

void Console::ScrollRect(int top, int left, int bottom, int right, int n, bool up) {
  if (top < 1) top = 1;
  if (left < 1) left = 1;
  if (bottom > kScreenRows) bottom = kScreenRows;
  if (right > kScreenColumns) right = kScreenColumns;
  if (top > bottom || left > right || n <= 0) return;
  const int height = bottom - top + 1;
  if (n > height) n = height;
  const ScreenCell blank{' ', attr_};
  if (up) {
    for (int row = top; row <= bottom; ++row) {
      for (int column = left; column <= right; ++column) {
        frame_.At(row, column) = row + n <= bottom ? frame_.At(row + n, column) : blank;
      }
    }
  } else {
    for (int row = bottom; row >= top; --row) {
      for (int column = left; column <= right; ++column) {
        frame_.At(row, column) = row - n >= top ? frame_.At(row - n, column) : blank;
      }
    }
  }
  dirty_ = true;
}

void Console::ScrollUp(int16_t top, int16_t left, int16_t bottom, int16_t right, int16_t n) {
  ScrollRect(top, left, bottom, right, n, true);
}

void Console::ScrollDown(int16_t top, int16_t left, int16_t bottom, int16_t right, int16_t n) {
  ScrollRect(top, left, bottom, right, n, false);
}

void Console::Clear() {
  for (ScreenCell& cell : frame_.cells) cell = ScreenCell{' ', attr_};
  row_ = 1;
  column_ = 1;
  dirty_ = true;
}

void Console::Flush() {
  if (!dirty_ && !full_) return;
  frame_.cursor_row = row_;
  frame_.cursor_column = CursorColumn();
  backend_.Present(frame_, full_);
  dirty_ = false;
  full_ = false;
}

std::string Console::ReadInput() {
  Flush();
  InputEvent event;
  while (backend_.PollInput(&event)) {
    modifiers_ = event.modifiers;
    if (event.type == InputEvent::Type::kKey) {
      if (event.key == 0) continue;
      if (event.key < 256) return std::string(1, static_cast<char>(event.key));
      return std::string{'\0', static_cast<char>(event.key >> 8)};
    }
    if (!mouse_reporting_) continue;
    mouse_row_ = event.row;
    mouse_column_ = event.column;
    uint8_t kind = event.mouse_kind;
    if (kind == kMousePress) {
      const int64_t now = env_.NowMillis();
      const bool again = last_press_ms_ >= 0 && now - last_press_ms_ <= kDoubleClickMillis &&
                         event.buttons == last_press_buttons_ && event.row == last_press_row_ &&
                         event.column == last_press_column_;
      if (again) {
        kind = kMouseDoubleClick;
        last_press_ms_ = -1;
      } else {
        last_press_ms_ = now;
        last_press_buttons_ = event.buttons;
        last_press_row_ = event.row;
        last_press_column_ = event.column;
      }
    }
    return std::string{'\xFF', '\xFF', static_cast<char>(kind), static_cast<char>(event.buttons)};
  }
  return "";
}

void Console::WaitForInput(int milliseconds) {
  Flush();
  backend_.WaitForInput(milliseconds);
}

void Console::SetMouseReporting(bool on) {
  mouse_reporting_ = on;
  backend_.SetMouseReporting(on);
}

void Console::Beep() { backend_.Beep(); }

void Console::Sleep(int milliseconds) {
  Flush();
  env_.SleepMillis(milliseconds);
}

int Console::RunCommand(const std::vector<std::string>& argv) {
  Flush();
  backend_.Suspend();
  const int result = env_.RunProcess(argv);
  backend_.Resume();
  full_ = true;
  Flush();
  return result;
}

}  // namespace zul
