// qorventa: the address listing of the suite's horizontal-property communities.
#include "app/main_sequence.h"
#include "platform/posix_env.h"

int main() {
  zul::PosixEnv env;
  zul::Session session;
  return zul::RunMainSequence(env, &session);
}
