// The ordered full move lists of nodes searched before. The same node is
// searched again within a turn (the next iteration of the deepening,
// internal deepening, a recapture looked at deeper); its ordered list
// depends only on the position, its evaluation sums, the side and the
// evaluation tables, so it is taken back instead of being generated,
// scored and sorted again.
#pragma once

#include "eval/eval.h"

// Writes side's legal moves into list, ordered as OrderMoves orders them,
// and returns their count (0 when side has no legal move).
int OrderedMoves(const EvalState& e, int side, Move* list);

// Forgets every kept list.
void ForgetOrderedLists();
