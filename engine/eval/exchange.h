// Static exchange evaluation on one square.
#pragma once

#include "position/after_board.h"
#include "position/types.h"

// What the side not owning the piece on square wins by starting captures
// there, each side free to stop; >= 0, 0 for an empty square.
int32_t ExchangeValue(const Position& p, int square);
// ExchangeValue on the board after a move, without making it. attackers,
// when given, receives the side bits of the sides that attack square
// there; it is left alone for an empty square.
int32_t ExchangeValueAfter(const AfterBoard& b, int square, int* attackers = nullptr);
// Largest exchange value side can start, from SELF's point of view.
int32_t BestCaptureThreat(const Position& p, int side);
