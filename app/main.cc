// qorventa: the address listing of the suite's horizontal-property communities.
#include <cstdio>
#include <memory>
#include <string>

#include "app/main_sequence.h"
#include "console/console.h"
#include "platform/posix_env.h"
#include "platform/terminal_backend.h"

int main() {
  std::string error;
  // The terminal is restored when `terminal` goes, at exit() and on signals.
  std::unique_ptr<zul::TerminalBackend> terminal = zul::TerminalBackend::Open(&error);
  if (!terminal) {
    std::fprintf(stderr, "qorventa: %s\n", error.c_str());
    return 1;
  }
  zul::PosixEnv env;
  zul::Console console(env, *terminal);
  zul::Session session;
  const int code = zul::RunMainSequence(env, console, &session);
  console.Flush();
  return code;
}
