#include "console/key_codes.h"

#include <cstdio>

#include "console/console.h"
#include "platform/console_backend.h"

namespace zul {

int16_t KeyCodeOf(std::string_view input) {
  if (input.size() == 1) return static_cast<unsigned char>(input[0]);
  if (input.size() == 2 && input[0] == '\0') {
    return static_cast<int16_t>(static_cast<unsigned char>(input[1]) << 8);
  }
  return 0;
}

int16_t KeyCodeWithModifiers(int16_t key, uint8_t modifiers) {
  const uint16_t k = static_cast<uint16_t>(key);
  const bool f1_to_f10 = k >= 0x3B00 && k <= 0x4400 && (k & 0xFF) == 0;
  const bool f11_f12 = k == 0x8500 || k == 0x8600;
  auto plus = [&](uint16_t add) { return static_cast<int16_t>(k + add); };
  if (modifiers & (kModAlt | kModRightAlt)) {
    if (f1_to_f10) return plus(0x2D00);
    if (f11_f12) return plus(0x0600);
  } else if (modifiers & (kModCtrl | kModRightCtrl)) {
    if (f1_to_f10) return plus(0x2300);
    if (f11_f12) return plus(0x0400);
    if (key == kKeyHome) return kKeyCtrlHome;
    if (key == kKeyRight) return kKeyCtrlRight;
    if (key == kKeyLeft) return kKeyCtrlLeft;
  } else if (modifiers & kModShift) {
    if (f1_to_f10) return plus(0x1900);
    if (f11_f12) return plus(0x0200);
  }
  return key;
}

std::string KeyCodeText(int16_t key) {
  char text[16];
  if (key < 0 && key > -10000) {
    std::snprintf(text, sizeof text, "%d", key);
  } else {
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(static_cast<uint16_t>(key)));
  }
  return text;
}

int16_t WaitForKey(Console& console) {
  constexpr int kPollMillis = 20;
  for (;;) {
    const std::string input = console.ReadInput();
    const int16_t key = KeyCodeOf(input);
    if (key != 0) return key;
    if (input.empty()) console.WaitForInput(kPollMillis);
  }
}

void DiscardTypeAhead(Console& console) {
  while (!console.ReadInput().empty()) {
  }
}

}  // namespace zul
