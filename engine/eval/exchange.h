// Static exchange evaluation on one square.
#pragma once

#include "position/after_board.h"
#include "position/types.h"

// What the side not owning the piece on square wins by starting captures
// there, each side free to stop; >= 0, 0 for an empty square.
int32_t ExchangeValue(const Position& p, int square);
// ExchangeValueAfter on a square holding a piece.
int32_t ExchangeValueOnPieceAfter(const AfterBoard& b, int square, int* attackers);

// ExchangeValue on the board after a move, without making it. attackers,
// when given, receives the side bits of the sides that attack square
// there; it is left alone for an empty square. Ordering asks for many
// empty squares, which are answered here without a call.
inline int32_t ExchangeValueAfter(const AfterBoard& b, int square, int* attackers = nullptr) {
  const int x = b.At(square);
  if (x == EMP || x == WALL) return 0;
  return ExchangeValueOnPieceAfter(b, square, attackers);
}
// Largest exchange value side can start, from SELF's point of view.
int32_t BestCaptureThreat(const Position& p, int side);
