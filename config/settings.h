// Settings files: the suite's plain-text files of sections and key lines
// ("Nuri.ini", "Sessio.ini", "NuriTerm.ini"), shared by every program of the
// suite on every workstation.
//
// Format: code page 850 lines; a Ctrl-Z ends the file; everything from the
// first ";" of a line is a comment; trimming removes spaces only; "[name]"
// starts a section; "key=value" sets a key. Section and key names compare
// trimmed and upper-cased. A value in double quotes loses them when read.
// Lines may end in CR LF, a lone LF or a lone CR; the writer ends every line
// it writes with CR LF.
//
// The writer never edits a file in place. Holding an exclusive advisory lock
// on the file's directory (so that concurrent writers cannot lose each
// other's keys), it writes a complete new copy under a temporary name in the
// same directory, flushes it to disk, and renames it over the settings file
// in one atomic step: readers, which take no lock, see the old file or the
// new one and never a missing or torn one. Every line that need not change
// is kept byte for byte, comments and blank lines included.
#ifndef ZUL_CONFIG_SETTINGS_H_
#define ZUL_CONFIG_SETTINGS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace zul {

// Files larger than this are taken as damaged: the reader finds nothing in
// them and the writer refuses to rewrite them.
inline constexpr int64_t kMaxSettingsFileBytes = 16 * 1024 * 1024;

// How long a writer keeps trying to get the lock and to replace the file.
inline constexpr int64_t kSettingsWriteBudgetMillis = 3000;

enum class SettingsStatus : int16_t {
  kOk = 0,
  kBusy = 1,              // another writer held the lock for the whole budget
  kCannotRead = 2,        // the settings file exists but cannot be read (or is a directory)
  kTooLarge = 3,          // the settings file is larger than kMaxSettingsFileBytes
  kCannotCreateTemp = 4,  // no temporary copy could be created in the directory
  kCannotWriteTemp = 5,   // the temporary copy could not be written or flushed
  kCannotReplace = 6,     // the copy could not be renamed over the settings file
  kBadArgument = 7,       // a section, key or value holding CR, LF or Ctrl-Z
};

// A short English description of a status, for tools and logs.
const char* SettingsStatusText(SettingsStatus status);

// The value of `key` in the first `section` of `file`, or "" when the file
// cannot be read or the section or key is missing.
std::string ReadSetting(Env& env, std::string_view file, std::string_view section,
                        std::string_view key);

// Sets `key` of `section` to `value`, adding the key (and the section) when
// missing. An empty value removes every line of the key in the section; an
// empty key removes the section's header and key lines; an empty section
// removes every non-blank line. Creates the file when it does not exist.
// On any failure the settings file is left exactly as it was and no
// temporary file remains.
SettingsStatus WriteSetting(Env& env, std::string_view file, std::string_view section,
                            std::string_view key, std::string_view value);

}  // namespace zul

#endif  // ZUL_CONFIG_SETTINGS_H_
