#include "platform/terminal_input.h"

#include "core/cp850.h"

namespace zul {

namespace {

constexpr char kEsc = '\x1B';

// Scan codes of the PC keyboard (extended keys are scan x 256).
constexpr uint16_t Scan(uint8_t scan) { return static_cast<uint16_t>(scan << 8); }
constexpr uint16_t kHome = Scan(0x47), kUp = Scan(0x48), kPgUp = Scan(0x49), kLeft = Scan(0x4B),
                   kCentre = Scan(0x4C), kRight = Scan(0x4D), kEnd = Scan(0x4F), kDown = Scan(0x50),
                   kPgDn = Scan(0x51), kIns = Scan(0x52), kDel = Scan(0x53), kShiftTab = Scan(0x0F);

uint16_t FunctionKey(int n) {  // F1..F12
  if (n >= 1 && n <= 10) return Scan(static_cast<uint8_t>(0x3A + n));
  if (n == 11) return Scan(0x85);
  if (n == 12) return Scan(0x86);
  return 0;
}

// The key of a final byte that means the same in the SS3 (ESC O x) and the
// CSI (ESC [ ... x) forms: the cursor pad and F1 to F4; 0 for any other byte.
uint16_t FinalByteKey(char final_byte) {
  switch (final_byte) {
    case 'P':
      return FunctionKey(1);
    case 'Q':
      return FunctionKey(2);
    case 'R':
      return FunctionKey(3);
    case 'S':
      return FunctionKey(4);
    case 'A':
      return kUp;
    case 'B':
      return kDown;
    case 'C':
      return kRight;
    case 'D':
      return kLeft;
    case 'H':
      return kHome;
    case 'F':
      return kEnd;
    case 'E':
      return kCentre;
    default:
      return 0;
  }
}

// The xterm modifier parameter (1 + bits: 1 Shift, 2 Alt, 4 Ctrl, 8 Meta).
uint8_t Modifiers(int param) {
  if (param < 2 || param > 16) return 0;  // beyond the four modifier bits: none meant
  const int bits = param - 1;
  uint8_t m = 0;
  if (bits & 1) m |= kModShift;
  if (bits & (2 | 8)) m |= kModAlt;
  if (bits & 4) m |= kModCtrl;
  return m;
}

// Splits "a;b;c" into numbers (a missing number is 0); false on other bytes.
bool Params(std::string_view text, int* values, int max, int* count) {
  *count = 0;
  int value = 0;
  bool any = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
      if (value > 100000) return false;
      any = true;
    } else if (c == ';') {
      if (*count < max) values[(*count)++] = value;
      value = 0;
      any = true;
    } else {
      return false;
    }
  }
  if (any && *count < max) values[(*count)++] = value;
  return true;
}

// A character typed (a byte below 128 or a decoded code point).
bool CharacterEvent(char32_t code_point, uint8_t modifiers, InputEvent* event) {
  if (code_point == 127 || code_point == 8) {
    *event = InputEvent::Key(8, modifiers);  // Backspace
    return true;
  }
  if (code_point == 0) return false;
  if (code_point < 32) {
    const bool plain = code_point == 9 || code_point == 13 || code_point == 27;
    *event = InputEvent::Key(static_cast<uint16_t>(code_point),
                             plain ? modifiers : modifiers | kModCtrl);
    return true;
  }
  const int byte = UnicodeToCp850(code_point);
  if (byte <= 0) return false;
  if (modifiers & kModAlt) {
    const uint8_t scan = AltLetterScanCode(static_cast<char>(byte));
    if (scan != 0) {
      *event = InputEvent::Key(Scan(scan), modifiers);
      return true;
    }
  }
  *event = InputEvent::Key(static_cast<uint16_t>(byte), modifiers);
  return true;
}

// Length of the UTF-8 sequence a lead byte starts; 0 for a stray byte.
size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

void TerminalInputDecoder::AddSequence(std::string sequence, uint16_t key, uint8_t modifiers) {
  if (sequence.empty()) return;
  sequences_.push_back(Sequence{std::move(sequence), key, modifiers});
}

bool TerminalInputDecoder::Next(InputEvent* event, bool take_incomplete) {
  while (!buffer_.empty()) {
    size_t used = 0;
    const Result result = Decode(take_incomplete, event, &used);
    if (result == Result::kIncomplete) return false;
    buffer_.erase(0, used == 0 ? 1 : used);
    if (result == Result::kEvent) return true;
  }
  return false;
}

