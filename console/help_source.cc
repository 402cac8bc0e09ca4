#include "console/help_source.h"

#include <cstdio>

#include "console/help_viewer.h"
#include "core/cp850.h"

namespace zul {

namespace {

std::string CodePointName(int32_t code_point) {
  char text[32];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code_point));
  return text;
}

// One source line into one record; "" and an error message when it fails.
bool CompileLine(std::string_view line, std::string* record, std::string* error) {
  record->clear();
  size_t shown = 0;
  size_t pos = 0;
  while (pos < line.size()) {
    const size_t column = pos + 1;
    if (line[pos] == '{') {
      if (line.substr(pos, 2) == "{{") {
        record->push_back('{');
        ++shown;
        pos += 2;
        continue;
      }
      const std::string_view mark = line.substr(pos, 3);
      if (mark == "{h}") {
        record->push_back(static_cast<char>(kHelpHighlight));
      } else if (mark == "{u}") {
        record->push_back(static_cast<char>(kHelpUnderline));
      } else if (mark == "{r}") {
        record->push_back(static_cast<char>(kHelpReverse));
      } else {
        *error = "column " + std::to_string(column) +
                 ": unknown mark-up (use {h}, {u}, {r}, or {{ for a \"{\")";
        return false;
      }
      pos += 3;
      continue;
    }
    const int32_t code_point = DecodeUtf8(line, &pos);
    if (code_point < 0) {
      *error = "column " + std::to_string(column) + ": not valid UTF-8";
      return false;
    }
    if (code_point < 32 || code_point == 127) {
      *error = "column " + std::to_string(column) + ": control character " +
               CodePointName(code_point) + (code_point == 9 ? " (a tab: use blanks)" : "");
      return false;
    }
    const int byte = UnicodeToCp850(static_cast<char32_t>(code_point));
    if (byte < 0) {
      std::string shown_char;
      AppendUtf8(static_cast<char32_t>(code_point), &shown_char);
      *error = "column " + std::to_string(column) + ": \"" + shown_char + "\" (" +
               CodePointName(code_point) + ") cannot be shown in code page 850";
      return false;
    }
    record->push_back(static_cast<char>(byte));
    ++shown;
  }
  if (shown > kHelpShownCharacters) {
    *error = "too long: " + std::to_string(shown) + " characters, at most " +
             std::to_string(kHelpShownCharacters) + " show";
    return false;
  }
  if (record->size() > kHelpRecordSize) {
    *error = "too long: " + std::to_string(record->size()) + " bytes with the mark-up, at most " +
             std::to_string(kHelpRecordSize);
    return false;
  }
  record->resize(kHelpRecordSize, ' ');
  return true;
}

}  // namespace

bool CompileHelpText(std::string_view source, std::string* records,
                     std::vector<HelpSourceError>* errors) {
  records->clear();
  std::string out;
  size_t start = 0;
  int number = 0;
  bool ok = true;
  while (start < source.size()) {
    size_t end = source.find('\n', start);
    if (end == std::string_view::npos) end = source.size();
    std::string_view line = source.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number;
    std::string record, error;
    if (CompileLine(line, &record, &error)) {
      out += record;
    } else {
      errors->push_back(HelpSourceError{number, error});
      ok = false;
    }
    start = end + 1;
  }
  if (ok) *records = std::move(out);
  return ok;
}

}  // namespace zul
