// The attacker lists of an exchange: who can capture on a square, in the
// order the exchange tries them.
#pragma once

#include "position/types.h"

// One colour holds at most 8 adjacent pieces, 8 sliders lined up behind
// them and 2 knights; both lists get the same room.
constexpr int ATTACKER_ROOM = 24;

// Captures onto one target square: from = attacker, piece = its code.
struct AttackerLists {
  Move self[ATTACKER_ROOM];
  Move enemy[ATTACKER_ROOM];
  int selfCount = 0;
  int enemyCount = 0;
};

// Fills both lists from the attack maps (steppers, the sliders lined up
// behind them of either colour, knights) and sorts each cheapest first.
void CollectAttackers(const Position& p, int square, AttackerLists& lists);
