// A suggested move for the player: the engine library's own search, run
// in this program on its copy of the position, from the player's side,
// with the pieces the player bought in hand and, for each piece the
// player's points can buy, once more with that piece added. The running
// engine is never asked.
#pragma once

#include <string>

#include "game_state.h"

struct Hint {
  Move move{};      // empty when the search found nothing
  int buyKind = 0;  // buy this piece first, with pay (0: buy nothing)
  int pay[3] = {0, 0, 0};
};

// Searches to the engine's own depth; takes as long as an engine move.
Hint SuggestMove(const GameState& game);

// The hint as both programs word it: "buy a gold (buy G 3 1 0), then
// G*5h (0558)"; "" for no move.
std::string HintText(const Hint& hint);
