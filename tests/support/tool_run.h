// Runs a companion program as a user would from a shell, for end-to-end tests
// of the tools.
#ifndef ZUL_TESTS_SUPPORT_TOOL_RUN_H_
#define ZUL_TESTS_SUPPORT_TOOL_RUN_H_

#include <string>

#include "tests/support/temp_dir.h"

namespace zul::testing {

struct ToolRun {
  int code;
  std::string out;
  std::string err;
};

// Runs `program` with `args` (shell words, quoted by the caller) in `dir`,
// capturing its exit code, standard output and standard error.
ToolRun RunTool(const std::string& program, const std::string& args, const TempDir& dir);

}  // namespace zul::testing

#endif  // ZUL_TESTS_SUPPORT_TOOL_RUN_H_
