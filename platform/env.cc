#include "platform/env.h"

#include <cstdint>

namespace zul {

uint32_t RandomBelow(Env& env, uint32_t bound) {
  if (bound <= 1) return 0;
  // Rejection keeps the result uniform; the bound on tries keeps a scripted
  // source that repeats a rejected value from looping for ever.
  const uint32_t limit = UINT32_MAX - UINT32_MAX % bound;
  uint32_t value = env.Random();
  for (int tries = 0; value >= limit && tries < 16; ++tries) value = env.Random();
  return value % bound;
}

}  // namespace zul
