// A second program on the same data file, for the multi-process tests.
//
//   record_child lock FILE NUMBER      locks the record NUMBER, says "locked",
//                                      holds the lock until its input ends
//   record_child insert FILE FIRST N   inserts records FIRST..FIRST+N-1
//   record_child churn FILE            inserts and deletes until killed,
//                                      telling each step on its output
//
// Records are those of Numbered() (record_file.h). Every line is written
// with one write(2), after the call it reports has returned, so a killed
// child never leaves a line for a call that did not complete.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix_env.h"
#include "platform/record_manager/record_manager.h"
#include "tests/platform/record_file.h"

namespace {

void Say(const std::string& line) {
  const std::string text = line + "\n";
  if (::write(1, text.data(), text.size()) < 0) std::_Exit(3);
}

}  // namespace

int main(int argc, char** argv) {
  zul::PosixEnv env;
  zul::RecordManager manager(env);
  zul::testing::RecordFile file(manager);
  const std::string mode = argc > 2 ? argv[1] : "";
  if (mode.empty() || file.Open(argv[2]) != 0) {
    std::fprintf(stderr, "usage: record_child lock|insert|churn FILE ...\n");
    return 2;
  }
  if (mode == "lock" && argc == 4) {
    std::string key = zul::testing::U32(static_cast<uint32_t>(std::atol(argv[3]))), record;
    const int16_t status =
        file.Op(zul::rm::kGetEqual + zul::rm::kSingleRecordLock, 0, &key, &record);
    Say("locked " + std::to_string(status));
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    return 0;
  }
  if (mode == "insert" && argc == 5) {
    const uint32_t first = static_cast<uint32_t>(std::atol(argv[3]));
    const uint32_t count = static_cast<uint32_t>(std::atol(argv[4]));
    int failures = 0;
    for (uint32_t n = first; n < first + count; ++n) {
      int16_t status;
      // A busy file answers 85; the suite's lock mode 1 waits and retries.
      while ((status = file.Insert(zul::testing::Numbered(n))) == zul::rm::kFileLocked) {
      }
      if (status != 0) ++failures;
    }
    return failures == 0 ? 0 : 1;
  }
  if (mode == "churn" && argc == 3) {
    for (uint32_t n = 0;; ++n) {
      if (file.Insert(zul::testing::Numbered(n)) == 0) Say("I " + std::to_string(n));
      if (n % 3 == 2) {
        std::string key = zul::testing::U32(n - 2), record;
        if (file.Op(zul::rm::kGetEqual, 0, &key, &record) == 0) {
          Say("d " + std::to_string(n - 2));  // from here on either state is right
          if (file.Simple(zul::rm::kDelete) == 0) Say("D " + std::to_string(n - 2));
        }
      }
    }
  }
  std::fprintf(stderr, "record_child: bad arguments\n");
  return 2;
}
