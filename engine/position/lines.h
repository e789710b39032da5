// Which line joins two squares: the geometry behind the check and
// exchange tests that read the board instead of making a move.
#pragma once

#include "position/types.h"

// LineDirection(from, to): the king direction d (0..7) with to = from + n *
// Direction[d] for some n in 1..8, else -1. The multiples of the four line
// offsets (1, 15, 16, 17) up to 8 never coincide.
constexpr int LINE_BIAS = 0x88;

// Direction[0..7] as a constant expression, for tables built at compile
// time and loops the compiler unrolls.
inline constexpr int8_t KingOffsets[KING_DIRECTIONS] = {+17, +1, -15, +16, -16, +15, -1, -17};

struct LineTable {
  int8_t dir[2 * LINE_BIAS + 1];
};

constexpr LineTable MakeLineTable() {
  LineTable t{};
  for (int i = 0; i <= 2 * LINE_BIAS; ++i) t.dir[i] = -1;
  for (int d = 0; d < KING_DIRECTIONS; ++d)
    for (int n = 1; n <= 8; ++n) t.dir[n * KingOffsets[d] + LINE_BIAS] = static_cast<int8_t>(d);
  return t;
}

inline constexpr LineTable LineTo = MakeLineTable();

inline int LineDirection(int from, int to) {
  return LineTo.dir[to - from + LINE_BIAS];
}

// StepDirection(from, to): the bit 1 << d of the direction d (0..11) with
// to = from + Direction[d], else 0; the twelve offsets are distinct.
struct StepTable {
  uint16_t bit[2 * LINE_BIAS + 1];
};

constexpr StepTable MakeStepTable() {
  StepTable t{};
  constexpr int offsets[DIRECTIONS] = {+17, +1, -15, +16, -16, +15, -1, -17, +14, -18, +18, -14};
  for (int d = 0; d < DIRECTIONS; ++d)
    t.bit[offsets[d] + LINE_BIAS] = static_cast<uint16_t>(1u << d);
  return t;
}

inline constexpr StepTable StepTo = MakeStepTable();

inline uint32_t StepDirection(int from, int to) {
  return StepTo.bit[to - from + LINE_BIAS];
}
