// Set-up of a Position, attack maps, scans and the game-wide histories.
#pragma once

#include "position/types.h"

// Kyokumen key after each ply, and the check word of the move that reached
// that ply (nonzero: that move gave check).
extern HashKey KeyHistory[HISTORY_SIZE];
extern uint32_t CheckHistory[HISTORY_SIZE];

// Builds a complete Position from 81 bytes in diagram order (ranks 1..9,
// each from file 9 to file 1) and hand counts indexed by piece code.
void SetUp(Position& p, int ply, const uint8_t diagram[81], const int32_t hand[EHI + 1]);

// The start position at ply 0, no pieces in hand; SELF moves first.
void SetUpStartPosition(Position& p);

// Recomputes both attack maps from the board alone.
void RebuildAttackMaps(Position& p);

// From square, steps by offset to the first cell that is not EMP.
int Scan(const Position& p, int square, int offset);

// Chebyshev distance between two squares.
int Distance(int a, int b);

// Byte index of a square in diagram order.
inline constexpr int DiagramIndex(int sq) {
  return 9 * (RankOf(sq) - 1) + (9 - FileOf(sq));
}

// The variant's start position in diagram order (no rook, no bishop).
extern const uint8_t StartDiagram[81];
