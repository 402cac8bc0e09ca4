#include "platform/terminfo.h"

#include <curses.h>
#include <term.h>

namespace zul::terminfo {

namespace {
bool loaded = false;
}  // namespace

bool Load(const std::string& term, int fd) {
  if (loaded && cur_term != nullptr) {
    del_curterm(cur_term);
    loaded = false;
  }
  int error = 0;
  if (setupterm(term.c_str(), fd, &error) != OK) return false;
  loaded = true;
  return true;
}

std::string String(const char* name) {
  if (!loaded) return "";
  const char* value = tigetstr(name);
  if (value == nullptr || value == reinterpret_cast<char*>(-1)) return "";
  return value;
}

int Number(const char* name) { return loaded ? tigetnum(name) : -1; }

bool Flag(const char* name) { return loaded && tigetflag(name) > 0; }

std::string Expand(const std::string& capability, int p1, int p2) {
  if (!loaded || capability.empty()) return "";
  const char* value = tiparm(capability.c_str(), p1, p2);
  return value ? value : "";
}

}  // namespace zul::terminfo
