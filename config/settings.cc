#include "config/settings.h"

#include <memory>
#include <vector>

#include "core/text.h"

namespace zul {
namespace {

constexpr char kCtrlZ = 26;

// One line of a settings file as both the reader and the writer see it.
struct Line {
  std::string_view raw;      // the line as read, without its line end
  bool blank = false;        // nothing but spaces once the comment is cut
  bool header = false;       // first non-space character is "["
  std::string_view section;  // header: the name, trimmed
  bool key_line = false;     // not blank, not a header, holds "="
  std::string_view key;      // key line: text before the first "=", trimmed
  std::string_view value;    // key line: text after the first "=" up to the comment
};

Line Classify(std::string_view raw) {
  Line line;
  line.raw = raw;
  const std::string_view cut = raw.substr(0, raw.find(';'));
  const std::string_view text = TrimLeft(cut);
  if (TrimRight(text).empty()) {
    line.blank = true;
  } else if (text.front() == '[') {
    line.header = true;
    std::string_view name = text.substr(1);
    line.section = Trim(name.substr(0, name.find(']')));
  } else if (const size_t eq = text.find('='); eq != std::string_view::npos) {
    line.key_line = true;
    line.key = Trim(text.substr(0, eq));
    line.value = text.substr(eq + 1);
  }
  return line;
}

bool SameName(std::string_view a, std::string_view b) { return EqualsNoCase(Trim(a), Trim(b)); }

// Splits text into lines at CR LF, lone LF or lone CR; text after the last
// line end is a line too.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

enum class LoadResult { kLoaded, kMissing, kUnreadable, kTooLarge };

// Reads a whole settings file, up to its Ctrl-Z.
LoadResult LoadFile(Env& env, std::string_view path, std::string* text) {
  text->clear();
  std::unique_ptr<File> file = env.Open(path, OpenMode::kRead);
  if (file == nullptr) return env.Exists(path) ? LoadResult::kUnreadable : LoadResult::kMissing;
  char buffer[64 * 1024];
  for (;;) {
    const int64_t got = file->Read(buffer, sizeof buffer);
    if (got < 0) return LoadResult::kUnreadable;
    if (got == 0) break;
    if (static_cast<int64_t>(text->size()) + got > kMaxSettingsFileBytes) {
      return LoadResult::kTooLarge;
    }
    text->append(buffer, static_cast<size_t>(got));
  }
  const size_t eof = text->find(kCtrlZ);
  if (eof != std::string::npos) text->resize(eof);
  return LoadResult::kLoaded;
}

// The directory part of a path: everything up to its last ":", "\" or "/".
std::string_view DirectoryOf(std::string_view path) {
  const size_t last = path.find_last_of(":\\/");
  return last == std::string_view::npos ? std::string_view() : path.substr(0, last + 1);
}

// The new contents of a settings file after one write.
std::string RewriteSettings(std::string_view old_text, std::string_view section,
                            std::string_view key, std::string_view value) {
  std::string out;
  bool in_section = false;
  bool ever_entered = false;
  bool key_written = false;
  // Blank and comment lines not yet copied: a key added at the end of a
  // section lands before the blank lines that separate it from the next one.
  std::vector<std::string_view> held_back;

  auto put = [&out](std::string_view text) {
    out.append(text);
    out.append("\r\n");
  };
  auto write_pending_key = [&] {
    if (!key_written && !section.empty() && !key.empty() && !value.empty()) {
      if (!ever_entered) put("[" + std::string(section) + "]");
      put(std::string(key) + "=" + std::string(value));
    }
    key_written = true;
  };
  auto flush_held_back = [&] {
    for (std::string_view held : held_back) put(held);
    held_back.clear();
  };

  for (std::string_view raw : SplitLines(old_text)) {
    const Line line = Classify(raw);
    if (line.blank) {
      held_back.push_back(raw);
      continue;
    }
    bool pending_first = false;
    bool drop = false;
    std::string rebuilt;
    std::string_view written = raw;
    if (section.empty()) {
      drop = true;
    } else if (!in_section && line.header && SameName(line.section, section)) {
      in_section = true;
      ever_entered = true;
      drop = key.empty();
    } else if (in_section && line.header) {
      pending_first = true;
      in_section = false;
    } else if (in_section && line.key_line && (key.empty() || SameName(line.key, key))) {
      rebuilt = std::string(raw.substr(0, raw.find('=') + 1)) + std::string(value);
      written = rebuilt;
      key_written = true;
      drop = key.empty() || value.empty();
    }
    if (pending_first) write_pending_key();
    flush_held_back();
    if (!drop) put(written);
  }
  write_pending_key();
  flush_held_back();
  return out;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\x1a", 3)) != std::string_view::npos;
}

// Creates a temporary file with a fresh name in `dir`; never reuses a name
// that exists.
std::unique_ptr<File> CreateTemporary(Env& env, std::string_view dir, std::string* name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate(dir);
    for (int i = 0; i < 8; ++i) candidate += static_cast<char>('0' + RandomBelow(env, 10));
    candidate += ".tmp";
    if (std::unique_ptr<File> file = env.Open(candidate, OpenMode::kCreateNew)) {
      *name = std::move(candidate);
      return file;
    }
    if (!env.Exists(candidate)) return nullptr;  // not a name clash: the directory refuses
  }
  return nullptr;
}

}  // namespace

