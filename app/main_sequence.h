// The program's entry: the order in which the shared layers are brought up,
// the module's name, and the one session value the module writes back.
#ifndef ZUL_APP_MAIN_SEQUENCE_H_
#define ZUL_APP_MAIN_SEQUENCE_H_

#include "config/session.h"
#include "console/console.h"
#include "platform/env.h"

namespace zul {

inline constexpr char kModuleName[] = "QORVENTA";

// Runs the module from start to end on `console` and returns the process
// exit code. `session` receives the session the run established.
int RunMainSequence(Env& env, Console& console, Session* session);

}  // namespace zul

#endif  // ZUL_APP_MAIN_SEQUENCE_H_
