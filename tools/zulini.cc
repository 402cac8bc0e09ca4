// zulini: reads and writes the suite's settings files from scripts.
//
//   zulini get FILE SECTION KEY        prints the value; exit 1 when empty
//   zulini set FILE SECTION KEY VALUE  sets, adds or removes a key; exit 2 on failure
//
// Arguments and output are UTF-8; the files hold code page 850.
#include <cstdio>
#include <string>
#include <vector>

#include "config/settings.h"
#include "core/cp850.h"
#include "platform/posix_env.h"

namespace {

constexpr char kUsage[] =
    "usage: zulini get FILE SECTION KEY\n"
    "       zulini set FILE SECTION KEY VALUE\n"
    "\n"
    "get prints the value of KEY in SECTION of the settings file FILE and exits 0;\n"
    "    when the value is empty (missing file, section or key) it prints nothing\n"
    "    and exits 1.\n"
    "set writes KEY=VALUE into SECTION, adding the key and the section when\n"
    "    missing. An empty VALUE removes the key, an empty KEY the whole section,\n"
    "    an empty SECTION every line but blank and comment lines. Exits 0 when the\n"
    "    file was updated, 2 with a message when it was left as it was.\n"
    "\n"
    "Arguments and output are UTF-8; the file is kept in code page 850, and a\n"
    "character that code page 850 cannot hold is refused.\n";

int Usage(FILE* out, int code) {
  std::fputs(kUsage, out);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) return Usage(stdout, 0);
  const bool get = !args.empty() && args[0] == "get" && args.size() == 4;
  const bool set = !args.empty() && args[0] == "set" && args.size() == 5;
  if (!get && !set) return Usage(stderr, 2);

  std::vector<std::string> text(args.size());
  for (size_t i = 1; i < args.size(); ++i) {
    if (!zul::Utf8ToCp850(args[i], &text[i])) {
      std::fprintf(stderr, "zulini: \"%s\" holds a character that code page 850 cannot hold\n",
                   args[i].c_str());
      return 2;
    }
  }

  zul::PosixEnv env;
  if (get) {
    const std::string value = zul::ReadSetting(env, text[1], text[2], text[3]);
    if (value.empty()) return 1;
    std::printf("%s\n", zul::Cp850ToUtf8(value).c_str());
    return 0;
  }
  const zul::SettingsStatus status = zul::WriteSetting(env, text[1], text[2], text[3], text[4]);
  if (status != zul::SettingsStatus::kOk) {
    std::fprintf(stderr, "zulini: %s: %s\n", args[1].c_str(), zul::SettingsStatusText(status));
    return 2;
  }
  return 0;
}
