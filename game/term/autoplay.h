// A player for tests and demonstrations: seeded random legal moves, written
// in either notation, and now and then a purchase it can pay for.
#pragma once

#include <random>
#include <string>

#include "game_state.h"

class AutoPlayer {
 public:
  explicit AutoPlayer(unsigned seed) : rng_(seed) {}
  // The next line the player types; empty when it has nothing left to try.
  std::string NextLine(const GameState& game);

 private:
  std::mt19937 rng_;
  int lastBuyPly_ = -1;
  int buysThisTurn_ = 0;
};
