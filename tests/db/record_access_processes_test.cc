// Lock modes against another program holding a record lock: mode 2 answers
// at once, mode 1 waits with its message until the other program lets go.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/db/record_fixture.h"

namespace zul {
namespace {

using testing::Numbered;
using testing::NumberedDefinition;
using testing::RecordFixture;
using testing::U32;

class RecordAccessProcessesTest : public RecordFixture {
 protected:
  RecordAccessProcessesTest() : record_(20, '\0') {
    Dictionary("NUMBERS", NumberedDefinition());
    Open(1, "NUMBERS", &record_);
    for (uint32_t n = 1; n <= 3; ++n) {
      const std::string r = Numbered(n);
      std::copy(r.begin(), r.end(), record_.begin());
      int16_t status = -1;
      access_.InsertRecord(1, &status);
      EXPECT_EQ(status, 0);
    }
  }
  ~RecordAccessProcessesTest() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  // Starts a program that locks record `n` and holds it until its input
  // ends; returns once it holds the lock.
  void ChildLocks(uint32_t n) {
    int in[2], out[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(out), 0);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      ::close(in[1]);
      ::close(out[0]);
      const std::string path = dir_.Path("NUMBERS.dat");
      const std::string number = std::to_string(n);
      ::execl(ZUL_RECORD_CHILD, ZUL_RECORD_CHILD, "lock", path.c_str(), number.c_str(), nullptr);
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    to_child_ = in[1];
    std::string line;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line.push_back(c);
    ::close(out[0]);
    ASSERT_EQ(line, "locked 0");
  }
  // Ends the child's input: it lets go and ends.
  void ChildLetsGo() {
    if (to_child_ >= 0) ::close(to_child_);
    to_child_ = -1;
  }

  std::string record_;
  pid_t pid_ = -1;
  int to_child_ = -1;
};

TEST_F(RecordAccessProcessesTest, ModeTwoAnswers84AtOnce) {
  ChildLocks(2);
  int16_t status = 0;
  access_.SetLockMode(1, "B", &status);
  EXPECT_EQ(access_.FindByKey(1, 0, U32(2), 0), rm::kRecordLocked);
  EXPECT_TRUE(env_.Sleeps().empty());
  EXPECT_EQ(access_.FindByKey(1, 0, U32(3), 0), 0);
  EXPECT_TRUE(ui_.calls.empty());
}

TEST_F(RecordAccessProcessesTest, ModeOneWaitsShowsTheMessageAndSucceedsOnceTheOtherLetsGo) {
  ChildLocks(2);
  int16_t status = 0;
  access_.SetLockMode(1, "A", &status);
  ui_.on_message = [this] { ChildLetsGo(); };
  EXPECT_EQ(access_.FindByKey(1, 0, U32(2), 0), 0);
  EXPECT_EQ(record_, Numbered(2));
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{
                           "ShowMessage 24 FITXER BLOQUEJAT. ESPEREU UN MOMENT.", "PopWindow"}));
  EXPECT_GE(env_.Sleeps().size(), 2u);
  for (int64_t wait : env_.Sleeps()) {
    EXPECT_GE(wait, 1);
    EXPECT_LE(wait, 10001);
  }
}

TEST_F(RecordAccessProcessesTest, AProgramThatDiesLetsGoOfItsLocks) {
  ChildLocks(2);
  int16_t status = 0;
  access_.SetLockMode(1, "A", &status);
  ui_.on_message = [this] { ::kill(pid_, SIGKILL); };
  EXPECT_EQ(access_.FindByKey(1, 0, U32(2), 0), 0);
  EXPECT_EQ(record_, Numbered(2));
}

}  // namespace
}  // namespace zul
