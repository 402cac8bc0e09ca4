#include "tools/csv.h"

namespace zul {

bool ParseCsv(std::string_view text, std::vector<CsvRow>* rows, size_t* error_line) {
  rows->clear();
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  size_t line = 1;
  size_t i = 0;
  while (i < text.size()) {
    CsvRow row;
    row.line = line;
    std::string field;
    bool row_done = false;
    while (!row_done) {
      if (i < text.size() && text[i] == '"') {
        const size_t opened = line;
        ++i;
        for (;;) {
          if (i >= text.size()) {
            *error_line = opened;
            return false;
          }
          const char c = text[i++];
          if (c == '"') {
            if (i < text.size() && text[i] == '"') {
              field.push_back('"');
              ++i;
              continue;
            }
            break;
          }
          if (c == '\n') ++line;
          field.push_back(c);
        }
      }
      // Unquoted text, or whatever follows a closing quote, up to "," or the line end.
      while (i < text.size() && text[i] != ',' && text[i] != '\n') {
        if (text[i] != '\r' || (i + 1 < text.size() && text[i + 1] != '\n'))
          field.push_back(text[i]);
        ++i;
      }
      row.fields.push_back(std::move(field));
      field.clear();
      if (i < text.size() && text[i] == ',') {
        ++i;
      } else {
        row_done = true;
        if (i < text.size()) ++i;  // the "\n"
        ++line;
      }
    }
    const bool empty = row.fields.size() == 1 && row.fields[0].empty();
    if (!empty) rows->push_back(std::move(row));
  }
  return true;
}

std::string CsvField(std::string_view value) {
  if (value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"') quoted.push_back('"');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

}  // namespace zul
