// Legal move generation: board moves, drops, check evasions and the attack
// tests they share.
#pragma once

#include "position/types.h"

// PinTable[sq]: 0 for a free piece, else the offset d such that moving by +d
// leads toward its own king; a pinned piece moves only by multiples of d.
typedef int32_t PinTable[CELL_COUNT];

// Legal moves of side into list; pins may be null (computed here).
// Dispatches to check evasion when side's king is attacked. At most
// MAX_MOVES moves are written; a position with more keeps the first ones.
int GenerateMoves(const Position& p, int side, Move* list, const int32_t* pins = nullptr);

// The count GenerateMoves returns, without writing the moves.
int CountMoves(const Position& p, int side);

// Whether side has a legal move: GenerateMoves would return a nonzero count.
bool HasLegalMove(const Position& p, int side);

// The legal moves of side, which must not be in check, in generation order,
// except drops onto squares from which the dropped piece cannot attack
// target. Returns -1 when the full list might not fit in MAX_MOVES.
int GenerateMovesTowards(const Position& p, int side, int target, Move* list,
                         const int32_t* pins = nullptr);

// GenerateMovesTowards without the board moves of pieces that cannot give
// check to target (a king of the other side) by moving; their other moves
// keep the order. Returns -1 when the full list might not fit in MAX_MOVES.
int GenerateCheckCandidates(const Position& p, int side, int target, Move* list,
                            const int32_t* pins = nullptr);

void ComputePins(const Position& p, int32_t* pins);

// Attack set (attack-map word format) of side's pieces on square, from the
// board alone.
uint32_t Attackers(const Position& p, int side, int square);
uint32_t AttackersWithPins(const Position& p, int side, int square, const int32_t* pins);

// True if side dropping a pawn on square gives a check that cannot be
// answered (the drop is then illegal); pins may be null (computed here).
bool PawnDropMates(const Position& p, int side, int square, const int32_t* pins);
