// Shared set-up of the search tests: keys, positions from SFEN with their
// evaluation and castle tables, and empty tables.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "eval/eval.h"
#include "position/keys.h"
#include "search/mate.h"
#include "search/tt.h"
#include "support/positions.h"

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
  if (LoadEvalState(sfen, l.e, l.side)) SelectCastleTables(l.e);
  return l;
}

// A board move as the tables store it, for tests that need no position.
inline Move Mv(int from, int to, int piece) {
  Move m{};
  m.from = static_cast<uint8_t>(from);
  m.to = static_cast<uint8_t>(to);
  m.piece = static_cast<uint8_t>(piece);
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