TerminalInputDecoder::Result TerminalInputDecoder::Decode(bool take_incomplete, InputEvent* event,
                                                          size_t* used) {
  const std::string_view buf = buffer_;
  // Sequences of the terminal's description first, longest match wins.
  const Sequence* best = nullptr;
  bool prefix = false;
  for (const Sequence& s : sequences_) {
    if (buf.substr(0, s.bytes.size()) == s.bytes) {
      if (!best || s.bytes.size() > best->bytes.size()) best = &s;
    } else if (buf.size() < s.bytes.size() && s.bytes.compare(0, buf.size(), buf) == 0) {
      prefix = true;
    }
  }
  if (prefix && !take_incomplete) return Result::kIncomplete;
  if (best) {
    *event = InputEvent::Key(best->key, best->modifiers);
    *used = best->bytes.size();
    return Result::kEvent;
  }

  const unsigned char lead = static_cast<unsigned char>(buf[0]);
  if (lead == 0x1B) return DecodeEscape(take_incomplete, event, used);
  const size_t length = Utf8Length(lead);
  if (length == 0) {
    *used = 1;
    return Result::kDropped;
  }
  if (buf.size() < length) {
    if (!take_incomplete) return Result::kIncomplete;
    *used = buf.size();
    return Result::kDropped;
  }
  size_t pos = 0;
  const int32_t code_point = DecodeUtf8(buf.substr(0, length), &pos);
  *used = pos;
  if (code_point < 0) return Result::kDropped;
  return CharacterEvent(static_cast<char32_t>(code_point), 0, event) ? Result::kEvent
                                                                     : Result::kDropped;
}

TerminalInputDecoder::Result TerminalInputDecoder::DecodeEscape(bool take_incomplete,
                                                                InputEvent* event, size_t* used) {
  const std::string_view buf = buffer_;
  auto lone_esc = [&] {
    *event = InputEvent::Key(27);
    *used = 1;
    return Result::kEvent;
  };
  if (buf.size() == 1) return take_incomplete ? lone_esc() : Result::kIncomplete;
  const char second = buf[1];
  if (second == kEsc) return lone_esc();  // Esc pressed twice: the first one now
  if (second == '[') {
    const Result r = DecodeCsi(event, used);
    if (r == Result::kIncomplete && take_incomplete) return lone_esc();
    return r;
  }
  if (second == 'O') {
    // SS3: optional modifier digits, then the final letter.
    size_t i = 2;
    int mods = 0;
    while (i < buf.size() && buf[i] >= '0' && buf[i] <= '9') {
      if (mods < 1000) mods = mods * 10 + (buf[i] - '0');  // more digits mean nothing
      ++i;
    }
    if (i >= buf.size()) {
      if (!take_incomplete) return Result::kIncomplete;
      if (buf.size() == 2) {  // Alt+O
        *event = InputEvent::Key(Scan(AltLetterScanCode('O')), kModAlt);
        *used = 2;
        return Result::kEvent;
      }
      return lone_esc();
    }
    uint16_t key = 0;
    switch (buf[i]) {
      case 'M':
        key = 13;
        break;  // keypad Enter
      default:
        key = FinalByteKey(buf[i]);
        break;
    }
    *used = i + 1;
    if (key == 0) return Result::kDropped;
    *event = InputEvent::Key(key, Modifiers(mods));
    return Result::kEvent;
  }
  // Alt with a key: ESC followed by the character (which may be UTF-8).
  const unsigned char c = static_cast<unsigned char>(second);
  const size_t length = Utf8Length(c);
  if (length == 0) {
    *used = 2;
    return Result::kDropped;
  }
  if (buf.size() < 1 + length) {
    if (!take_incomplete) return Result::kIncomplete;
    return lone_esc();
  }
  size_t pos = 0;
  const int32_t code_point = DecodeUtf8(buf.substr(1, length), &pos);
  *used = 1 + pos;
  if (code_point < 0) return Result::kDropped;
  return CharacterEvent(static_cast<char32_t>(code_point), kModAlt, event) ? Result::kEvent
                                                                           : Result::kDropped;
}

