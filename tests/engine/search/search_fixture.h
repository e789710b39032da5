// Shared set-up of the search tests: keys, positions from SFEN with their
// evaluation, moves from USI, and empty tables.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "eval/eval.h"
#include "position/keys.h"
#include "position/usi.h"
#include "search/mate.h"
#include "search/tt.h"

// A position ready for the search, with its side to move.
struct Loaded {
  EvalState e;
  int side;
  std::string sfen;
};

// Sets up sfen with evaluation (castle tables chosen as at a turn's top).
inline Loaded LoadSfen(const std::string& sfen) {
  Loaded l;
  l.sfen = sfen;
  std::string why;
  if (!ParseSfen(sfen, l.e.pos, l.side, why)) {
    ADD_FAILURE() << "bad SFEN '" << sfen << "': " << why;
    l.side = SELF;
    return l;
  }
  InitEvaluation(l.e);
  SelectCastleTables(l.e);
  return l;
}

// A legal move of side in p written in USI.
inline Move UsiMove(const Position& p, int side, const std::string& text) {
  Move m{};
  std::string why;
  if (!ParseUsiMove(p, side, text, false, m, why)) {
    ADD_FAILURE() << "move " << text << " refused in " << FormatSfen(p, side) << ": " << why;
  }
  return m;
}

// Fresh keys and empty tables before every test.
class SearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitHashKeys();
    ClearTranspositionTable();
    ClearMateTable();
  }
};
