// Positions for the engine's tests: an evaluated position from SFEN and a
// legal move from its USI text, failing the test with the SFEN when either
// is refused. Header only: the tests that use it link the engine.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "eval/eval.h"
#include "position/position.h"
#include "position/usi.h"

// Parses sfen into e, emptied first, and starts its evaluation; the hash
// keys must be set up. False (and the test failed) if sfen is refused; e
// then holds the empty position and side is the first player.
inline bool LoadEvalState(const std::string& sfen, EvalState& e, int& side) {
  std::memset(&e, 0, sizeof e);
  side = SELF;
  std::string why;
  if (!ParseSfen(sfen, e.pos, side, why)) {
    ADD_FAILURE() << "bad SFEN '" << sfen << "': " << why;
    side = SELF;
    return false;
  }
  InitEvaluation(e);
  return true;
}

// The legal move of side in p written as text (no promotion); fails the
// test and gives the empty move if there is none.
inline Move UsiMove(const Position& p, int side, const std::string& text) {
  Move m{};
  std::string why;
  if (!ParseUsiMove(p, side, text, false, m, why))
    ADD_FAILURE() << "move " << text << " refused in " << FormatSfen(p, side) << ": " << why;
  return m;
}
