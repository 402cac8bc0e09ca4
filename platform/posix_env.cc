#include "platform/posix_env.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/cp850.h"
#include "platform/suite_path.h"

extern char** environ;

namespace zul {
namespace {

class PosixFile : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override { ::close(fd_); }

  int64_t Read(char* buffer, size_t n) override {
    ssize_t got;
    do {
      got = ::read(fd_, buffer, n);
    } while (got < 0 && errno == EINTR);
    return got;
  }

  int64_t ReadAt(int64_t offset, char* buffer, size_t n) override {
    if (offset < 0) return -1;
    size_t total = 0;
    while (total < n) {
      const ssize_t got = ::pread(fd_, buffer + total, n - total, offset + total);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return -1;
      if (got == 0) break;
      total += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(total);
  }

  bool Write(std::string_view data) override {
    while (!data.empty()) {
      const ssize_t put = ::write(fd_, data.data(), data.size());
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      data.remove_prefix(static_cast<size_t>(put));
    }
    return true;
  }

  bool WriteAt(int64_t offset, std::string_view data) override {
    if (offset < 0) return false;
    while (!data.empty()) {
      const ssize_t put = ::pwrite(fd_, data.data(), data.size(), offset);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      data.remove_prefix(static_cast<size_t>(put));
      offset += put;
    }
    return true;
  }

  int64_t Size() override {
    struct stat st;
    return ::fstat(fd_, &st) == 0 ? st.st_size : -1;
  }

  bool Truncate(int64_t size) override { return ::ftruncate(fd_, size) == 0; }
  bool Sync() override { return ::fsync(fd_) == 0; }

 private:
  int fd_;
};

class PosixLock : public FileLock {
 public:
  explicit PosixLock(int fd) : fd_(fd) {}
  ~PosixLock() override { ::close(fd_); }  // closing the descriptor releases the lock

