// Mate search by continuous checks, with its own table of proven results.
#pragma once

#include "position/types.h"

// Results, from the attacker's view.
constexpr int MATE_PROVEN = 1;   // a mate by checks exists
constexpr int MATE_UNKNOWN = 0;  // not resolved within the depth
constexpr int MATE_NONE = -1;    // every line of checks runs out of checks

constexpr int MATE_BITS = 20;
constexpr int MATE_SIZE = 1 << MATE_BITS;
constexpr uint32_t MATE_MASK = MATE_SIZE - 1;
constexpr int MATE_PROBES = 9;           // slots tried per key
constexpr uint32_t MATE_STRIDE = 95325;  // distance between them
constexpr int MATE_WORK_MOVES = 10000;   // shared move area of one mate search

// Hand mask: one bit field per kind; a count n sets a run of low bits of
// its field, so hand A <= hand B kind by kind exactly when A & B == A.
//
//   bit  39 38 37 36 35..32 31..28 27..24 23..20 19  18 ........ 0
//        rook  bishop gold  silver knight lance  -   pawn
//
// Counts above a field's width fill the whole field.
constexpr int MASK_PAWN_SHIFT = 0;
constexpr int MASK_LANCE_SHIFT = 20;
constexpr int MASK_KNIGHT_SHIFT = 24;
constexpr int MASK_SILVER_SHIFT = 28;
constexpr int MASK_GOLD_SHIFT = 32;
constexpr int MASK_BISHOP_SHIFT = 36;
constexpr int MASK_ROOK_SHIFT = 38;

// motigoma is a Position's hand array; side picks whose counts are read.
uint64_t HandMask(const int32_t* motigoma, int side);

struct MateEntry {
  HashKey key;        // Hash (board key) of the attacker's position; 0 when empty
  uint64_t handMask;  // HandMask of the attacker's hand
  int32_t next;       // slot of the next entry of the same board key; 0 = none
  int32_t result;     // MATE_PROVEN or MATE_NONE
  Move move;          // first move of the mate; empty for MATE_NONE
};
static_assert(offsetof(MateEntry, handMask) == 8, "key, then hand mask");
static_assert(offsetof(MateEntry, next) == 16, "then next");
static_assert(offsetof(MateEntry, result) == 20, "then result");
static_assert(offsetof(MateEntry, move) == 24, "then move");
static_assert(sizeof(MateEntry) == 32, "MateEntry layout");

extern MateEntry MateTable[MATE_SIZE];

// Table operations; the hand is side's part of motigoma.
void MateStore(HashKey board, HashKey hand, const int32_t* motigoma, int side, int result,
               const Move& m);
const MateEntry* MateFindExact(HashKey board, const int32_t* motigoma, int side);
const MateEntry* MateFindDominating(HashKey board, const int32_t* motigoma, int side);

// Iterative deepening over depths 1, 3, 5, ... up to maxDepth; on
// MATE_PROVEN out holds the attacker's first move.
int MateSearch(const Position& p, int side, int maxDepth, Move* out);
int MateAttack(const Position& p, int side, int ply, int depth, Move* work, Move* out);
int MateDefend(const Position& p, int side, int ply, int depth, Move* work);

// Nodes visited by MateAttack and MateDefend since start (for tools).
extern uint64_t MateNodes;

// Empties the table (tools and tests only; the engine never clears it).
void ClearMateTable();
