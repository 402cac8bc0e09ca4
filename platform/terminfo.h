// A narrow wrapper over the terminfo database (ncurses' libtinfo), kept in
// its own file because <term.h> defines hundreds of short macros.
#ifndef ZUL_PLATFORM_TERMINFO_H_
#define ZUL_PLATFORM_TERMINFO_H_

#include <string>

namespace zul::terminfo {

// Loads the description of terminal type `term` (the size is read from
// `fd`). False when the type is unknown.
bool Load(const std::string& term, int fd);
// A string capability ("cup", "kf1"), "" when absent or not loaded.
std::string String(const char* name);
// A numeric capability ("colors"), -1 when absent.
int Number(const char* name);
// A boolean capability ("xenl").
bool Flag(const char* name);
// A parametrised capability expanded with up to two numbers.
std::string Expand(const std::string& capability, int p1, int p2 = 0);

}  // namespace zul::terminfo

#endif  // ZUL_PLATFORM_TERMINFO_H_
