// TerminalInputDecoder: turns the bytes a terminal sends into the console's
// input events.
//
// Understands UTF-8 characters (turned into code page 850; characters it
// cannot show are dropped), control keys, the xterm family's CSI and SS3 key
// sequences with their modifier parameter ("\e[1;5D" is Ctrl+Left), the
// Linux console's function keys, rxvt's Home and End, Alt with a key as an
// ESC prefix, and SGR (1006) and classic X10 mouse reports. Sequences the
// terminal description adds (from terminfo) can be registered too.
//
// Bytes are fed as they arrive. An ESC that may begin a sequence waits for
// the rest; the owner decides when it has waited long enough (a few tens of
// milliseconds) and then asks for the pending bytes to be taken as they
// stand, so that a lone Esc answers at once.
#ifndef ZUL_PLATFORM_TERMINAL_INPUT_H_
#define ZUL_PLATFORM_TERMINAL_INPUT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console_backend.h"

namespace zul {

class TerminalInputDecoder {
 public:
  // Adds a key sequence (for instance terminfo's "kf1"); it is tried before
  // the built-in forms.
  void AddSequence(std::string sequence, uint16_t key, uint8_t modifiers = 0);

  void Feed(std::string_view bytes) { buffer_.append(bytes); }

  // The next event. With `take_incomplete` false, bytes that may be the start
  // of a longer sequence wait; with it true they are taken as they stand (an
  // ESC alone is the Esc key). Bytes that form no event are dropped.
  bool Next(InputEvent* event, bool take_incomplete = false);

  // True when bytes are waiting (perhaps the start of a sequence).
  bool HasPending() const { return !buffer_.empty(); }

 private:
  enum class Result { kEvent, kDropped, kIncomplete };
  Result Decode(bool take_incomplete, InputEvent* event, size_t* used);
  Result DecodeEscape(bool take_incomplete, InputEvent* event, size_t* used);
  Result DecodeCsi(InputEvent* event, size_t* used);
  Result DecodeMouseSgr(std::string_view params, char final_byte, InputEvent* event);

  struct Sequence {
    std::string bytes;
    uint16_t key;
    uint8_t modifiers;
  };
  std::vector<Sequence> sequences_;
  std::string buffer_;
  uint8_t buttons_ = 0;  // mouse buttons held, as reported
};

}  // namespace zul

#endif  // ZUL_PLATFORM_TERMINAL_INPUT_H_
