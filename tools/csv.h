// Comma-separated values as spreadsheets write them: fields separated by
// ",", a field in double quotes may hold commas, line ends and doubled
// quotes; lines end in CR LF or LF; a UTF-8 byte order mark is skipped.
#ifndef ZUL_TOOLS_CSV_H_
#define ZUL_TOOLS_CSV_H_

#include <string>
#include <string_view>
#include <vector>

namespace zul {

struct CsvRow {
  size_t line = 0;  // the line the row starts on, from 1
  std::vector<std::string> fields;
};

// Splits `text` into rows, leaving out empty lines. On a quote left open
// returns false with `*error_line` the line it opened on.
bool ParseCsv(std::string_view text, std::vector<CsvRow>* rows, size_t* error_line);

// One field as CSV: quoted when it holds a comma, a quote or a line end.
std::string CsvField(std::string_view value);

}  // namespace zul

#endif  // ZUL_TOOLS_CSV_H_
