// The evaluation sums of fixed positions and the score built from them.
#include <gtest/gtest.h>

#include "eval_fixture.h"
#include "position/makemove.h"

namespace {

using namespace eval_test;

const char* const KingsOnly = "8k/9/9/9/9/9/9/9/K8 b - 1";

TEST(StartPosition, PhasesAreMinusFourAndScoreIsTheTableTotals) {
  EvalState e = StartState();
  EXPECT_EQ(e.PhaseSelf, -4);
  EXPECT_EQ(e.PhaseEnemy, -4);
  EXPECT_EQ(e.pos.material, 0);
  SelectCastleTables(e);
  // No rooks anywhere: SELF static-rook shapes (0), ENEMY type 3.
  EXPECT_EQ(LastCastleTypes[0], 0);
  EXPECT_EQ(LastCastleTypes[1], 3);
  // SELF: silvers 7i 0, 3i -10; golds 6i 0, 4i -4; king 5i -10; lances on
  // rank 9 +9 each. ENEMY: silvers 7a +10, 3a 0; golds 6a 0, 4a -5; king
  // +10; lances on rank 1 -9 each.
  EXPECT_EQ(e.TableSelf, -6);
  EXPECT_EQ(e.TableEnemy, -3);
  EXPECT_EQ(Evaluate(e), e.TableSelf + e.TableEnemy);
  EXPECT_EQ(Evaluate(e), -9);
}

TEST(StartPosition, InitialisationSumsMatchFromScratch) {
  EvalState e = StartState();
  SelectCastleTables(e);
  EvalState f = FromScratch(e);
  EXPECT_EQ(Fields(e), Fields(f));
}

TEST(Evaluate, KingTermsRoundTowardZero) {
  EvalState e = FromSfen(KingsOnly);
  ASSERT_EQ(Evaluate(e), 0);
  e.KingAttackSelf = -17;
  e.PhaseSelf = 16;
  EXPECT_EQ(Evaluate(e), 16 * 200 - 17);
  e.PhaseSelf = 1;
  EXPECT_EQ(Evaluate(e), 200 - 1) << "q(-17) must be -1, not -2";
  e.KingAttackSelf = 0;
  e.KingDefenceEnemy = 31;  // weighted by SELF's phase
  EXPECT_EQ(Evaluate(e), 200 + 1);
  e.KingDefenceEnemy = -31;
  EXPECT_EQ(Evaluate(e), 200 - 1);
}

TEST(Evaluate, PhasesClampToZeroAndSixteen) {
  EvalState e = FromSfen(KingsOnly);
  e.PhaseSelf = 20;
  e.PhaseEnemy = -3;
  e.KingAttackSelf = 32;   // x 16 / 16
  e.KingDefenceSelf = 64;  // x 0: ENEMY phase clamps to 0
  EXPECT_EQ(Evaluate(e), 16 * 200 + 32);
  e.PhaseSelf = -5;
  e.PhaseEnemy = 17;
  e.KingAttackSelf = 0;
  e.KingDefenceSelf = 0;
  e.KingAttackEnemy = -48;  // x 16 / 16
  EXPECT_EQ(Evaluate(e), -16 * 200 - 48);
}

TEST(MakeMoveEval, RookDropIntoRankThreeMovesHandWeightToAttackerWeight) {
  EvalState e = FromSfen("8k/9/9/9/9/9/9/9/K8 b R 1");
  ASSERT_EQ(e.PhaseSelf, 3);
  MakeMoveEval(e, SELF, UsiMove(e.pos, SELF, "R*5c"));
  EXPECT_EQ(e.PhaseSelf, 4);
  EXPECT_EQ(Fields(e), Fields(FromScratch(e)));
}

TEST(MakeMoveEval, CapturingAnEnemySilverOnRankTwo) {
  EvalState e = FromSfen("4k4/4s4/4G4/9/9/9/9/9/K8 b - 1");
  ASSERT_EQ(e.PhaseSelf, 3 - 1);
  ASSERT_NE(e.KingAttackEnemy, 0);
  ASSERT_NE(e.KingDefenceEnemy, 0);
  MakeMoveEval(e, SELF, UsiMove(e.pos, SELF, "5c5b"));
  // -1 of the silver gone, 2 for the silver in hand; the gold stays in zone.
  EXPECT_EQ(e.PhaseSelf, 3 + 2);
  EXPECT_EQ(e.KingAttackEnemy, 0);
  EXPECT_EQ(e.KingDefenceEnemy, 0);
  EXPECT_EQ(Fields(e), Fields(FromScratch(e)));
}

// The board, not the move's capture field, says what is taken, as in
// make-move: a stale field must not put the sums out of step with the board.
TEST(MakeMoveEval, CaptureFieldThatDisagreesWithTheBoardIsIgnored) {
  EvalState take = FromSfen("4k4/4s4/4G4/9/9/9/9/9/K8 b - 1");
  SelectCastleTables(take);
  Move m = UsiMove(take.pos, SELF, "5c5b");
  m.capture = EMP;  // says quiet, but the silver on 5b is taken
  MakeMoveEval(take, SELF, m);
  EXPECT_EQ(take.pos.Motigoma[SGI], 1);
  EXPECT_EQ(take.PhaseSelf, 3 + 2);
  EXPECT_EQ(Fields(take), Fields(FromScratch(take)));

  EvalState quiet = FromSfen("4k4/9/4G4/9/9/9/9/3s5/K8 b - 1");
  SelectCastleTables(quiet);
  Move q = UsiMove(quiet.pos, SELF, "5c5b");
  q.capture = EGI;  // says a silver is taken, but 5b is empty
  MakeMoveEval(quiet, SELF, q);
  EXPECT_EQ(quiet.pos.Motigoma[SGI], 0);
  EXPECT_EQ(Fields(quiet), Fields(FromScratch(quiet)));
}

TEST(MakeMoveEval, KingMoveRecountsKingSums) {
  EvalState e = FromSfen("4k4/9/9/9/9/9/9/3G5/4K4 b - 1");
  const int32_t before = e.KingDefenceSelf;
  MakeMoveEval(e, SELF, UsiMove(e.pos, SELF, "5i4i"));
  EXPECT_NE(e.KingDefenceSelf, before);
  EXPECT_EQ(Fields(e), Fields(FromScratch(e)));
}

TEST(MakeMoveEval, PromotionChangesTheArrivingCode) {
  EvalState e = FromSfen("4k4/9/9/2P6/9/9/9/9/4K4 b - 1");
  SelectCastleTables(e);
  Move m = UsiMove(e.pos, SELF, "7d7c");
  m.promote = 1;
  MakeMoveEval(e, SELF, m);
  ASSERT_EQ(e.pos.Ban(0x73), STO);
  // A promoted pawn on rank 3 is a guard: it now counts toward the ENEMY king.
  EXPECT_NE(e.KingAttackSelf, 0);
  EXPECT_EQ(Fields(e), Fields(FromScratch(e)));
}

TEST(InitEvaluation, ClearsTheSquareTableAndTotals) {
  EvalState e = StartState();
  SelectCastleTables(e);
  ASSERT_NE(e.TableSelf, 0);
  InitEvaluation(e);
  EXPECT_EQ(e.TableSelf, 0);
  EXPECT_EQ(e.TableEnemy, 0);
  EXPECT_EQ(SquareTable[SOU][0x59], 0);
  EXPECT_EQ(SquareTable[EKY][0x11], 0);
}

}  // namespace
