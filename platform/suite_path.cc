#include "platform/suite_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "core/cp850.h"
#include "core/text.h"

namespace zul {
namespace {

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The name in `dir` that equals `name` without regard to case, or "" when
// there is none. Names the suite cannot spell (not code page 850) never match.
std::string FindCaseVariant(const std::string& dir, const std::string& name) {
  std::string wanted;
  if (!Utf8ToCp850(name, &wanted)) return "";
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return "";
  std::vector<std::string> matches;
  while (const dirent* entry = ::readdir(d)) {
    std::string candidate;
    if (Utf8ToCp850(entry->d_name, &candidate) && EqualsNoCase(candidate, wanted)) {
      matches.emplace_back(entry->d_name);
    }
  }
  ::closedir(d);
  if (matches.empty()) return "";
  return *std::min_element(matches.begin(), matches.end());
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

}  // namespace

std::string ResolveHostPath(std::string_view suite_path, const std::string& base_dir) {
  std::string path = Cp850ToUtf8(suite_path);
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty()) return base_dir;  // the working directory itself
  const bool absolute = path[0] == '/';
  if (!absolute && !base_dir.empty()) path = Join(base_dir, path);
  if (PathExists(path)) return path;

  const bool trailing_slash = path.back() == '/';
  std::string resolved = path[0] == '/' ? "/" : "";
  bool resolving = true;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string component = path.substr(start, end - start);
    start = end + 1;
    if (component.empty()) continue;
    std::string next = Join(resolved, component);
    if (resolving && component != "." && component != ".." && !PathExists(next)) {
      const std::string variant = FindCaseVariant(resolved, component);
      if (variant.empty()) {
        resolving = false;  // nothing below a missing name can exist
      } else {
        next = Join(resolved, variant);
      }
    }
    resolved = std::move(next);
  }
  if (trailing_slash && !resolved.empty() && resolved.back() != '/') resolved += '/';
  return resolved;
}

}  // namespace zul
