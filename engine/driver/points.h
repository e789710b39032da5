// The hidden point grid, the kings' pick-ups, the purchase rule and the
// hand operations of the variant.
#pragma once

#include "position/types.h"

constexpr int POINT_KINDS = 3;  // kinds 1..3 (red, green, blue)
constexpr int POINTS_PER_KIND = 27;

// PointGrid[file][rank], files and ranks 1..9: 0 (no point) or kind 1..3.
extern int PointGrid[10][10];
// The engine's points of kinds 1..3 at indexes 0..2.
extern int EnginePoints[POINT_KINDS];

// Deals 27 points of each kind with the 15-bit generator, which the caller
// has seeded.
void FillPointGrid();

// The report of a human move ("100", "010", "001" or "000"); a SOU move
// empties the cell it picks up.
const char* HumanPickUp(int piece, int dest);
// An EOU move adds the point under dest to EnginePoints; the cell keeps it.
void EnginePickUp(int piece, int dest);

// Whether paying a, b, c points of kinds 1, 2, 3 buys a piece of kind.
bool PaymentFits(int kind, int a, int b, int c);
// Judges a purchase line: kind, then points of kinds 1, 2, 3, one digit each.
bool CheckPurchase(const char* line);
// The engine's payment for kind with the points held, raised in turns;
// false if none is found.
bool FindPayment(int kind, const int held[POINT_KINDS], int payment[POINT_KINDS]);

// Sets side's hand counts of kinds FU..HI to value (side 32 is ENEMY, any
// other value SELF). Keys and material are left as they are.
void FillHand(int value, Position& p, int side);
// Adds one piece of kind (FU..HI only) to side's hand; other kinds do nothing.
void AddHandPiece(int kind, Position& p, int side);
