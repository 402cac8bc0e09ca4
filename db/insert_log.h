// The insert log "db.log": one line per record insertion, in the working
// directory, appended to by every program of the suite.
#ifndef ZUL_DB_INSERT_LOG_H_
#define ZUL_DB_INSERT_LOG_H_

#include <cstdint>
#include <string>

#include "platform/env.h"

namespace zul {

// The log line of one call: three numbers, each written with a leading
// space (or "-") and a trailing space; after the first and the second the
// line is filled with spaces to the next multiple of 14 columns; CR LF ends it.
std::string InsertLogLine(int16_t file_id, int16_t operation, int16_t status);

// Appends the line to "db.log"; a failure to write it is ignored.
void AppendInsertLog(Env& env, int16_t file_id, int16_t operation, int16_t status);

}  // namespace zul

#endif  // ZUL_DB_INSERT_LOG_H_
