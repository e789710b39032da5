// The rules that bar a drop, shared by generation, counting and the game's
// refusals: no piece where it could never move again (a pawn or lance on
// the last rank, a knight on the last two), and no second own pawn on a
// file. The pawn-drop mate is PawnDropMates (movegen.h).
#pragma once

#include "position/types.h"

// Ranks at side's far end where a kind may not be dropped, by kind.
constexpr int8_t DropBarredRanks[HI + 1] = {0, /*FU*/ 1, /*KY*/ 1, /*KE*/ 2, 0, 0, 0, 0};

// Rank of sq counted from side's far end: 1 is the last rank for side.
inline constexpr int FarRank(int side, int sq) {
  return side == SELF ? RankOf(sq) : 10 - RankOf(sq);
}

// Whether side may drop kind on sq's rank.
inline constexpr bool DropRankAllowed(int side, int kind, int sq) {
  return FarRank(side, sq) > DropBarredRanks[kind];
}

// The board ranks lo..hi on which side may drop kind.
struct DropRankSpan {
  int lo;
  int hi;
};
inline constexpr DropRankSpan DropRanks(int side, int kind) {
  return side == SELF ? DropRankSpan{1 + DropBarredRanks[kind], 9}
                      : DropRankSpan{1, 9 - DropBarredRanks[kind]};
}

// Whether file holds an unpromoted pawn of side, which bars a pawn drop
// anywhere on it.
inline bool FileHasPawn(const Position& p, int side, int file) {
  const int pawn = side | FU;
  for (int rank = 1; rank <= 9; ++rank)
    if (p.Ban(MakeSquare(file, rank)) == pawn) return true;
  return false;
}
