// A record layer over real files in a test directory, on TestEnv's virtual
// clock, with a user interface that records what it is asked to do.
#ifndef ZUL_TESTS_DB_RECORD_FIXTURE_H_
#define ZUL_TESTS_DB_RECORD_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config/session.h"
#include "core/bytes.h"
#include "db/record_access.h"
#include "platform/test_env.h"
#include "tests/platform/record_file.h"
#include "tests/support/temp_dir.h"

namespace zul::testing {

class RecordingUi : public RecordUi {
 public:
  void ShowMessage(int16_t row, const std::string& text) override {
    calls.push_back("ShowMessage " + std::to_string(row) + " " + text);
    if (on_message) on_message();
  }
  void PopWindow() override { calls.push_back("PopWindow"); }
  void Beep() override { calls.push_back("Beep"); }
  void DiscardTypeAhead() override { calls.push_back("DiscardTypeAhead"); }
  int16_t WaitForKey() override {
    calls.push_back("WaitForKey");
    return 13;
  }
  void CloseProgramFiles() override { calls.push_back("CloseProgramFiles"); }
  void EndProgram(int exit_code) override {
    calls.push_back("EndProgram " + std::to_string(exit_code));
  }

  std::vector<std::string> calls;
  std::function<void()> on_message;
};

// A TestEnv that can act at each sleep, as another program would meanwhile.
class SleepHookEnv : public TestEnv {
 public:
  using TestEnv::TestEnv;
  void SleepMillis(int64_t milliseconds) override {
    TestEnv::SleepMillis(milliseconds);
    if (on_sleep) on_sleep();
  }
  std::function<void()> on_sleep;
};

class RecordFixture : public ::testing::Test {
 protected:
  explicit RecordFixture(std::string language = "CAT")
      : env_(dir_.path()),
        session_(Values(language)),
        manager_(env_),
        access_(env_, session_, manager_, ui_, table_) {
    ::mkdir(dir_.Path("ddf").c_str(), 0777);
    ::mkdir(dir_.Path("DADES").c_str(), 0777);
  }

  SessionValues Values(const std::string& language) {
    SessionValues values;
    values.root_dir = "";  // relative to the test's working directory
    values.language_code = language;
    return values;
  }

  // Writes ddf\<base>.xdf holding `definition` after its 16-bit length.
  void Dictionary(const std::string& base, const std::string& definition) {
    std::string entry;
    AppendU16(&entry, static_cast<uint16_t>(definition.size()));
    WriteFileBytes(dir_.Path("ddf/" + base + ".xdf"), entry + definition);
  }

  // Opens `name` as `file_id` into `record`, expecting success.
  void Open(int16_t file_id, const std::string& name, std::string* record) {
    int16_t status = -1;
    access_.OpenDataFile(file_id, name, *record, &status);
    ASSERT_EQ(status, 0) << name;
  }

  TempDir dir_;
  SleepHookEnv env_;
  Session session_;
  RecordManager manager_;
  RecordingUi ui_;
  OpenFileTable table_;
  RecordAccess access_;
};

}  // namespace zul::testing

#endif  // ZUL_TESTS_DB_RECORD_FIXTURE_H_