 private:
  int fd_;
};

}  // namespace

PosixEnv::PosixEnv() : PosixEnv("") {}

PosixEnv::PosixEnv(std::string virtual_cwd)
    : virtual_cwd_(std::move(virtual_cwd)), random_(std::random_device{}()) {}

bool PosixEnv::Fail() { return Fail(std::strerror(errno)); }

bool PosixEnv::Fail(const std::string& reason) {
  last_error_ = reason;
  return false;
}

std::string PosixEnv::GetEnv(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return "";
  std::string text;
  // A value that is not code page 850 text stays as its bytes.
  if (!Utf8ToCp850(value, &text)) text = value;
  return text;
}

std::string PosixEnv::HostPath(std::string_view path) {
  std::string host = ResolveHostPath(path, virtual_cwd_);
  return host.empty() ? "." : host;
}

std::unique_ptr<File> PosixEnv::Open(std::string_view path, OpenMode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case OpenMode::kRead:
      flags |= O_RDONLY;
      break;
    case OpenMode::kWrite:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case OpenMode::kAppend:
      flags |= O_WRONLY | O_CREAT | O_APPEND;
      break;
    case OpenMode::kReadWrite:
      flags |= O_RDWR | O_CREAT;
      break;
    case OpenMode::kCreateNew:
      flags |= O_WRONLY | O_CREAT | O_EXCL;
      break;
  }
  const std::string host = HostPath(path);
  // O_NONBLOCK keeps a FIFO put in a file's place from blocking the open;
  // anything but a regular file is then refused, so that neither a FIFO nor
  // a device such as /dev/zero can hang or flood a reader.
  int fd;
  do {
    fd = ::open(host.c_str(), flags | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    Fail();
    return nullptr;
  }
  struct stat st;
  const bool examined = ::fstat(fd, &st) == 0;
  if (!examined || !S_ISREG(st.st_mode)) {
    ::close(fd);
    Fail(!examined             ? "cannot be examined"
         : S_ISDIR(st.st_mode) ? "is a directory"
                               : "not a regular file");
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return std::make_unique<PosixFile>(fd);
}

bool PosixEnv::Exists(std::string_view path) {
  struct stat st;
  return ::stat(HostPath(path).c_str(), &st) == 0 || Fail();
}

bool PosixEnv::IsDirectory(std::string_view path) {
  struct stat st;
  if (::stat(HostPath(path).c_str(), &st) != 0) return Fail();
  return S_ISDIR(st.st_mode);
}

int64_t PosixEnv::FileSize(std::string_view path) {
  struct stat st;
  if (::stat(HostPath(path).c_str(), &st) != 0) {
    Fail();
    return -1;
  }
  return st.st_size;
}

bool PosixEnv::Stamp(std::string_view path, FileStamp* stamp) {
  struct stat st;
  if (::stat(HostPath(path).c_str(), &st) != 0) return Fail();
  *stamp = FileStamp{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), st.st_size,
                     static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
  return true;
}

bool PosixEnv::Delete(std::string_view path) {
  return ::unlink(HostPath(path).c_str()) == 0 || Fail();
}

bool PosixEnv::Rename(std::string_view from, std::string_view to) {
  return ::rename(HostPath(from).c_str(), HostPath(to).c_str()) == 0 || Fail();
}

bool PosixEnv::CreateDirectory(std::string_view path) {
  return ::mkdir(HostPath(path).c_str(), 0777) == 0 || Fail();
}

bool PosixEnv::CopyPermissions(std::string_view from, std::string_view to) {
  struct stat st;
  if (::stat(HostPath(from).c_str(), &st) != 0) return Fail();
  return ::chmod(HostPath(to).c_str(), st.st_mode & 07777) == 0 || Fail();
}

bool PosixEnv::SyncDirectory(std::string_view path) {
  const std::string host = HostPath(path);
  const int fd = ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Fail();
  const bool ok = ::fsync(fd) == 0 || Fail();
  ::close(fd);
  return ok;
}

bool PosixEnv::ListDirectory(std::string_view path, std::vector<std::string>* names) {
  const std::string host = HostPath(path);
  DIR* d = ::opendir(host.c_str());
  if (d == nullptr) return Fail();
  names->clear();
  while (const dirent* entry = ::readdir(d)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string text;
    if (!Utf8ToCp850(name, &text)) text = std::string(name);
    names->push_back(std::move(text));
  }
  ::closedir(d);
  return true;
}

std::unique_ptr<FileLock> PosixEnv::TryLock(std::string_view path) {
  const std::string host = HostPath(path);
  const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Fail();
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    Fail(errno == EWOULDBLOCK ? "locked by another writer" : std::strerror(errno));
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixLock>(fd);
}

bool PosixEnv::ChangeDirectory(std::string_view path) {
  const std::string host = HostPath(path);
  if (virtual_cwd_.empty()) return ::chdir(host.c_str()) == 0 || Fail();
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return Fail();
  if (!S_ISDIR(st.st_mode)) return Fail("not a directory");
  virtual_cwd_ = host;
  return true;
}

std::string PosixEnv::CurrentDirectory() {
  if (!virtual_cwd_.empty()) return virtual_cwd_;
  char buffer[4096];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return "";
  return buffer;
}

int64_t PosixEnv::NowMillis() {
  timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

CivilTime PosixEnv::LocalTime() {
  timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  tm parts;
  ::localtime_r(&ts.tv_sec, &parts);
  return ToCivilTime(parts, static_cast<int>(ts.tv_nsec / 1000000));
}

CivilTime PosixEnv::ToCivilTime(const tm& parts, int millisecond) {
  return CivilTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                   parts.tm_min,         parts.tm_sec,     millisecond};
}

void PosixEnv::SleepMillis(int64_t milliseconds) {
  if (milliseconds <= 0) return;
  timespec request{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>((milliseconds % 1000) * 1000000)};
  while (::nanosleep(&request, &request) != 0 && errno == EINTR) {
  }
}

uint32_t PosixEnv::Random() { return static_cast<uint32_t>(random_()); }

int PosixEnv::RunProcess(const std::vector<std::string>& argv) {
  if (argv.empty()) return Fail("no program"), -1;
  std::vector<std::string> host_args;
  host_args.push_back(HostPath(argv[0]));
  for (size_t i = 1; i < argv.size(); ++i) host_args.push_back(Cp850ToUtf8(argv[i]));
  std::vector<char*> raw;
  for (std::string& arg : host_args) raw.push_back(arg.data());
  raw.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!virtual_cwd_.empty()) posix_spawn_file_actions_addchdir_np(&actions, virtual_cwd_.c_str());
  pid_t pid;
  const int rc = ::posix_spawn(&pid, raw[0], &actions, nullptr, raw.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    errno = rc;
    Fail();
    return -1;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return Fail(), -1;
  }
  if (!WIFEXITED(status)) return Fail("the program did not end normally"), -1;
  return WEXITSTATUS(status);
}

}  // namespace zul
