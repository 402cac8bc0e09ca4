// zulhelp: builds a help text file from its UTF-8 source.
//
//   zulhelp SOURCE OUTPUT
//
// Each line of SOURCE becomes one 80-byte record of OUTPUT in code page 850.
// Mark-up: {h}...{h} highlight, {u}...{u} underline, {r}...{r} reverse, {{
// a literal "{". At most 76 characters of a line show. Every faulty line is
// reported with its number and nothing is written; OUTPUT is replaced only
// when it is complete.
#include <cstdio>
#include <string>
#include <vector>

#include "console/help_source.h"
#include "platform/posix_env.h"

namespace {

constexpr char kUsage[] =
    "usage: zulhelp SOURCE OUTPUT\n"
    "\n"
    "Builds the help text file OUTPUT (for instance AJUDA/TOPIC.HLP) from the\n"
    "UTF-8 text file SOURCE. Each line of SOURCE is one line of the help, at\n"
    "most 76 characters. Mark-up, which takes no column:\n"
    "  {h}...{h}  highlight\n"
    "  {u}...{u}  underline\n"
    "  {r}...{r}  reverse\n"
    "  {{         a \"{\" character\n"
    "Exits 0 when OUTPUT was written, 1 with a message per faulty line\n"
    "otherwise (OUTPUT is then left as it was), 2 when a file cannot be read\n"
    "or written.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.size() != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  zul::PosixEnv env;
  const std::string& source_path = args[0];
  const std::string& output_path = args[1];

  std::unique_ptr<zul::File> in = env.Open(source_path, zul::OpenMode::kRead);
  if (!in) {
    std::fprintf(stderr, "zulhelp: cannot read %s: %s\n", source_path.c_str(),
                 env.LastError().c_str());
    return 2;
  }
  std::string source;
  char buffer[65536];
  int64_t n;
  while ((n = in->Read(buffer, sizeof buffer)) > 0) source.append(buffer, static_cast<size_t>(n));
  if (n < 0) {
    std::fprintf(stderr, "zulhelp: cannot read %s: %s\n", source_path.c_str(),
                 env.LastError().c_str());
    return 2;
  }

  std::string records;
  std::vector<zul::HelpSourceError> errors;
  if (!zul::CompileHelpText(source, &records, &errors)) {
    for (const zul::HelpSourceError& error : errors) {
      std::fprintf(stderr, "%s:%d: %s\n", source_path.c_str(), error.line, error.message.c_str());
    }
    std::fprintf(stderr, "zulhelp: %zu faulty line%s; %s not written\n", errors.size(),
                 errors.size() == 1 ? "" : "s", output_path.c_str());
    return 1;
  }

  // Written under a temporary name and renamed, so that a reader never sees
  // half a file.
  const std::string temporary = output_path + ".tmp";
  std::unique_ptr<zul::File> out = env.Open(temporary, zul::OpenMode::kWrite);
  if (!out || !out->Write(records) || !out->Sync()) {
    std::fprintf(stderr, "zulhelp: cannot write %s: %s\n", temporary.c_str(),
                 env.LastError().c_str());
    out.reset();
    env.Delete(temporary);
    return 2;
  }
  out.reset();
  if (!env.Rename(temporary, output_path)) {
    std::fprintf(stderr, "zulhelp: cannot write %s: %s\n", output_path.c_str(),
                 env.LastError().c_str());
    env.Delete(temporary);
    return 2;
  }
  return 0;
}
