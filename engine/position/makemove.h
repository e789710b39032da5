// Copy-make and the legality tests for moves that did not come from the
// generator.
#pragma once

#include "position/tables.h"
#include "position/types.h"

// What captor's capture of code adds to the material balance: the piece
// leaves the board for the captor's hand, unpromoted.
inline int32_t CaptureChange(int captor, int code) {
  return HandValue[captor | (code & KIND_MASK)] - BoardValue[code];
}

// What side's move m adds to the material balance: the captured piece
// moves to the mover's hand, a dropped piece leaves it, a promotion changes
// the piece's value.
inline int32_t MaterialChange(const Position& p, int side, const Move& m) {
  int32_t change = 0;
  if (IsDrop(m)) change += BoardValue[m.piece] - HandValue[m.piece];
  const int captured = p.Ban(m.to);
  if (captured != EMP) change += CaptureChange(side, captured);
  if (m.promote) change += BoardValue[m.piece | PROMOTED] - BoardValue[m.piece];
  return change;
}

// Applies a legal move of side in place, keeping every derived field exact.
void MakeMove(Position& p, int side, const Move& m);

// Geometric fit against the current board; refreshes m.capture for board
// moves. Returns 1 or 0.
int MoveFits(const Position& p, Move& m);

// Full test including that side's king is not left attacked. Returns 1 or 0.
int IsLegal(const Position& p, int side, Move& m);

// The legal moves of side that give check, in generated order.
int CheckingMoves(const Position& p, int side, Move* list, const int32_t* pins = nullptr);
