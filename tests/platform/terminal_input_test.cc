#include "platform/terminal_input.h"

#include <gtest/gtest.h>

#include <string>

namespace zul {
namespace {

// The events of `bytes` as text: keys as four hex digits with "+mods" when
// modifiers are held, mouse events as "m<kind>/<buttons>@row,column".
std::string Decode(TerminalInputDecoder& d, const std::string& bytes,
                   bool take_incomplete = false) {
  d.Feed(bytes);
  std::string out;
  InputEvent e;
  while (d.Next(&e, take_incomplete)) {
    char text[64];
    if (e.type == InputEvent::Type::kKey) {
      std::snprintf(text, sizeof text, "%04x", e.key);
      out += text;
      if (e.modifiers) out += "+" + std::to_string(e.modifiers);
    } else {
      std::snprintf(text, sizeof text, "m%d/%d@%d,%d", e.mouse_kind, e.buttons, e.row, e.column);
      out += text;
      if (e.modifiers) out += "+" + std::to_string(e.modifiers);
    }
    out += " ";
  }
  return out;
}

TEST(TerminalInputTest, KeySequencesOfTheCommonTerminals) {
  struct Case {
    const char* bytes;
    const char* events;
  };
  const Case cases[] = {
      {"a", "0061 "},
      {"\r", "000d "},
      {"\t", "0009 "},
      {"\x7F", "0008 "},
      {"\x03", "0003+8 "},    // Ctrl+C
      {"\x16", "0016+8 "},    // Ctrl+V
      {"\xC3\xA9", "0082 "},  // é
      {"\xE2\x82\xAC", ""},   // € has no code page 850 form
      {"\x1BOP", "3b00 "},    // F1, xterm
      {"\x1B[11~", "3b00 "},  // F1, rxvt
      {"\x1B[[A", "3b00 "},   // F1, Linux console
      {"\x1B[21~\x1B[23~\x1B[24~", "4400 8500 8600 "},
      {"\x1B[1;5D", "4b00+8 "},   // Ctrl+Left
      {"\x1B[1;2C", "4d00+16 "},  // Shift+Right
      {"\x1B[1;3P", "3b00+2 "},   // Alt+F1
      {"\x1B[15;5~", "3f00+8 "},  // Ctrl+F5
      {"\x1B[A\x1B[B\x1BOC\x1BOD", "4800 5000 4d00 4b00 "},
      {"\x1B[H\x1B[F\x1B[1~\x1B[4~\x1B[7~\x1B[8~", "4700 4f00 4700 4f00 4700 4f00 "},
      {"\x1B[5~\x1B[6~\x1B[2~\x1B[3~", "4900 5100 5200 5300 "},
      {"\x1B[E\x1BOE", "4c00 4c00 "},
      {"\x1B[Z", "0f00 "},   // Shift+Tab
      {"\x1Bx", "2d00+2 "},  // Alt+X
      {"\x1B"
       "C",
       "2e00+2 "},  // Alt+Shift+C still Alt+C
      {"\x1B"
       "1",
       "0031+2 "},
      {"\x1B\xC3\xA9", "0082+2 "},
      {"\x1B[99~\x1B[1;5y", ""},  // unknown sequences are dropped
      {"\x1BO5A\x1BO99999999999999999999A", "4800+8 4800 "},  // endless modifier digits
      {"\x1B[<0;12;5M\x1B[<32;13;5M\x1B[<0;13;5m", "m4/1@5,12 m1/1@5,13 m8/0@5,13 "},
      {"\x1B[<2;1;1M\x1B[<2;1;1m", "m4/2@1,1 m8/0@1,1 "},
      {"\x1B[<64;1;1M\x1B[<1;1;1M", ""},  // wheel and middle button
      {"\x1B[M \x2C\x25\x1B[M#\x2C\x25", "m4/1@5,12 m8/0@5,12 "},
  };
  for (const Case& c : cases) {
    TerminalInputDecoder d;
    EXPECT_EQ(Decode(d, c.bytes), c.events) << testing::PrintToString(std::string(c.bytes));
    EXPECT_FALSE(d.HasPending()) << testing::PrintToString(std::string(c.bytes));
  }
}

TEST(TerminalInputTest, ALoneEscWaitsUntilTheOwnerGivesUpWaiting) {
  TerminalInputDecoder d;
  EXPECT_EQ(Decode(d, "\x1B"), "");
  EXPECT_TRUE(d.HasPending());
  EXPECT_EQ(Decode(d, "", true), "001b ");
  EXPECT_EQ(Decode(d, "\x1B\x1B"), "001b ");  // twice: the first at once
  EXPECT_EQ(Decode(d, "", true), "001b ");
}

TEST(TerminalInputTest, SequencesSplitAcrossReadsAreJoined) {
  TerminalInputDecoder d;
  EXPECT_EQ(Decode(d, "\x1B["), "");
  EXPECT_EQ(Decode(d, "1;5"), "");
  EXPECT_EQ(Decode(d, "D"), "4b00+8 ");
  EXPECT_EQ(Decode(d, "\xC3"), "");
  EXPECT_EQ(Decode(d, "\xA0"), "0085 ");  // à
  EXPECT_EQ(Decode(d, "\x1B[<0;1"), "");
  EXPECT_EQ(Decode(d, ";2M"), "m4/1@2,1 ");
}

TEST(TerminalInputTest, GivingUpOnAnIncompleteSequence) {
  TerminalInputDecoder d;
  EXPECT_EQ(Decode(d, "\x1B[1;", true), "001b 005b 0031 003b ");
  EXPECT_EQ(Decode(d, "\xC3", true), "");
  EXPECT_FALSE(d.HasPending());
}

TEST(TerminalInputTest, SequencesOfTheTerminalDescriptionComeFirst) {
  TerminalInputDecoder d;
  d.AddSequence("\x1B[25~", 0x5400);  // a Shift+F1 some terminals send
  d.AddSequence("\x1BOw", 0x4700);
  EXPECT_EQ(Decode(d, "\x1B[25~\x1BOw"), "5400 4700 ");
}

TEST(TerminalInputTest, GarbageNeverStopsTheDecoder) {
  TerminalInputDecoder d;
  std::string noise;
  for (int i = 0; i < 4096; ++i) noise.push_back(static_cast<char>((i * 37 + 11) % 256));
  Decode(d, noise);
  Decode(d, "", true);
  EXPECT_FALSE(d.HasPending());
  EXPECT_EQ(Decode(d, "z"), "007a ");
}

}  // namespace
}  // namespace zul
