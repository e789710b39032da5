// Perft by copy-make. The last ply is counted from the generator without
// making the moves.
#include "position/perft.h"

#include <cstring>

#include "position/makemove.h"
#include "position/movegen.h"

namespace {

// The child copy in 16-byte blocks: for a record of this size the compiler
// emits a string move, which is several times slower on processors without
// fast string moves, and the copy is a quarter of perft's time.
inline void CopyPosition(Position& to, const Position& from) {
  typedef long long Block __attribute__((vector_size(16)));
  constexpr size_t BLOCKS = sizeof(Position) / sizeof(Block);
  unsigned char* d = reinterpret_cast<unsigned char*>(&to);
  const unsigned char* s = reinterpret_cast<const unsigned char*>(&from);
#pragma GCC unroll 128
  for (size_t i = 0; i < BLOCKS; ++i) {
    Block b;
    std::memcpy(&b, s + i * sizeof b, sizeof b);
    std::memcpy(d + i * sizeof b, &b, sizeof b);
  }
  constexpr size_t TAIL = sizeof(Position) - BLOCKS * sizeof(Block);
  std::memcpy(d + BLOCKS * sizeof(Block), s + BLOCKS * sizeof(Block), TAIL);
}

}  // namespace

uint64_t Perft(const Position& p, int side, int depth) {
  if (depth <= 0) return 1;
  if (depth == 1) return static_cast<uint64_t>(CountMoves(p, side));
  MoveList list;
  const int count = GenerateMoves(p, side, list);
  uint64_t leaves = 0;
  Position child;
  for (int i = 0; i < count; ++i) {
    CopyPosition(child, p);
    MakeMove(child, side, list[i]);
    leaves += Perft(child, Opponent(side), depth - 1);
  }
  return leaves;
}

int PerftDivide(const Position& p, int side, int depth, Move* moves, uint64_t* counts) {
  const int count = GenerateMoves(p, side, moves);
  Position child;
  for (int i = 0; i < count; ++i) {
    CopyPosition(child, p);
    MakeMove(child, side, moves[i]);
    counts[i] = Perft(child, Opponent(side), depth - 1);
  }
  return count;
}
