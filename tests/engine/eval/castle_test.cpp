// Castle-type selection from the rook and bishop placement, and the square
// table it builds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eval_fixture.h"

namespace {

using namespace eval_test;

struct Case {
  const char* rule;
  const char* sfen;
  int selfType;
  int enemyType;
};

// Kings on 5i and 5a; the rooks and bishops decide.
const Case Cases[] = {
    {"1: both rooks on files 1-4", "4k4/7r1/9/9/9/9/9/7R1/4K4 b - 1", 0, 3},
    {"1: no rooks at all", "4k4/9/9/9/9/9/9/9/4K4 b - 1", 0, 3},
    {"2: ENEMY central rook", "4k4/9/9/4r4/9/9/9/7R1/4K4 b - 1", 1, 4},
    {"2: SELF rook only in hand", "4k4/9/9/4r4/9/9/9/9/4K4 b R 1", 1, 4},
    {"3: SELF central rook", "4k4/7r1/9/9/9/9/4P4/4R4/4K4 b - 1", 2, 2},
    {"4: both rooks on files 6-9", "4k4/1r7/9/9/9/9/9/1R7/4K4 b - 1", 3, 0},
    {"5: both bishops in hand", "4k4/1r7/9/9/9/9/9/7R1/4K4 b Bb 1", 5, 5},
    {"5: two SELF bishops in hand, one ENEMY bishop in hand", "4k4/1r7/9/9/9/9/9/7R1/4K4 b 2Bb 1",
     5, 5},
    {"6: rule 5 needs both bishops off the board", "4k4/1r7/9/9/9/9/9/7R1/4K4 b 2B 1", 6, 6},
    {"6: SELF rook file 2, ENEMY rook file 8", "4k4/1r7/9/9/9/9/9/7R1/4K4 b - 1", 6, 6},
    {"7: SELF rook file 8, ENEMY rook file 2", "4k4/7r1/9/9/9/9/9/1R7/4K4 b - 1", 7, 7},
    {"7: SELF central rook against ENEMY file-8 rook", "4k4/1r7/9/9/9/9/4P4/4R4/4K4 b - 1", 7, 7},
    // A rook in hand replaces the board square only when none is on the
    // board, or when two are in hand.
    {"4: SELF rook on 7h, one more in hand", "4k4/1r7/9/9/9/9/9/2R6/4K4 b R 1", 3, 0},
    {"7: SELF rook on 7h, two more in hand", "4k4/1r7/9/9/9/9/9/2R6/4K4 b 2R 1", 7, 7},
    {"4: ENEMY rook on 8b, one more in hand", "4k4/1r7/9/9/9/9/9/2R6/4K4 b r 1", 3, 0},
    {"7: ENEMY rook on 8b, two more in hand", "4k4/1r7/9/9/9/9/9/2R6/4K4 b 2r 1", 7, 7},
};

TEST(CastleSelection, EachRuleTriggersOnItsPosition) {
  for (const Case& c : Cases) {
    EvalState e = FromSfen(c.sfen);
    SelectCastleTables(e);
    EXPECT_EQ(LastCastleTypes[0], c.selfType) << "rule " << c.rule << ": " << c.sfen;
    EXPECT_EQ(LastCastleTypes[1], c.enemyType) << "rule " << c.rule << ": " << c.sfen;
  }
}

TEST(CastleSelection, PairFourOneIsNeverChosen) {
  // Every rook square or hand marker for both sides, bishops anywhere.
  std::vector<int> places = {0, 1};
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) places.push_back(MakeSquare(f, r));
  for (int a : places)
    for (int b : places)
      for (int d : {0, 1, 0x55})
        for (int c : {0, 1, 0x55}) {
          int st, et;
          ChooseCastleTypes(a, b, d, c, st, et);
          ASSERT_FALSE(st == 4 && et == 1) << "a=" << a << " b=" << b;
        }
}

TEST(CastleSelection, SquareTableTakesShapesAndRankValues) {
  EvalState e = FromSfen("4k4/9/9/9/9/9/9/9/4K4 b - 1");
  SelectCastleTables(e);                  // types 0 and 3
  EXPECT_EQ(SquareTable[SOU][0x99], 10);  // king 0 at 9i
  EXPECT_EQ(SquareTable[SGI][0x57], 10);  // silver 0 at 5g
  EXPECT_EQ(SquareTable[SKI][0x49], -4);  // gold 0 at 4i
  // ENEMY pieces read the turned board and count negative: king 3 has 10
  // at 1i, which is 9a for ENEMY.
  EXPECT_EQ(SquareTable[EOU][0x91], -10);
  EXPECT_EQ(SquareTable[EOU][0x51], 10);  // 5i unlisted: -(-10)
  EXPECT_EQ(SquareTable[EKI][0x61], -5);  // gold 3 at 4i
  // Other codes take the rank table on every file.
  EXPECT_EQ(SquareTable[SFU][0x12], 15);
  EXPECT_EQ(SquareTable[SFU][0x92], 15);
  EXPECT_EQ(SquareTable[EHI][0x57], -10);
  EXPECT_EQ(SquareTable[SKE][0x55], 0);
  // Cells off the board stay 0 (a drop reads cell 0).
  EXPECT_EQ(SquareTable[SOU][0], 0);
  EXPECT_EQ(SquareTable[SOU][0x5A], 0);
}

TEST(CastleSelection, EqualTypesGiveMirroredTables) {
  EvalState e = FromSfen(Cases[4].sfen);  // rule 3: (2, 2)
  SelectCastleTables(e);
  ASSERT_EQ(LastCastleTypes[0], 2);
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) {
      const int sq = MakeSquare(f, r);
      const int turned = MakeSquare(10 - f, 10 - r);
      EXPECT_EQ(SquareTable[EGI][sq], -SquareTable[SGI][turned]) << FormatUsiSquare(sq);
      EXPECT_EQ(SquareTable[EKI][sq], -SquareTable[SKI][turned]) << FormatUsiSquare(sq);
      EXPECT_EQ(SquareTable[EOU][sq], -SquareTable[SOU][turned]) << FormatUsiSquare(sq);
    }
}

TEST(CastleSelection, NewRuleAtTheNextTurnRescoresTheSamePosition) {
  EvalState e = FromSfen("4k4/7r1/9/9/9/9/4S4/7R1/4K4 b - 1");
  SelectCastleTables(e);
  ASSERT_EQ(LastCastleTypes[0], 0);
  MakeMoveEval(e, SELF, UsiMove(e.pos, SELF, "2h5h"));
  const int32_t before = Evaluate(e);
  SelectCastleTables(e);  // SELF central rook: types (2, 2)
  ASSERT_EQ(LastCastleTypes[0], 2);
  ASSERT_EQ(LastCastleTypes[1], 2);
  // Only the silver on 5g changes value: 10 under type 0, -10 under type 2.
  EXPECT_EQ(Evaluate(e) - before, -20);
}

}  // namespace
