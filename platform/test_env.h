// TestEnv: the Env of tests.
//
// Files are real (under the directory the test gives), but relative paths
// resolve against a working directory of the TestEnv's own, so tests never
// change the process's working directory. The clock is virtual: SleepMillis
// advances it and returns at once. Environment variables, random numbers and
// the exit codes of started programs are scripted; started command lines are
// recorded; chosen operations can be made to fail.
#ifndef ZUL_PLATFORM_TEST_ENV_H_
#define ZUL_PLATFORM_TEST_ENV_H_

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/posix_env.h"

namespace zul {

// Operations whose failure a test can inject.
enum class EnvOp { kOpenForWriting, kRename, kDelete, kSync, kLock, kRunProcess };

class TestEnv : public PosixEnv {
 public:
  // `working_dir` is an existing host directory, the initial working directory.
  explicit TestEnv(std::string working_dir);

  // Scripted environment: every variable is unset until set here.
  void SetEnv(const std::string& name, const std::string& value) { vars_[name] = value; }
  void UnsetEnv(const std::string& name) { vars_.erase(name); }
  std::string GetEnv(std::string_view name) override;

  // Virtual clock, in milliseconds since the epoch; starts at 2026-01-05 09:00 UTC.
  int64_t NowMillis() override { return now_ms_; }
  CivilTime LocalTime() override;  // the virtual clock read as UTC
  void SleepMillis(int64_t milliseconds) override;
  void AdvanceClock(int64_t milliseconds) { now_ms_ += milliseconds; }
  // Total virtual time slept so far, and the individual sleeps.
  int64_t SleptMillis() const { return slept_ms_; }
  const std::vector<int64_t>& Sleeps() const { return sleeps_; }

  // Random numbers: the scripted values first, then a fixed pseudo-random sequence.
  void ScriptRandom(std::vector<uint32_t> values) {
    random_script_.assign(values.begin(), values.end());
  }
  uint32_t Random() override;

  // Started programs are recorded, never run; the handler (when set) gives
  // the exit code and may act as the program would.
  using ProcessHandler = std::function<int(const std::vector<std::string>& argv)>;
  void SetProcessHandler(ProcessHandler handler) { process_handler_ = std::move(handler); }
  const std::vector<std::vector<std::string>>& StartedProcesses() const { return processes_; }
  int RunProcess(const std::vector<std::string>& argv) override;

  // Makes the next `count` calls of `op` fail (count < 0: every call).
  void FailOperation(EnvOp op, int count = -1) { failures_[op] = count; }
  void StopFailing(EnvOp op) { failures_.erase(op); }

  std::unique_ptr<File> Open(std::string_view path, OpenMode mode) override;
  bool Rename(std::string_view from, std::string_view to) override;
  bool Delete(std::string_view path) override;
  bool SyncDirectory(std::string_view path) override;
  std::unique_ptr<FileLock> TryLock(std::string_view path) override;

 private:
  // True when an injected failure applies to this call of `op`.
  bool Injected(EnvOp op);

  std::map<std::string, std::string, std::less<>> vars_;
  int64_t now_ms_;
  int64_t slept_ms_ = 0;
  std::vector<int64_t> sleeps_;
  std::deque<uint32_t> random_script_;
  uint64_t random_state_ = 0x9E3779B97F4A7C15ull;
  ProcessHandler process_handler_;
  std::vector<std::vector<std::string>> processes_;
  std::map<EnvOp, int> failures_;
};

}  // namespace zul

#endif  // ZUL_PLATFORM_TEST_ENV_H_
