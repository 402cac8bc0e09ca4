#include "console/message_window.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/text.h"
#include "locale/text_utils.h"

namespace zul {

namespace {
constexpr int16_t kMessageWidth = 76;
}  // namespace

void ShowMessage(ConsoleUi& ui, int16_t row, std::string_view text) {
  ui.SetTextStyle("+rh");
  std::string laid_out(text);
  JustifyText(&laid_out, 0, kMessageWidth, "i");
  std::vector<std::string_view> lines;
  for (size_t at = 0; at + kMessageWidth <= laid_out.size(); at += kMessageWidth) {
    lines.push_back(std::string_view(laid_out).substr(at, kMessageWidth));
  }
  const int16_t rows = ui.windows().ScreenRows();
  if (static_cast<int>(lines.size()) > rows - 2) lines.resize(static_cast<size_t>(rows - 2));
  const int k = static_cast<int>(lines.size());

  int top = std::max(1, row - (k + 1) / 2 - 2);
  int bottom = top + k + 1;
  if (bottom > rows) {
    bottom = rows;
    top = bottom - k - 1;
  }
  int longest = 0;
  for (std::string_view line : lines) {
    longest = std::max(longest, static_cast<int>(TrimRight(line).size()));
  }
  const int left = 41 - (longest + 1) / 2 - 2;
  const int right = longest / 2 + 42;

  ui.PushWindow(static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(bottom),
                static_cast<int16_t>(right));
  ui.DrawFrame(1);
  for (int i = 0; i < k; ++i) {
    ui.WindowLocate(static_cast<int16_t>(i + 1), 2);
    ui.console().Write(TrimRight(lines[static_cast<size_t>(i)]));
  }
  ui.SetTextStyle("-");
}

void ScrollRegion(Console& console, int16_t top, int16_t left, int16_t bottom, int16_t right,
                  int16_t n) {
  const int16_t t = static_cast<int16_t>(top + 1), l = static_cast<int16_t>(left + 1);
  const int16_t b = static_cast<int16_t>(bottom + 1), r = static_cast<int16_t>(right + 1);
  if (n > 0) {
    console.ScrollUp(t, l, b, r, n);
  } else {
    console.ScrollDown(t, l, b, r, static_cast<int16_t>(n < 0 ? -n : 1));
  }
}

}  // namespace zul
