// Hash keys drawn from the engine's own 15-bit generator, so that every
// build and platform produces the same keys.
#include "position/keys.h"

#include <cstring>

HashKey BoardKey[48][154];
HashKey HandKey[40][19];

namespace {
uint32_t rand15State = 1;

// Five draws in sequence; bit 3 of the key is always 0.
HashKey DrawKey() {
  const uint64_t r1 = static_cast<uint64_t>(Rand15());
  const uint64_t r2 = static_cast<uint64_t>(Rand15());
  const uint64_t r3 = static_cast<uint64_t>(Rand15());
  const uint64_t r4 = static_cast<uint64_t>(Rand15());
  const uint64_t r5 = static_cast<uint64_t>(Rand15());
  return r1 << 49 | r2 << 34 | r3 << 19 | r4 << 4 | (r5 & 7);
}
}  // namespace

void Rand15Seed(uint32_t seed) {
  rand15State = seed;
  Rand15();
}

int Rand15() {
  rand15State = rand15State * 22695477u + 1u;
  return static_cast<int>((rand15State >> 16) & 0x7FFF);
}

void InitHashKeys() {
  std::memset(BoardKey, 0, sizeof BoardKey);
  std::memset(HandKey, 0, sizeof HandKey);
  rand15State = 1;
  // Every index 17..153 draws a key, off-board indexes included, so the
  // sequence of draws (and every later key) is fixed.
  for (int code = 0; code < 48; ++code)
    for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq) BoardKey[code][sq] = DrawKey();
  for (int code = SFU; code <= EHI; ++code)
    for (int n = 0; n <= HAND_MAX; ++n) HandKey[code][n] = DrawKey();
}
