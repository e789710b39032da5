// Long random playouts: after every move made with evaluation, the eight
// incremental sums equal the from-scratch procedures.
#include <gtest/gtest.h>

#include <random>

#include "eval/exchange.h"
#include "eval_fixture.h"
#include "position/pieces.h"

namespace {

using namespace eval_test;

// Start points with promoted pieces of both sides, pieces in hand, rooks
// and bishops, and kings that must move.
const char* const Starts[] = {
    "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/9/LNSGKGSNL b - 1",
    "ln1g1g1nl/1r2k2b1/p1ppsp1pp/1p2p1p2/9/2P1P1+p2/PP1PSP1PP/1B2K2R1/LN1G1GSNL b Ps 1",
    "l4k2l/2+R3g2/p1n1ppsp1/2p+B3p1/1p1P5/4P1P2/PPS2PN1P/2G2S1+r1/LN2K3L w GNPbp 1",
    "8k/1+P+P1+S1+P2/9/9/9/9/2+p1+s+p+p2/9/4K4 b RBGSNLPrbgsnlp 1",
};

TEST(Playouts, IncrementalSumsEqualFromScratchAfterEveryMove) {
  std::mt19937 rng(12345);
  long moves = 0;
  int games = 0;
  const long target = 120000;
  while (moves < target) {
    int side = SELF;
    EvalState e = FromSfen(Starts[games % 4], &side);
    ++games;
    SelectCastleTables(e);
    for (int ply = 0; ply < 160 && moves < target; ++ply) {
      Move list[MAX_MOVES];
      const int n = GenerateMoves(e.pos, side, list);
      if (n == 0) break;
      Move m = list[rng() % n];
      // Promotions are not generated; make some by hand where allowed.
      if (MayPromote(side, m) && rng() % 2) m.promote = 1;
      const std::string before = FormatSfen(e.pos, side);
      MakeMoveEval(e, side, m);
      ++moves;
      const EvalState f = FromScratch(e);
      ASSERT_EQ(Fields(e), Fields(f)) << "after " << FormatUsiMove(m) << " in " << before;
      ASSERT_EQ(Evaluate(e), Evaluate(f)) << "after " << FormatUsiMove(m) << " in " << before;
      side = Opponent(side);
      // The castle choice follows the rooks, as at the top of each turn.
      if (ply % 16 == 15) SelectCastleTables(e);
      if (ply % 8 == 0) {
        for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq) {
          if (!IsSquare(sq)) continue;
          ASSERT_GE(ExchangeValue(e.pos, sq), 0)
              << "on " << FormatUsiSquare(sq) << " in " << FormatSfen(e.pos, side);
        }
      }
    }
  }
  EXPECT_GE(moves, target);
  EXPECT_GT(games, 100);
}

}  // namespace
