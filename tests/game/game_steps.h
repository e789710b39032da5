// Playing moves on the game program's copy of a game with the turn flow's
// steps (match.h), as if the engine had answered; each step fails the test
// when refused.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "game_state.h"
#include "match.h"

// A typed move that must be legal, with its point report.
inline void PlayHuman(GameState& g, const std::string& text, const std::string& report = "000") {
  Move m{};
  std::string why;
  ASSERT_TRUE(g.CheckMove(ParseCommand(text), m, why)) << text << " refused: " << why;
  PlayAcceptedMove(g, m, report);
}

// An engine move line as in "$enemyTe.mvdf" ("3233", "0455").
inline void PlayEngine(GameState& g, const std::string& line) {
  Move played{};
  std::string why;
  ASSERT_TRUE(g.PlayEngineMove(line, played, why)) << "engine move " << line << ": " << why;
}
