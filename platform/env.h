// Env: everything the system asks of the operating system, behind one seam.
//
// Nothing above platform/ calls the operating system directly: environment
// variables, files, the clock, sleeping, random numbers and child processes
// all go through an Env. PosixEnv is the real one; TestEnv (test_env.h) runs
// on the same real files but with a virtual clock, a scripted random source,
// a scripted environment, recorded processes and injectable failures, so that
// every wait of the system runs in virtual time in tests.
//
// Paths are suite paths: code page 850 text that may use DOS separators
// ("DADES\FinquesH"). Each Env maps them to host paths with MapSuitePath
// (suite_path.h): "\" becomes "/", names are matched without regard to case
// when they do not exist as written, and the result is UTF-8 for the host.
// A relative path resolves against the Env's working directory.
//
// Errors: operations answer false, -1 or nullptr, and LastError() then tells
// why in a short English phrase (for tools that must name the reason).
#ifndef ZUL_PLATFORM_ENV_H_
#define ZUL_PLATFORM_ENV_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zul {

// How Env::Open opens a file. Every mode is binary: bytes go in and out as
// they are, with no line-end translation.
enum class OpenMode {
  kRead,       // existing file, read only
  kWrite,      // create or empty, write only
  kAppend,     // create when missing, every write goes to the end
  kReadWrite,  // create when missing, keep the contents, read and write
  kCreateNew,  // create a file that must not exist yet, write only
};

// An open file. Sequential Read and Write move the file's position; ReadAt
// and WriteAt work at an absolute offset and do not move it. The file is
// closed when the object is destroyed.
class File {
 public:
  virtual ~File() = default;
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Reads up to `n` bytes; returns the number read (0 at the end), -1 on error.
  virtual int64_t Read(char* buffer, size_t n) = 0;
  virtual int64_t ReadAt(int64_t offset, char* buffer, size_t n) = 0;
  // Writes all of `data`; false when not everything could be written.
  virtual bool Write(std::string_view data) = 0;
  virtual bool WriteAt(int64_t offset, std::string_view data) = 0;
  virtual int64_t Size() = 0;
  virtual bool Truncate(int64_t size) = 0;
  // Flushes the file's data to stable storage.
  virtual bool Sync() = 0;
};

// An exclusive advisory lock, released when the object is destroyed or the
// process ends.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// What identifies one version of a file: a file replaced or rewritten since
// gets another stamp.
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t modified_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

// A local date and time of day.
struct CivilTime {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // The value of an environment variable in code page 850; "" when unset.
  virtual std::string GetEnv(std::string_view name) = 0;

  // Files.
  virtual std::unique_ptr<File> Open(std::string_view path, OpenMode mode) = 0;
  virtual bool Exists(std::string_view path) = 0;
  virtual bool IsDirectory(std::string_view path) = 0;
  // Size in bytes, or -1 when the file cannot be examined.
  virtual int64_t FileSize(std::string_view path) = 0;
  virtual bool Stamp(std::string_view path, FileStamp* stamp) = 0;
  virtual bool Delete(std::string_view path) = 0;
  // Renames `from` to `to`, atomically replacing an existing `to`.
  virtual bool Rename(std::string_view from, std::string_view to) = 0;
  virtual bool CreateDirectory(std::string_view path) = 0;
  // Gives `to` the permission bits of `from`.
  virtual bool CopyPermissions(std::string_view from, std::string_view to) = 0;
  // Flushes a directory's entries (after a rename) to stable storage.
  virtual bool SyncDirectory(std::string_view path) = 0;
  // The names in a directory, in code page 850, "." and ".." left out.
  virtual bool ListDirectory(std::string_view path, std::vector<std::string>* names) = 0;
  // Takes an exclusive advisory lock on an existing file or directory without
  // waiting; nullptr when another holder has it or the path cannot be opened.
  virtual std::unique_ptr<FileLock> TryLock(std::string_view path) = 0;

  // Working directory, against which relative paths resolve.
  virtual bool ChangeDirectory(std::string_view path) = 0;
  virtual std::string CurrentDirectory() = 0;

  // The host path (UTF-8) a suite path maps to. Components that match no
  // existing name are kept as written, so a file that is created goes into
  // the existing directory its path resolves to, under the name as written.
  virtual std::string HostPath(std::string_view path) = 0;

  // Time. NowMillis is milliseconds since the epoch; Sleep waits.
  virtual int64_t NowMillis() = 0;
  virtual CivilTime LocalTime() = 0;
  virtual void SleepMillis(int64_t milliseconds) = 0;

  // A uniformly distributed 32-bit random number.
  virtual uint32_t Random() = 0;

  // Starts a program with its arguments (argv[0] is the program, a suite
  // path) and waits until it ends. No shell is involved. Returns the exit
  // code, or -1 when it could not be started or did not end normally.
  virtual int RunProcess(const std::vector<std::string>& argv) = 0;

  // Why the last failing operation failed.
  virtual std::string LastError() = 0;
};

// A random number in 0..bound-1 (bound > 0) from the Env's source.
uint32_t RandomBelow(Env& env, uint32_t bound);

}  // namespace zul

#endif  // ZUL_PLATFORM_ENV_H_
