// Help: the answer to the help key. On a Windows host the suite's document
// launcher opens the topic's page; elsewhere a viewer pages through the
// topic's help text file, "AJUDA\" + topic + ".HLP" under the working
// directory.
//
// A help text file is a sequence of records as long as the screen is wide
// (80 bytes), one displayed line each, without line ends. Inside a record
// byte 30 toggles highlight, 31 underline and 16 reverse; they take no
// column. At most the first 76 characters of a record are shown. A trailing
// part shorter than a record is not shown.
#ifndef ZUL_CONSOLE_HELP_VIEWER_H_
#define ZUL_CONSOLE_HELP_VIEWER_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "console/console_ui.h"
#include "platform/env.h"

namespace zul {

inline constexpr char kMenuHelpTopic[] = "BORELANE";
inline constexpr uint8_t kHelpHighlight = 30;
inline constexpr uint8_t kHelpUnderline = 31;
inline constexpr uint8_t kHelpReverse = 16;
// The characters of a record that show; the rest is cut.
inline constexpr size_t kHelpShownCharacters = 76;

// Shows help for `topic` and returns when it is closed. With HostMode "WIN"
// it runs the program named by the environment variable "COMSPEC" with the
// arguments "/C", "PAKOTI" and "AJUDA\" + topic + ".HTM" (started directly,
// never through a shell, so the topic cannot run anything) and waits until
// it ends. Otherwise it opens the viewer: Down, Up, PgDn, PgUp, Home and End
// move through the file, F1 opens the menu's help (topic "BORELANE") over
// it, Esc closes it. Trailing blanks of the topic are not part of the file
// name.
void ShowHelp(ConsoleUi& ui, std::string_view topic);

// Draws record `record` (1-based) of the help text file `file` at window row
// `row` of the active window, from column 2, in the normal style with the
// file's style toggles. A record the file does not hold completely draws
// nothing.
void DrawHelpLine(ConsoleUi& ui, File* file, int32_t record, int16_t row);

}  // namespace zul

#endif  // ZUL_CONSOLE_HELP_VIEWER_H_