TerminalInputDecoder::Result TerminalInputDecoder::DecodeCsi(InputEvent* event, size_t* used) {
  const std::string_view buf = buffer_;
  // The Linux console's F1..F5: ESC [ [ A..E.
  if (buf.size() >= 3 && buf[2] == '[') {
    if (buf.size() < 4) return Result::kIncomplete;
    *used = 4;
    if (buf[3] < 'A' || buf[3] > 'E') return Result::kDropped;
    *event = InputEvent::Key(FunctionKey(buf[3] - 'A' + 1));
    return Result::kEvent;
  }
  // Classic X10 mouse report: ESC [ M b x y, each + 32.
  if (buf.size() >= 3 && buf[2] == 'M') {
    if (buf.size() < 6) return Result::kIncomplete;
    *used = 6;
    const int b = static_cast<unsigned char>(buf[3]) - 32;
    const int column = static_cast<unsigned char>(buf[4]) - 32;
    const int row = static_cast<unsigned char>(buf[5]) - 32;
    std::string params =
        std::to_string(b) + ";" + std::to_string(column) + ";" + std::to_string(row);
    // X10 reports a release as button 3 without saying which.
    if ((b & 3) == 3 && !(b & 32)) {
      buttons_ = 0;
      *event = InputEvent::Mouse(kMouseRelease, 0, static_cast<int16_t>(row),
                                 static_cast<int16_t>(column));
      return Result::kEvent;
    }
    return DecodeMouseSgr(params, 'M', event);
  }
  // Parameters and intermediate bytes up to the final byte (0x40..0x7E).
  size_t i = 2;
  while (i < buf.size() && !(buf[i] >= 0x40 && buf[i] <= 0x7E)) {
    if (static_cast<unsigned char>(buf[i]) < 0x20 || i > 32) {
      *used = i;  // not a sequence: drop what was read
      return Result::kDropped;
    }
    ++i;
  }
  if (i >= buf.size()) return Result::kIncomplete;
  *used = i + 1;
  const char final_byte = buf[i];
  std::string_view params = buf.substr(2, i - 2);
  if (!params.empty() && params[0] == '<')
    return DecodeMouseSgr(params.substr(1), final_byte, event);
  int values[4] = {0, 0, 0, 0};
  int count = 0;
  if (!Params(params, values, 4, &count)) return Result::kDropped;
  const uint8_t mods = Modifiers(count >= 2 ? values[1] : 0);
  uint16_t key = 0;
  switch (final_byte) {
    case 'G':
      key = kCentre;
      break;
    case 'Z':
      key = kShiftTab;
      break;
    case '~':
      switch (count >= 1 ? values[0] : 0) {
        case 1:
        case 7:
          key = kHome;
          break;
        case 2:
          key = kIns;
          break;
        case 3:
          key = kDel;
          break;
        case 4:
        case 8:
          key = kEnd;
          break;
        case 5:
          key = kPgUp;
          break;
        case 6:
          key = kPgDn;
          break;
        case 11:
        case 12:
        case 13:
        case 14:
        case 15:
          key = FunctionKey(values[0] - 10);
          break;
        case 17:
        case 18:
        case 19:
        case 20:
        case 21:
          key = FunctionKey(values[0] - 11);
          break;
        case 23:
        case 24:
          key = FunctionKey(values[0] - 12);
          break;
        default:
          break;
      }
      break;
    default:
      key = FinalByteKey(final_byte);
      break;
  }
  if (key == 0) return Result::kDropped;
  // Shift+Tab is a key of its own, with no further Shift.
  *event = InputEvent::Key(key, key == kShiftTab ? 0 : mods);
  return Result::kEvent;
}

TerminalInputDecoder::Result TerminalInputDecoder::DecodeMouseSgr(std::string_view params,
                                                                  char final_byte,
                                                                  InputEvent* event) {
  int values[3] = {0, 0, 0};
  int count = 0;
  if (!Params(params, values, 3, &count) || count != 3) return Result::kDropped;
  const int b = values[0];
  const int16_t column = static_cast<int16_t>(values[1]);
  const int16_t row = static_cast<int16_t>(values[2]);
  if (b & 64) return Result::kDropped;  // wheel
  uint8_t mods = 0;
  if (b & 4) mods |= kModShift;
  if (b & 8) mods |= kModAlt;
  if (b & 16) mods |= kModCtrl;
  const int which = b & 3;
  // Button 1 is the left button, button 2 the right one.
  const uint8_t bit = which == 0 ? kMouseButton1 : which == 2 ? kMouseButton2 : 0;
  if (b & 32) {
    *event = InputEvent::Mouse(kMouseMove, buttons_, row, column, mods);
    return Result::kEvent;
  }
  if (final_byte == 'm') {
    buttons_ = static_cast<uint8_t>(buttons_ & ~bit);
    *event = InputEvent::Mouse(kMouseRelease, buttons_, row, column, mods);
    return Result::kEvent;
  }
  if (bit == 0) return Result::kDropped;  // the middle button
  buttons_ = static_cast<uint8_t>(buttons_ | bit);
  *event = InputEvent::Mouse(kMousePress, buttons_, row, column, mods);
  return Result::kEvent;
}

}  // namespace zul
