// Counting the leaves of the legal-move tree, the generator's standing proof.
#pragma once

#include <cstdint>

#include "position/types.h"

// Leaves of the legal-move tree of the given depth with side to move.
// Depth 0 counts the position itself.
uint64_t Perft(const Position& p, int side, int depth);

// Perft below each root move: fills moves and counts (MAX_MOVES entries
// each) and returns the number of root moves.
int PerftDivide(const Position& p, int side, int depth, Move* moves, uint64_t* counts);
