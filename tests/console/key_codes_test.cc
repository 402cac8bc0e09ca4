#include "console/key_codes.h"

#include <gtest/gtest.h>

#include "platform/console_backend.h"

namespace zul {
namespace {

TEST(KeyCodesTest, ModifiersGiveThePcForms) {
  struct Case {
    int16_t key;
    uint8_t modifiers;
    const char* code;
  };
  const Case cases[] = {
      {kKeyF1, 0, "3b00"},
      {kKeyF1, kModAlt, "6800"},
      {kKeyF10, kModRightAlt, "7100"},
      {kKeyF11, kModAlt, "8b00"},
      {kKeyF1, kModCtrl, "5e00"},
      {kKeyF12, kModRightCtrl, "8a00"},
      {kKeyHome, kModCtrl, "7700"},
      {kKeyLeft, kModCtrl, "7300"},
      {kKeyRight, kModCtrl, "7400"},
      {kKeyF1, kModShift, "5400"},
      {kKeyF12, kModShift, "8800"},
      {kKeyLeft, kModShift, "4b00"},
      {kKeyEnd, kModCtrl, "4f00"},
      {kKeyF1, kModAlt | kModCtrl, "6800"},
      {'a', kModCtrl, "0061"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeyCodeText(KeyCodeWithModifiers(c.key, c.modifiers)), c.code)
        << KeyCodeText(c.key) << " mods " << int{c.modifiers};
  }
}

TEST(KeyCodesTest, InputBytesAndMouseCodes) {
  EXPECT_EQ(KeyCodeOf("a"), 'a');
  EXPECT_EQ(KeyCodeOf(std::string("\0K", 2)), kKeyLeft);
  EXPECT_EQ(KeyCodeOf(std::string("\0\x86", 2)), kKeyF12);
  EXPECT_EQ(KeyCodeOf(""), 0);
  EXPECT_EQ(KeyCodeOf("\xFF\xFF\x04\x01"), 0);
  EXPECT_EQ(KeyCodeText(MouseClickCode(5, 12)), "-1205");
  EXPECT_EQ(AltLetterScanCode('x'), 0x2D);
  EXPECT_EQ(AltLetterScanCode('C'), 0x2E);
  EXPECT_EQ(AltLetterScanCode('e'), 0x12);
  EXPECT_EQ(AltLetterScanCode('1'), 0);
}

}  // namespace
}  // namespace zul
