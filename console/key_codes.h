// Key codes: the 16-bit codes by which the whole system names keys.
//
// A character key is its code page 850 code (1..255); an extended key is its
// PC scan code x 256, written as four hexadecimal digits ("4b00" is Left); a
// mouse click is negative, -(column x 100 + row). The console delivers
// extended keys in their plain form; KeyCodeWithModifiers gives the Alt, Ctrl
// and Shift forms of the function and cursor keys from the modifier state,
// the one place where that table lives.
#ifndef ZUL_CONSOLE_KEY_CODES_H_
#define ZUL_CONSOLE_KEY_CODES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/console_backend.h"  // AltLetterScanCode, modifier bits

namespace zul {

class Console;

inline constexpr int16_t kKeyBackspace = 0x08;
inline constexpr int16_t kKeyTab = 0x09;
inline constexpr int16_t kKeyEnter = 0x0D;
inline constexpr int16_t kKeyEsc = 0x1B;
inline constexpr int16_t kKeyShiftTab = 0x0F00;
inline constexpr int16_t kKeyF1 = 0x3B00;
inline constexpr int16_t kKeyF10 = 0x4400;
inline constexpr int16_t kKeyF11 = static_cast<int16_t>(0x8500);
inline constexpr int16_t kKeyF12 = static_cast<int16_t>(0x8600);
inline constexpr int16_t kKeyHome = 0x4700;
inline constexpr int16_t kKeyUp = 0x4800;
inline constexpr int16_t kKeyPgUp = 0x4900;
inline constexpr int16_t kKeyLeft = 0x4B00;
inline constexpr int16_t kKeyCentre = 0x4C00;
inline constexpr int16_t kKeyRight = 0x4D00;
inline constexpr int16_t kKeyEnd = 0x4F00;
inline constexpr int16_t kKeyDown = 0x5000;
inline constexpr int16_t kKeyPgDn = 0x5100;
inline constexpr int16_t kKeyIns = 0x5200;
inline constexpr int16_t kKeyDel = 0x5300;
inline constexpr int16_t kKeyCtrlLeft = 0x7300;
inline constexpr int16_t kKeyCtrlRight = 0x7400;
inline constexpr int16_t kKeyCtrlHome = 0x7700;
inline constexpr int16_t kKeyAltE = 0x1200;
inline constexpr int16_t kKeyAltX = 0x2D00;
inline constexpr int16_t kKeyAltC = 0x2E00;

// The key code of console input ("", one character, or "\0" + scan code);
// 0 for no key and for mouse events.
int16_t KeyCodeOf(std::string_view input);

// Waits until a key is pressed and gives its code; mouse events are passed over.
int16_t WaitForKey(Console& console);
// Throws away every key and mouse event already waiting.
void DiscardTypeAhead(Console& console);

// The code of a key pressed with the modifier state `modifiers` (Alt 1 or 2,
// Ctrl 4 or 8, Shift 16): Alt + F1..F10 adds 2d00, Alt + F11/F12 0600;
// otherwise Ctrl + F1..F10 adds 2300, Ctrl + F11/F12 0400, and Ctrl makes
// Home 7700, Right 7400 and Left 7300; otherwise Shift + F1..F10 adds 1900
// and Shift + F11/F12 0200. Other keys keep their code.
int16_t KeyCodeWithModifiers(int16_t key, uint8_t modifiers);

// The code of a mouse click at a 1-based screen position.
inline int16_t MouseClickCode(int16_t row, int16_t column) {
  return static_cast<int16_t>(-(column * 100 + row));
}

// A key code as four lower-case hexadecimal digits ("4b00"); mouse clicks
// (-1 to -9999) in decimal ("-1205").
std::string KeyCodeText(int16_t key);

}  // namespace zul

#endif  // ZUL_CONSOLE_KEY_CODES_H_
