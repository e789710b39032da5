// Move-ordering scores on hand-built positions, and the sort.
#include "eval/ordering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "eval_fixture.h"

namespace {

using namespace eval_test;

// Orders all legal moves and returns the score of the one named.
int ScoreOf(const EvalState& e, int side, const std::string& usi, Move* list, int& n) {
  n = GenerateMoves(e.pos, side, list);
  OrderMoves(e, side, list, n);
  for (int i = 0; i < n; ++i)
    if (FormatUsiMove(list[i]) == usi) return list[i].score;
  ADD_FAILURE() << usi << " not in the list of " << FormatSfen(e.pos, side);
  return 0;
}

int ScoreOf(const EvalState& e, int side, const std::string& usi) {
  Move list[MAX_MOVES];
  int n;
  return ScoreOf(e, side, usi, list, n);
}

TEST(OrderMoves, CaptureGetsFifteenHundredOnTopOfItsGain) {
  // The same lance move onto 5e, once taking a promoted pawn (worth 0 on
  // the board, 105 in hand) and once onto the empty square.
  const char* capture = "8k/9/9/9/4+p4/9/9/4L4/K8 b - 1";
  const char* quiet = "8k/9/9/9/9/9/9/4L4/K8 b - 1";
  EvalState a = FromSfen(capture);
  SelectCastleTables(a);
  // The lance's rank value falls from 8 to 5 either way.
  EXPECT_EQ(ScoreOf(a, SELF, "5h5e"), 105 + 1500 - 3) << capture;
  EvalState b = FromSfen(quiet);
  SelectCastleTables(b);
  EXPECT_EQ(ScoreOf(b, SELF, "5h5e"), -3) << quiet;
}

TEST(OrderMoves, EnemyCaptureAndThreatReadFromTheMoversView) {
  // Empty square table: only material, the bonus and threats count.
  const char* sfen = "4l3k/9/9/9/4+P4/9/9/9/K8 w - 1";
  EvalState e = FromSfen(sfen);
  // Taking the tokin: 105 in hand for ENEMY, plus the capture bonus.
  EXPECT_EQ(ScoreOf(e, ENEMY, "5a5e"), 105 + 1500) << sfen;
  // Stopping short threatens the tokin: a tenth of its exchange value 105.
  EXPECT_EQ(ScoreOf(e, ENEMY, "5a5c"), 10) << sfen;
}

TEST(OrderMoves, ChecksEarnBonusByHowSafeTheCheckerIs) {
  // Knight on 2c checks the king on 1a, which cannot reach it: 1500 / 10,
  // plus 165 from the evaluation (hand 735 to board 700, phase 1 to 2).
  const char* knight = "8k/9/9/9/9/9/9/9/K8 b N 1";
  EXPECT_EQ(ScoreOf(FromSfen(knight), SELF, "N*2c"), -35 + 200 + 150) << knight;
  // Gold on 1b checks but hangs to the king: 500 / 10, less the 2460 the
  // king wins; the evaluation gains 153 (-60 material, +200 phase, +13
  // king attack at phase 3).
  const char* gold = "8k/9/9/9/9/9/9/9/K8 b G 1";
  EXPECT_EQ(ScoreOf(FromSfen(gold), SELF, "G*1b"), 153 - 2460 + 50) << gold;
}

TEST(OrderMoves, ScoreWrapsInSixteenBits) {
  // A king-attack sum so large that one unit of SELF phase is worth 40000
  // points: the rook drop into rank 3 raises the phase from 0 to 1.
  EvalState e = FromSfen("8k/9/9/9/9/9/9/9/K8 b R 1");
  e.PhaseSelf = 0;
  e.KingAttackSelf = 16 * 40000;
  Move list[MAX_MOVES];
  int n;
  // 40000 + 200 for the phase, -100 material: 40100 wraps to -25436.
  EXPECT_EQ(ScoreOf(e, SELF, "R*5c", list, n), 40100 - 65536);
  // The drop into rank 5 loses only the 100 of material and sorts first.
  int iQuiet = -1, iWrapped = -1;
  for (int i = 0; i < n; ++i) {
    if (FormatUsiMove(list[i]) == "R*5e") iQuiet = i;
    if (FormatUsiMove(list[i]) == "R*5c") iWrapped = i;
  }
  EXPECT_EQ(list[iQuiet].score, -100);
  EXPECT_LT(iQuiet, iWrapped);
}

TEST(OrderMoves, SortsHighestFirstAndKeepsEveryMove) {
  const char* sfen =
      "ln1g1g1nl/1r2k2b1/p1ppsp1pp/1p2p1p2/9/2P1P1+p2/PP1PSP1PP/1B2K2R1/LN1G1GSNL b Ps 1";
  EvalState e = FromSfen(sfen);
  SelectCastleTables(e);
  for (int side : {SELF, ENEMY}) {
    Move generated[MAX_MOVES], ordered[MAX_MOVES];
    const int n = GenerateMoves(e.pos, side, generated);
    std::copy(generated, generated + n, ordered);
    OrderMoves(e, side, ordered, n);
    for (int i = 1; i < n; ++i)
      ASSERT_GE(ordered[i - 1].score, ordered[i].score)
          << FormatUsiMove(ordered[i]) << " in " << sfen;
    auto key = [](const Move& m) { return (m.from << 16) | (m.to << 8) | m.piece; };
    std::vector<int> a, b;
    for (int i = 0; i < n; ++i) a.push_back(key(generated[i])), b.push_back(key(ordered[i]));
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b) << "ordering must only permute the list";
  }
}

TEST(OrderMoves, CallerStateIsUnchanged) {
  EvalState e =
      FromSfen("ln1g1g1nl/1r2k2b1/p1ppsp1pp/1p2p1p2/9/2P1P1+p2/PP1PSP1PP/1B2K2R1/LN1G1GSNL b Ps 1");
  SelectCastleTables(e);
  EvalState before = e;
  Move list[MAX_MOVES];
  const int n = GenerateMoves(e.pos, SELF, list);
  OrderMoves(e, SELF, list, n);
  EXPECT_EQ(0, std::memcmp(&e, &before, sizeof e));
}

}  // namespace
