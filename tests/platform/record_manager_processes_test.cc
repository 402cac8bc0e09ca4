// The engine between real processes: record locks held by another program,
// locks dying with their process, concurrent inserters, and a program
// killed at random moments while it inserts and deletes.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix_env.h"
#include "platform/record_manager/record_manager.h"
#include "tests/platform/record_file.h"
#include "tests/support/temp_dir.h"

namespace zul {
namespace {

using testing::Numbered;
using testing::NumberedDefinition;
using testing::RecordFile;
using testing::TempDir;
using testing::U32;

// A running record_child with a pipe to its input and one from its output.
struct Child {
  pid_t pid = -1;
  int to_child = -1;
  int from_child = -1;

  static Child Start(const std::vector<std::string>& args) {
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0) return {};
    Child child;
    child.pid = ::fork();
    if (child.pid == 0) {
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      ::close(in[1]);
      ::close(out[0]);
      std::vector<std::string> copy = args;
      std::vector<char*> argv;
      std::string program = ZUL_RECORD_CHILD;
      argv.push_back(program.data());
      for (std::string& a : copy) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    child.to_child = in[1];
    child.from_child = out[0];
    return child;
  }

  // One line of the child's output, without its line end ("" at its end).
  std::string ReadLine() {
    std::string line;
    char c;
    while (::read(from_child, &c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
  }
  std::string ReadAll() {
    std::string all;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(from_child, buffer, sizeof buffer)) > 0) all.append(buffer, n);
    return all;
  }
  int Wait() {
    if (to_child >= 0) ::close(to_child);
    to_child = -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (from_child >= 0) ::close(from_child);
    from_child = -1;
    return status;
  }
  void Kill() {
    ::kill(pid, SIGKILL);
    Wait();
  }
};

class RecordManagerProcessesTest : public ::testing::Test {
 protected:
  RecordManagerProcessesTest() : manager_(env_), file_(manager_), path_(dir_.Path("NUMBERS.DAT")) {
    EXPECT_EQ(file_.Create(path_, NumberedDefinition()), 0);
    EXPECT_EQ(file_.Open(path_), 0);
  }

  // Counts the records along key `k`.
  int Count(int8_t k) {
    int count = 0;
    std::string key, record;
    for (int16_t op = rm::kGetFirst; file_.Op(op, k, &key, &record) == 0; op = rm::kGetNext)
      ++count;
    return count;
  }

  TempDir dir_;
  PosixEnv env_;
  RecordManager manager_;
  RecordFile file_;
  std::string path_;
};

TEST_F(RecordManagerProcessesTest, AnotherProgramsLockAnswers84AtOnceAndDiesWithIt) {
  for (uint32_t n = 1; n <= 3; ++n) ASSERT_EQ(file_.Insert(Numbered(n)), 0);
  Child child = Child::Start({"lock", path_, "2"});
  ASSERT_EQ(child.ReadLine(), "locked 0");
  std::string key = U32(2), record;
  EXPECT_EQ(file_.Op(rm::kGetEqual + rm::kSingleRecordLock, 0, &key, &record), rm::kRecordLocked);
  key = U32(2);
  ASSERT_EQ(file_.Op(rm::kGetEqual, 0, &key, &record), 0) << "reads without a lock pass";
  EXPECT_EQ(file_.Simple(rm::kDelete), rm::kRecordLocked);
  key = U32(3);
  EXPECT_EQ(file_.Op(rm::kGetEqual + rm::kSingleRecordLock, 0, &key, &record), 0)
      << "only that record is locked";

  child.Kill();  // no Close, no Reset: the lock must go with the process
  key = U32(2);
  EXPECT_EQ(file_.Op(rm::kGetEqual + rm::kSingleRecordLock, 0, &key, &record), 0);
  EXPECT_EQ(file_.Simple(rm::kDelete), 0);
}

TEST_F(RecordManagerProcessesTest, TwoProgramsInsertingAtOnceLoseNothing) {
  const int kEach = 150;
  Child a = Child::Start({"insert", path_, "0", std::to_string(kEach)});
  Child b = Child::Start({"insert", path_, "100000", std::to_string(kEach)});
  EXPECT_EQ(a.Wait(), 0);
  EXPECT_EQ(b.Wait(), 0);
  EXPECT_EQ(Count(0), 2 * kEach);
  EXPECT_EQ(Count(1), 2 * kEach);
  for (uint32_t n : {0u, 77u, 149u, 100000u, 100149u}) {
    std::string key = U32(n), record;
    EXPECT_EQ(file_.Op(rm::kGetEqual, 0, &key, &record), 0) << n;
    EXPECT_EQ(record.substr(0, 20), Numbered(n));
  }
}

TEST_F(RecordManagerProcessesTest, AProgramKilledAtAnyMomentLeavesEveryCompletedCallInPlace) {
  ASSERT_EQ(file_.Close(), 0);
  std::mt19937 random(20260105);
  std::map<uint32_t, char> state;  // 'I' inserted, 'd' delete under way, 'D' deleted
  uint32_t offset = 0;
  for (int round = 0; round < 25; ++round) {
    // Every round's child works on a fresh file of its own.
    const std::string path = dir_.Path("CHURN" + std::to_string(round) + ".DAT");
    RecordFile maker(manager_);
    ASSERT_EQ(maker.Create(path, NumberedDefinition()), 0);
    Child child = Child::Start({"churn", path});
    // The kill lands at a random moment of the child's work, counted from its
    // first completed call, however slowly the child starts (sanitizers).
    const std::string first = child.ReadLine();
    ::usleep(std::uniform_int_distribution<int>(0, 60000)(random));
    ::kill(child.pid, SIGKILL);
    std::istringstream lines(first + "\n" + child.ReadAll());
    child.Wait();
    state.clear();
    std::string what;
    uint32_t n;
    while (lines >> what >> n) state[n] = what[0];

    RecordFile file(manager_);
    ASSERT_EQ(file.Open(path), 0) << "round " << round;
    int count0 = 0, count1 = 0;
    std::string key, record;
    for (int16_t op = rm::kGetFirst; file.Op(op, 0, &key, &record) == 0; op = rm::kGetNext)
      ++count0;
    for (int16_t op = rm::kGetFirst; file.Op(op, 1, &key, &record) == 0; op = rm::kGetNext)
      ++count1;
    EXPECT_EQ(count0, count1) << "round " << round << ": the keys disagree";
    for (const auto& [number, s] : state) {
      if (s == 'd') continue;
      key = U32(number);
      EXPECT_EQ(file.Op(rm::kGetEqual, 0, &key, &record), s == 'I' ? 0 : rm::kKeyNotFound)
          << "round " << round << ", record " << number << " (" << s << ")";
    }
    ASSERT_EQ(file.Close(), 0);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
    offset += static_cast<uint32_t>(state.size());
  }
  EXPECT_GT(offset, 25u) << "the child hardly ever got to work";
}

}  // namespace
}  // namespace zul
