// Check words: the attack-map word of one side at the other side's king.
#pragma once

#include "position/types.h"

// The word of mover's map at the opponent's king square; nonzero means the
// opponent's king is attacked. A side without a king is never in check.
inline uint32_t CheckWord(const Position& p, int mover) {
  const int king = p.King[SideIndex(Opponent(mover))];
  return king ? p.Map(mover)[king] : 0;
}
