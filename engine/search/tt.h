// The transposition table: the main search's memory of searched nodes.
#pragma once

#include <cstdio>

#include "position/types.h"

constexpr int TT_BITS = 20;
constexpr int TT_SIZE = 1 << TT_BITS;  // 1,048,576 slots, one candidate per key
constexpr uint32_t TT_MASK = TT_SIZE - 1;

// Kind of bound a stored value is.
constexpr int BOUND_EXACT = 0;  // alpha < value < beta
constexpr int BOUND_LOWER = 1;  // value >= beta
constexpr int BOUND_UPPER = 2;  // value <= alpha

struct TranspositionEntry {
  HashKey key;        // Kyokumen of the stored position; 0 in a slot never written
  Move best;          // move that gave the value when it was above alpha, else empty
  Move second;        // best move of the previous store of the same position
  int32_t value;      // from the view of the side to move at the node
  int32_t bound;      // BOUND_EXACT, BOUND_LOWER or BOUND_UPPER
  int32_t gamePly;    // the Position's ply at the store
  int16_t ply;        // distance of the storing node from the search root
  int16_t depthLeft;  // depth limit minus ply of that node
};
static_assert(offsetof(TranspositionEntry, best) == 8, "key, then best move");
static_assert(offsetof(TranspositionEntry, second) == 16, "then second move");
static_assert(offsetof(TranspositionEntry, value) == 24, "then value");
static_assert(offsetof(TranspositionEntry, bound) == 28, "then bound");
static_assert(offsetof(TranspositionEntry, gamePly) == 32, "then game ply");
static_assert(offsetof(TranspositionEntry, ply) == 36, "then ply");
static_assert(offsetof(TranspositionEntry, depthLeft) == 38, "then depth left");
static_assert(sizeof(TranspositionEntry) == 40, "TranspositionEntry layout");

// Static, zero at start, never cleared by the engine.
extern TranspositionEntry TranspositionTable[TT_SIZE];

inline TranspositionEntry& TableSlot(HashKey key) {
  return TranspositionTable[static_cast<uint32_t>(key) & TT_MASK];
}

// Probe outcomes.
constexpr int PROBE_MISS = 0;  // the slot holds another position or none
constexpr int PROBE_HIT = 1;   // this position, but no cut-off
constexpr int PROBE_CUT = 2;   // the node returns *value at once

int ProbeTable(const Position& p, int ply, int limit, int32_t alpha, int32_t beta, int32_t* value);

// Stores a searched node (alpha and beta as the node was entered with);
// line is the node's principal-variation move (PvTable row ply, column
// ply), kept as the best move when best > alpha. Returns false when the
// store was refused; at ply 0 the refusal writes line to SearchTrace.
bool StoreTable(const Position& p, int ply, int limit, int32_t alpha, int32_t beta, int32_t best,
                const Move& line);

// Writes up to three legal candidate moves for side into buf: the stored
// best and second moves, then reply, the parent's principal-variation
// reply at this ply (PvTable row ply - 1, column ply; empty at plies 0 and
// 1, where there is none).
int HashMoves(const Position& p, int side, const Move& reply, Move* buf);

// Where the refused-store trace goes: standard output in the engine; the
// analysis tool points it at standard error.
extern FILE* SearchTrace;

// The trace notation of a move in Shift-JIS bytes, no line end; out needs
// room for 16 bytes. Returns the number of bytes written.
int FormatTraceMove(const Move& m, char* out);

// Empties the table (tools and tests only; the engine never clears it).
void ClearTranspositionTable();
