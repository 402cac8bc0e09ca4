#include "platform/test_env.h"

#include <time.h>

namespace zul {

TestEnv::TestEnv(std::string working_dir)
    : PosixEnv(std::move(working_dir)), now_ms_(1767603600000) {}  // 2026-01-05 09:00:00 UTC

std::string TestEnv::GetEnv(std::string_view name) {
  auto it = vars_.find(name);
  return it == vars_.end() ? "" : it->second;
}

CivilTime TestEnv::LocalTime() {
  const time_t seconds = static_cast<time_t>(now_ms_ / 1000);
  tm parts;
  ::gmtime_r(&seconds, &parts);
  return ToCivilTime(parts, static_cast<int>(now_ms_ % 1000));
}

void TestEnv::SleepMillis(int64_t milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  sleeps_.push_back(milliseconds);
  slept_ms_ += milliseconds;
  now_ms_ += milliseconds;
}

uint32_t TestEnv::Random() {
  if (!random_script_.empty()) {
    const uint32_t value = random_script_.front();
    random_script_.pop_front();
    return value;
  }
  // SplitMix64: fixed, so that runs repeat exactly.
  uint64_t z = (random_state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

int TestEnv::RunProcess(const std::vector<std::string>& argv) {
  processes_.push_back(argv);
  if (Injected(EnvOp::kRunProcess)) return Fail("injected failure"), -1;
  return process_handler_ ? process_handler_(argv) : 0;
}

bool TestEnv::Injected(EnvOp op) {
  auto it = failures_.find(op);
  if (it == failures_.end()) return false;
  if (it->second > 0 && --it->second == 0) failures_.erase(it);
  return true;
}

std::unique_ptr<File> TestEnv::Open(std::string_view path, OpenMode mode) {
  if (mode != OpenMode::kRead && Injected(EnvOp::kOpenForWriting)) {
    Fail("injected failure");
    return nullptr;
  }
  return PosixEnv::Open(path, mode);
}

bool TestEnv::Rename(std::string_view from, std::string_view to) {
  if (Injected(EnvOp::kRename)) return Fail("injected failure");
  return PosixEnv::Rename(from, to);
}

bool TestEnv::Delete(std::string_view path) {
  if (Injected(EnvOp::kDelete)) return Fail("injected failure");
  return PosixEnv::Delete(path);
}

bool TestEnv::SyncDirectory(std::string_view path) {
  if (Injected(EnvOp::kSync)) return Fail("injected failure");
  return PosixEnv::SyncDirectory(path);
}

std::unique_ptr<FileLock> TestEnv::TryLock(std::string_view path) {
  if (Injected(EnvOp::kLock)) {
    Fail("locked by another writer");
    return nullptr;
  }
  return PosixEnv::TryLock(path);
}

}  // namespace zul
