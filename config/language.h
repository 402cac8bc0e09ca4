// Translator: turns the module's Catalan texts into the session's language
// through the module's language file, RootDir + "LOCALE\" + module + ".LNG".
//
// The file is a sequence of entries of four fields, in this order: the
// Catalan text (the lookup key), then its Galician, Occitan and Spanish
// texts. Fields are separated by a comma or a line end (CR LF); the usual
// layout is one field per line. Reading rules:
//   - spaces before a field are skipped;
//   - a field that begins with a double quote runs to the next double quote,
//     across commas and line ends; after it spaces, tabs and line feeds are
//     skipped and one comma or one line end is consumed;
//   - any other field runs to the next comma or CR (consumed with the LF that
//     follows it); tabs and line feeds inside it are dropped, trailing
//     spaces are kept;
//   - a Ctrl-Z (byte 26) ends the file; a lone first field at the end of the
//     file is ignored; fields missing at the end of a cut entry are empty.
// The first entry whose Catalan text equals the text byte for byte wins; a
// text without an entry comes back unchanged.
//
// Guarantees: in a session whose language code is exactly "CAT" no file is
// touched. For any other code (blank and unknown ones included) the file is
// created empty when missing, and a file that cannot be read behaves as an
// empty one. The results are those of reading the file anew at every call:
// the cache, when enabled, is checked against the file's stamp (device,
// inode, size, modification time) at every call, so a file replaced or
// rewritten while the program runs is honoured at the next call.
#ifndef ZUL_CONFIG_LANGUAGE_H_
#define ZUL_CONFIG_LANGUAGE_H_

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "config/session.h"
#include "platform/env.h"

namespace zul {

// Language files larger than this are scanned at every call instead of being
// kept in memory.
inline constexpr int64_t kMaxCachedLanguageFileBytes = 16 * 1024 * 1024;

enum class LanguageCache { kKeep, kNone };

class Translator {
 public:
  // `env` and `session` must outlive the translator. The module's name is
  // taken from the session at the first translation and kept.
  Translator(Env& env, const Session& session, LanguageCache cache = LanguageCache::kKeep)
      : env_(env), session_(session), cache_mode_(cache) {}
  Translator(const Translator&) = delete;
  Translator& operator=(const Translator&) = delete;

  // The text in the session's language.
  std::string Translate(std::string_view text);

 private:
  // The Galician, Occitan and Spanish texts of one entry.
  using Translations = std::array<std::string, 3>;

  // Scans the file for the first entry of `text`; the text itself when the
  // file has none or cannot be read.
  std::string ScanFile(std::string_view text, int field);
  // The language file's stamp, after creating the file when it is missing;
  // false when it cannot be examined.
  bool StampCreating(FileStamp* stamp);
  // Makes the cache hold the file as it is now; false when it cannot.
  bool RefreshCache();

  Env& env_;
  const Session& session_;
  const LanguageCache cache_mode_;
  bool named_ = false;
  std::string path_;  // the language file, fixed at the first call

  // Lets the cache be searched with a string_view, without a copy.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };

  bool cache_valid_ = false;
  FileStamp cache_stamp_;
  std::unordered_map<std::string, Translations, TextHash, std::equal_to<>> cache_;
};

}  // namespace zul

#endif  // ZUL_CONFIG_LANGUAGE_H_
