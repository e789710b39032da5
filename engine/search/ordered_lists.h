// The ordered full move lists of nodes searched before. The same node is
// searched again within a turn (the next iteration of the deepening,
// internal deepening, a recapture looked at deeper); its ordered list
// depends only on the position, its evaluation sums, the side and the
// evaluation tables, so it is taken back instead of being generated,
// scored and sorted again.
#pragma once

#include "eval/eval.h"

// Writes the ordered list kept for side's moves in e into list and returns
// its count, or -1 when none is kept.
int KeptOrderedMoves(const EvalState& e, int side, Move* list);

// Keeps side's complete ordered list of moves in e (count > 0).
void KeepOrderedMoves(const EvalState& e, int side, const Move* list, int count);

// Starts loading what KeptOrderedMoves reads first for side in p.
void PrefetchOrderedMoves(const Position& p, int side);

// Forgets every kept list.
void ForgetOrderedLists();
