#include "console/text_styles.h"

#include "core/text.h"
#include "locale/text_utils.h"

namespace zul {

void TextStyles::SetTextStyle(std::string_view code) {
  if (AllSameChar(code, ' ')) return;
  // Only a-z matter here, so the suite's upper-casing does.
  const std::string upper = UpperText(code);
  const auto has = [&](char c) { return upper.find(c) != std::string::npos; };
  if (has('+')) saved_.push_back(static_cast<char>(current_));
  int16_t style;
  if (has('-')) {
    if (saved_.empty()) {
      style = 0;
    } else {
      style = static_cast<unsigned char>(saved_.back());
      saved_.pop_back();
    }
  } else if (has('U')) {
    style = 4;
  } else {
    style = static_cast<int16_t>((has('R') ? 2 : 0) + (has('N') ? 1 : 0));
  }
  if (style < 0 || style > 4) style = 0;
  console_.SetColours(colours_[style][0], colours_[style][1]);
  current_ = style;
}

}  // namespace zul
