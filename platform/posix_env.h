// PosixEnv: the Env of a real run on Linux.
#ifndef ZUL_PLATFORM_POSIX_ENV_H_
#define ZUL_PLATFORM_POSIX_ENV_H_

#include <time.h>

#include <random>
#include <string>

#include "platform/env.h"

namespace zul {

class PosixEnv : public Env {
 public:
  PosixEnv();

  std::string GetEnv(std::string_view name) override;

  std::unique_ptr<File> Open(std::string_view path, OpenMode mode) override;
  bool Exists(std::string_view path) override;
  bool IsDirectory(std::string_view path) override;
  int64_t FileSize(std::string_view path) override;
  bool Stamp(std::string_view path, FileStamp* stamp) override;
  bool Delete(std::string_view path) override;
  bool Rename(std::string_view from, std::string_view to) override;
  bool CreateDirectory(std::string_view path) override;
  bool CopyPermissions(std::string_view from, std::string_view to) override;
  bool SyncDirectory(std::string_view path) override;
  bool ListDirectory(std::string_view path, std::vector<std::string>* names) override;
  std::unique_ptr<FileLock> TryLock(std::string_view path) override;

  bool ChangeDirectory(std::string_view path) override;
  std::string CurrentDirectory() override;
  std::string HostPath(std::string_view path) override;

  int64_t NowMillis() override;
  CivilTime LocalTime() override;
  void SleepMillis(int64_t milliseconds) override;
  uint32_t Random() override;
  int RunProcess(const std::vector<std::string>& argv) override;

  std::string LastError() override { return last_error_; }

 protected:
  // With a non-empty `virtual_cwd` (a host directory) relative paths resolve
  // against it and ChangeDirectory moves it, leaving the process's own
  // working directory alone; tests use this to run side by side.
  explicit PosixEnv(std::string virtual_cwd);

  static CivilTime ToCivilTime(const struct tm& parts, int millisecond);

  // Records errno's meaning as the last error and returns false.
  bool Fail();
  bool Fail(const std::string& reason);

 private:
  std::string virtual_cwd_;
  std::string last_error_;
  std::mt19937 random_;
};

}  // namespace zul

#endif  // ZUL_PLATFORM_POSIX_ENV_H_
