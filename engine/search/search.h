// The main search: fail-soft negamax alpha-beta with copy-make, and the
// iterative deepening that drives it.
#pragma once

#include "eval/eval.h"
#include "search/level.h"

constexpr int PV_SIZE = 32;  // PvTable is PV_SIZE x PV_SIZE moves (the 1024-move buffer)

// Special values, from the view of the side to move.
constexpr int32_t VALUE_START = -1000000;  // a node's best before any move
constexpr int32_t VALUE_MATE = 1000000;    // the mate search proved a mate (plies 0 and 1)
constexpr int32_t VALUE_NO_MOVE =
    -999999;  // no legal move; +999999: the opponent checked perpetually
constexpr int32_t VALUE_PERPETUAL = 999999;
constexpr int32_t VALUE_WINDOW = 999998;  // root window is -VALUE_WINDOW..+VALUE_WINDOW

constexpr int WIDTH_LIMIT = 31;  // moves searched from the full list
constexpr int SCORE_CUT = -100;  // ordering score below which moves are skipped
constexpr int RECAPTURE_EXTENSION = 2;

// The move being searched at each ply of the current path.
extern Move CurrentLine[MAX_PLY];

// pv points to the PvTable (PV_SIZE x PV_SIZE moves). e is read only.
int32_t Search(Move* pv, int side, const EvalState& e, int32_t alpha, int32_t beta, int ply,
               int limit, bool deepen);

// Searches the node with depth limits ply + 1 .. limit in turn, without
// deepening again inside; returns the value of the last.
int32_t DeepenSearch(Move* pv, int side, const EvalState& e, int32_t alpha, int32_t beta, int ply,
                     int limit);

// Calls of Search since start (for tools).
extern uint64_t SearchNodes;
