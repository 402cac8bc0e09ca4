#include "config/language.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace zul {
namespace {

constexpr int kEndOfFile = -1;
constexpr char kCtrlZ = 26;

// Reads the fields of a language file one after another, buffering the
// file's bytes. The file ends at a Ctrl-Z, a read error, or after `size`
// bytes: the size it had when it was stamped, which also keeps a device or
// a file that grows without end from being read for ever.
class FieldReader {
 public:
  FieldReader(File& file, int64_t size) : file_(file), buffer_(64 * 1024), left_(size) {}

  bool AtEnd() { return Peek() == kEndOfFile; }
  // True when the file could not be read to its end.
  bool Failed() const { return failed_; }

  // The next field; at the end of the file, the empty field.
  std::string ReadField() {
    while (Peek() == ' ') Skip();
    std::string field;
    if (Peek() == '"') {
      Skip();
      AppendUntilStop(/*quoted=*/true, &field);
      Skip();  // the closing quote, if any
      while (Peek() == ' ' || Peek() == '\t' || Peek() == '\n') Skip();
      if (Peek() == ',') {
        Skip();
      } else if (Peek() == '\r') {
        Skip();
        if (Peek() == '\n') Skip();
      }
      return field;
    }
    for (;;) {
      AppendUntilStop(/*quoted=*/false, &field);
      const int c = Get();
      if (c == '\t' || c == '\n') continue;  // dropped
      if (c == '\r' && Peek() == '\n') Skip();
      return field;
    }
  }

 private:
  int Peek() {
    if (pos_ == len_ && !Fill()) return kEndOfFile;
    return static_cast<unsigned char>(buffer_[pos_]);
  }
  void Skip() {
    if (pos_ < len_) ++pos_;
  }
  // Appends the bytes before the next quote (when `quoted`) or the next
  // comma, CR, tab or LF (otherwise), which is left unread, or before the
  // end of the file; in whole runs.
  void AppendUntilStop(bool quoted, std::string* field) {
    auto is_stop = [quoted](char c) {
      return quoted ? c == '"' : c == ',' || c == '\r' || c == '\t' || c == '\n';
    };
    while (Peek() != kEndOfFile) {
      size_t stop = pos_;
      while (stop < len_ && !is_stop(buffer_[stop])) ++stop;
      field->append(buffer_.data() + pos_, stop - pos_);
      pos_ = stop;
      if (stop < len_) return;
    }
  }
  int Get() {
    const int c = Peek();
    if (c != kEndOfFile) Skip();
    return c;
  }
  bool Fill() {
    if (ended_ || left_ <= 0) return false;
    const size_t wanted = static_cast<size_t>(std::min<int64_t>(left_, buffer_.size()));
    const int64_t got = file_.Read(buffer_.data(), wanted);
    if (got <= 0) {
      failed_ = got < 0;
      ended_ = true;
      return false;
    }
    left_ -= got;
    pos_ = 0;
    len_ = static_cast<size_t>(got);
    for (size_t i = 0; i < len_; ++i) {
      if (buffer_[i] == kCtrlZ) {
        len_ = i;
        ended_ = true;
        break;
      }
    }
    return len_ > 0;
  }

  File& file_;
  std::vector<char> buffer_;
  int64_t left_;
  size_t pos_ = 0;
  size_t len_ = 0;
  bool ended_ = false;
  bool failed_ = false;
};

// Calls on_entry(catalan, translations) for every entry of the first `size`
// bytes of the file, in order, until it returns true. False when a read
// error cut the scan short.
template <typename OnEntry>
bool ForEachEntry(File& file, int64_t size, OnEntry on_entry) {
  FieldReader in(file, size);
  while (!in.AtEnd()) {
    std::string catalan = in.ReadField();
    if (in.AtEnd()) break;  // a lone first field is not an entry
    std::array<std::string, 3> translations;
    for (std::string& field : translations) field = in.ReadField();
    if (on_entry(std::move(catalan), std::move(translations))) break;
  }
  return !in.Failed();
}

// Which translation a language code selects: 0 Galician, 1 Occitan,
// 2 Spanish; -1 for any other code, which keeps the Catalan text.
int FieldOf(std::string_view language_code) {
  if (language_code == "GLG") return 0;
  if (language_code == "OCI") return 1;
  if (language_code == "SPA") return 2;
  return -1;
}

}  // namespace

std::string Translator::Translate(std::string_view text) {
  const std::string& language = session_.LanguageCode();
  if (language == "CAT") return std::string(text);
  if (!named_) {
    path_ = session_.RootDir() + "LOCALE\\" + session_.ModuleName() + ".LNG";
    named_ = true;
  }
  const int field = FieldOf(language);
  if (cache_mode_ == LanguageCache::kKeep && RefreshCache()) {
    if (field < 0) return std::string(text);
    const auto found = cache_.find(text);
    return found == cache_.end() ? std::string(text) : found->second[field];
  }
  return ScanFile(text, field);
}

bool Translator::StampCreating(FileStamp* stamp) {
  if (env_.Stamp(path_, stamp)) return true;
  // Opening for appending creates the missing file and changes nothing else.
  env_.Open(path_, OpenMode::kAppend);
  return env_.Stamp(path_, stamp);
}

std::string Translator::ScanFile(std::string_view text, int field) {
  std::string result(text);
  FileStamp stamp;
  if (!StampCreating(&stamp)) return result;
  std::unique_ptr<File> file = env_.Open(path_, OpenMode::kRead);
  if (file == nullptr) return result;
  ForEachEntry(*file, stamp.size, [&](std::string catalan, Translations translations) {
    if (catalan != text) return false;
    if (field >= 0) result = std::move(translations[field]);
    return true;
  });
  return result;
}

bool Translator::RefreshCache() {
  FileStamp stamp;
  if (!StampCreating(&stamp)) {
    cache_valid_ = false;
    return false;
  }
  if (cache_valid_ && stamp == cache_stamp_) return true;
  cache_valid_ = false;
  cache_.clear();
  if (stamp.size > kMaxCachedLanguageFileBytes) return false;
  // The stamp is taken before the file is read: a change made while it is
  // being read gives the next call another stamp, and the file is read again.
  std::unique_ptr<File> file = env_.Open(path_, OpenMode::kRead);
  if (file == nullptr) return false;  // unreadable now; perhaps not at the next call
  const bool complete =
      ForEachEntry(*file, stamp.size, [this](std::string catalan, Translations translations) {
        cache_.try_emplace(std::move(catalan), std::move(translations));  // the first entry wins
        return false;
      });
  if (!complete) {
    cache_.clear();
    return false;
  }
  cache_stamp_ = stamp;
  cache_valid_ = true;
  return true;
}

}  // namespace zul
