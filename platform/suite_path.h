// Mapping of suite paths onto the host's file system.
//
// The suite writes DOS paths in code page 850 ("DADES\FinquesH",
// "FORMS\QORVENTA.QFM"). On Linux a suite path becomes a host path by one
// rule: "\" becomes "/", the text is converted to UTF-8, and when the path
// does not exist as written it is resolved one component at a time without
// regard to case, so that an installation whose folders are "dades/" or
// "Forms/" works unchanged. When several names of a directory differ only in
// case, the exact spelling wins, then the first in sorted order. A component
// that matches nothing is kept as written, and so are all that follow it.
#ifndef ZUL_PLATFORM_SUITE_PATH_H_
#define ZUL_PLATFORM_SUITE_PATH_H_

#include <string>
#include <string_view>

namespace zul {

// Maps `suite_path`. A relative path is resolved against `base_dir` (a host
// directory) and returned joined to it; with an empty `base_dir` it is
// resolved against the process's working directory and stays relative.
std::string ResolveHostPath(std::string_view suite_path, const std::string& base_dir);

}  // namespace zul

#endif  // ZUL_PLATFORM_SUITE_PATH_H_
