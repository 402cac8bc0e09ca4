// ConsoleHarness: a whole console layer over a TestEnv and the headless
// backend, in a fresh directory that is also the session's WorkDir and the
// working directory. Behaviour tests of the console and of every layer above
// it script input on `input`, run the code under test, and read the screen.
//
//   ConsoleHarness h;
//   h.input.Key(kKeyEsc);
//   ShowHelp(h.ui, "TOPIC");
//   EXPECT_EQ(h.Row(4), "╔═══...");
#ifndef ZUL_TESTS_SUPPORT_CONSOLE_HARNESS_H_
#define ZUL_TESTS_SUPPORT_CONSOLE_HARNESS_H_

#include <cstdint>
#include <string>

#include "config/session.h"
#include "console/console.h"
#include "console/console_ui.h"
#include "platform/headless_backend.h"
#include "platform/test_env.h"
#include "tests/support/temp_dir.h"

namespace zul::testing {

// Session values for tests: the default colour set, WorkDir = `dir` + "/",
// host mode "DOS".
SessionValues TestSessionValues(const std::string& dir);

// Holds the directory, so that it exists before the harness's members.
struct HarnessDir {
  TempDir dir;
};

class ConsoleHarness : public HarnessDir {
 public:
  ConsoleHarness() : ConsoleHarness([](SessionValues&) {}) {}
  // `edit` adjusts the session values before the session is made.
  template <typename Edit>
  explicit ConsoleHarness(Edit edit)
      : env(dir.path()),
        input(env),
        console(env, input),
        session(Values(edit)),
        ui(env, console, session) {}

  TestEnv env;
  HeadlessBackend input;
  Console console;
  Session session;
  ConsoleUi ui;

  // Presents pending output, then dumps what the backend shows (see
  // DumpScreenText): one line per row, trailing blanks cut.
  std::string Screen(bool attributes = false);
  // One row of the screen as UTF-8, trailing blanks cut.
  std::string Row(int row);
  // `count` cells of a row from `column`, as UTF-8.
  std::string Cells(int row, int column, int count);
  uint8_t Attr(int row, int column);

 private:
  template <typename Edit>
  SessionValues Values(Edit edit) {
    SessionValues v = TestSessionValues(dir.path());
    edit(v);
    return v;
  }
};

}  // namespace zul::testing

#endif  // ZUL_TESTS_SUPPORT_CONSOLE_HARNESS_H_
