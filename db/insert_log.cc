#include "db/insert_log.h"

#include <cstdlib>
#include <memory>

namespace zul {
namespace {

void AppendNumber(std::string* line, int16_t value) {
  line->push_back(value < 0 ? '-' : ' ');
  *line += std::to_string(std::abs(static_cast<int>(value)));
  line->push_back(' ');
}

void PadToZone(std::string* line) {
  constexpr size_t kZone = 14;
  if (line->size() % kZone != 0) line->append(kZone - line->size() % kZone, ' ');
}

}  // namespace

std::string InsertLogLine(int16_t file_id, int16_t operation, int16_t status) {
  std::string line;
  AppendNumber(&line, file_id);
  PadToZone(&line);
  AppendNumber(&line, operation);
  PadToZone(&line);
  AppendNumber(&line, status);
  line += "\r\n";
  return line;
}

void AppendInsertLog(Env& env, int16_t file_id, int16_t operation, int16_t status) {
  std::unique_ptr<File> log = env.Open("db.log", OpenMode::kAppend);
  if (log != nullptr) log->Write(InsertLogLine(file_id, operation, status));
}

}  // namespace zul
