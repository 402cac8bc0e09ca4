#include "tests/support/tool_run.h"

#include <sys/wait.h>

#include <cstdio>

namespace zul::testing {

ToolRun RunTool(const std::string& program, const std::string& args, const TempDir& dir) {
  const std::string err_file = dir.Path(".stderr.txt");
  const std::string command =
      "cd '" + dir.path() + "' && '" + program + "' " + args + " 2>'" + err_file + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = ::pclose(pipe);
  ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, ReadFileBytes(err_file)};
  std::remove(err_file.c_str());
  return run;
}

}  // namespace zul::testing
