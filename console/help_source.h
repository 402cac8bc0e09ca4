// The source form of help text files: UTF-8 text, one line per displayed
// line, with a small mark-up for the style toggles:
//
//   {h} ... {h}   highlight on, then off (byte 30)
//   {u} ... {u}   underline (byte 31)
//   {r} ... {r}   reverse (byte 16)
//   {{            a literal "{"
//
// Each line becomes one record of 80 bytes in code page 850, filled with
// blanks; at most 76 characters show, and the toggles take no column. A
// line that is longer, or holds a character code page 850 cannot show, a
// control character or an unknown mark-up, is an error that names the line.
#ifndef ZUL_CONSOLE_HELP_SOURCE_H_
#define ZUL_CONSOLE_HELP_SOURCE_H_

#include <string>
#include <string_view>
#include <vector>

namespace zul {

inline constexpr size_t kHelpRecordSize = 80;

// What is wrong with one line of help source (lines count from 1).
struct HelpSourceError {
  int line = 0;
  std::string message;
  bool operator==(const HelpSourceError&) const = default;
};

// Turns help source into the records of a help text file. Returns false,
// with one error per faulty line in `errors`, when any line is wrong;
// `records` is then left empty. Line ends may be LF or CR LF.
bool CompileHelpText(std::string_view source, std::string* records,
                     std::vector<HelpSourceError>* errors);

}  // namespace zul

#endif  // ZUL_CONSOLE_HELP_SOURCE_H_