const char* SettingsStatusText(SettingsStatus status) {
  switch (status) {
    case SettingsStatus::kOk:
      return "updated";
    case SettingsStatus::kBusy:
      return "another program kept the file locked";
    case SettingsStatus::kCannotRead:
      return "the file cannot be read";
    case SettingsStatus::kTooLarge:
      return "the file is too large to be a settings file";
    case SettingsStatus::kCannotCreateTemp:
      return "no temporary copy can be created in its directory";
    case SettingsStatus::kCannotWriteTemp:
      return "the temporary copy cannot be written";
    case SettingsStatus::kCannotReplace:
      return "the file cannot be replaced";
    case SettingsStatus::kBadArgument:
      return "a line break or Ctrl-Z cannot be stored";
  }
  return "unknown failure";
}

std::string ReadSetting(Env& env, std::string_view file, std::string_view section,
                        std::string_view key) {
  std::string text;
  if (LoadFile(env, file, &text) != LoadResult::kLoaded) return "";
  bool in_section = false;
  std::string value;
  for (std::string_view raw : SplitLines(text)) {
    const Line line = Classify(raw);
    if (line.blank) continue;
    if (!in_section) {
      in_section = line.header && SameName(line.section, section);
      continue;
    }
    if (line.header) break;  // only the first occurrence of the section counts
    if (line.key_line && SameName(line.key, key)) {
      value = std::string(line.value);
      break;
    }
  }
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

SettingsStatus WriteSetting(Env& env, std::string_view file, std::string_view section,
                            std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
    return SettingsStatus::kBadArgument;
  }
  const std::string_view dir = DirectoryOf(file);
  const int64_t deadline = env.NowMillis() + kSettingsWriteBudgetMillis;

  std::unique_ptr<FileLock> lock;
  while ((lock = env.TryLock(dir)) == nullptr) {
    if (!env.IsDirectory(dir)) return SettingsStatus::kCannotCreateTemp;
    if (env.NowMillis() >= deadline) return SettingsStatus::kBusy;
    env.SleepMillis(20);
  }

  std::string old_text;
  switch (LoadFile(env, file, &old_text)) {
    case LoadResult::kLoaded:
    case LoadResult::kMissing:
      break;
    case LoadResult::kUnreadable:
      return SettingsStatus::kCannotRead;
    case LoadResult::kTooLarge:
      return SettingsStatus::kTooLarge;
  }
  const std::string new_text = RewriteSettings(old_text, section, key, value);

  std::string temp_name;
  std::unique_ptr<File> temp = CreateTemporary(env, dir, &temp_name);
  if (temp == nullptr) return SettingsStatus::kCannotCreateTemp;
  const bool written = temp->Write(new_text) && temp->Sync();
  temp.reset();
  if (!written) {
    env.Delete(temp_name);
    return SettingsStatus::kCannotWriteTemp;
  }
  // Other workstations' users must keep the rights they had on the file.
  if (env.Exists(file)) env.CopyPermissions(file, temp_name);

  while (!env.Rename(temp_name, file)) {
    if (env.NowMillis() >= deadline) {
      env.Delete(temp_name);
      return SettingsStatus::kCannotReplace;
    }
    env.SleepMillis(100);
  }
  env.SyncDirectory(dir);
  return SettingsStatus::kOk;
}

}  // namespace zul
