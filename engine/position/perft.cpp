// Perft by copy-make. The last ply is counted from the generator without
// making the moves.
#include "position/perft.h"

#include "position/copy.h"
#include "position/makemove.h"
#include "position/movegen.h"

uint64_t Perft(const Position& p, int side, int depth) {
  if (depth <= 0) return 1;
  if (depth == 1) return static_cast<uint64_t>(CountMoves(p, side));
  MoveList list;
  const int count = GenerateMoves(p, side, list);
  uint64_t leaves = 0;
  Position child;
  for (int i = 0; i < count; ++i) {
    CopyRecord(child, p);
    MakeMove(child, side, list[i]);
    leaves += Perft(child, Opponent(side), depth - 1);
  }
  return leaves;
}

int PerftDivide(const Position& p, int side, int depth, Move* moves, uint64_t* counts) {
  const int count = GenerateMoves(p, side, moves);
  Position child;
  for (int i = 0; i < count; ++i) {
    CopyRecord(child, p);
    MakeMove(child, side, moves[i]);
    counts[i] = Perft(child, Opponent(side), depth - 1);
  }
  return count;
}
