// Test fixtures on the real file system: a fresh directory per test, and
// byte-exact file reads and writes.
#ifndef ZUL_TESTS_SUPPORT_TEMP_DIR_H_
#define ZUL_TESTS_SUPPORT_TEMP_DIR_H_

#include <string>

namespace zul::testing {

// A new empty directory, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // `name` joined to the directory.
  std::string Path(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whole-file helpers; ReadFileBytes gives "<missing>" for a missing file.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// Names in a directory, sorted.
std::string ListNames(const std::string& dir);

}  // namespace zul::testing

#endif  // ZUL_TESTS_SUPPORT_TEMP_DIR_H_
