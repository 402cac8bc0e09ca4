// A settings writer for the multi-process tests.
//
//   settings_writer keys FILE SECTION PREFIX COUNT   writes PREFIX1..PREFIXCOUNT
//   settings_writer churn FILE                       rewrites FILE until killed
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/settings.h"
#include "platform/posix_env.h"

int main(int argc, char** argv) {
  zul::PosixEnv env;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "keys" && argc == 6) {
    const int count = std::atoi(argv[5]);
    for (int i = 1; i <= count; ++i) {
      const std::string key = std::string(argv[4]) + std::to_string(i);
      if (zul::WriteSetting(env, argv[2], argv[3], key, "value of " + key) !=
          zul::SettingsStatus::kOk) {
        std::fprintf(stderr, "write of %s failed\n", key.c_str());
        return 1;
      }
    }
    return 0;
  }
  if (mode == "churn" && argc == 3) {
    // Alternates between two complete versions whose every key changes, so a
    // torn file would show keys of both.
    for (long round = 0;; ++round) {
      const char letter = round % 2 == 0 ? 'A' : 'B';
      zul::WriteSetting(env, argv[2], "S", "k", std::string(4000, letter));
    }
  }
  std::fprintf(stderr, "usage: settings_writer keys FILE SECTION PREFIX COUNT | churn FILE\n");
  return 2;
}
