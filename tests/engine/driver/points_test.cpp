// The point grid, the kings' pick-ups, purchases and the hand operations.
#include "driver/points.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "position/keys.h"
#include "position/position.h"

namespace {

// The dealing rule restated as a queue of wanted kinds per draw: a plain
// model to hold the grid against.
// fallBacks counts placements by preference and kind placed ("23": kind 2
// preferred, kind 3 placed).
void ModelGrid(unsigned seed, int grid[10][10], std::map<std::string, int>& fallBacks) {
  Rand15Seed(seed);
  int left[4] = {0, 27, 27, 27};
  for (int file = 1; file <= 9; ++file)
    for (int rank = 1; rank <= 9; ++rank) {
      for (;;) {
        int r = Rand15();
        double k = static_cast<double>(r) / 32768.0 * 10.0;
        std::string wanted = k < 4 ? "1" : k < 7 ? "231" : "31";
        size_t i = 0;
        while (i < wanted.size() && left[wanted[i] - '0'] == 0) ++i;
        if (i < wanted.size()) {
          grid[file][rank] = wanted[i] - '0';
          if (i > 0) ++fallBacks[wanted.substr(0, 1) + wanted.substr(i, 1)];
          --left[wanted[i] - '0'];
          break;
        }
      }
    }
}

TEST(PointGrid, HoldsTwentySevenOfEachKindInEveryCell) {
  for (unsigned seed : {0u, 1u, 12345u, 1765200000u}) {
    Rand15Seed(seed);
    FillPointGrid();
    int count[4] = {0, 0, 0, 0};
    for (int file = 1; file <= 9; ++file)
      for (int rank = 1; rank <= 9; ++rank) {
        int k = PointGrid[file][rank];
        ASSERT_TRUE(k >= 1 && k <= 3)
            << "seed " << seed << " cell " << file << rank << " holds " << k;
        ++count[k];
      }
    EXPECT_EQ(count[1], 27) << "seed " << seed;
    EXPECT_EQ(count[2], 27) << "seed " << seed;
    EXPECT_EQ(count[3], 27) << "seed " << seed;
  }
}

TEST(PointGrid, FollowsVisitOrderPreferencesAndFallBacks) {
  std::map<std::string, int> fallBacks;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    int expected[10][10] = {};
    ModelGrid(seed, expected, fallBacks);
    Rand15Seed(seed);
    FillPointGrid();
    for (int file = 1; file <= 9; ++file)
      for (int rank = 1; rank <= 9; ++rank)
        ASSERT_EQ(PointGrid[file][rank], expected[file][rank])
            << "seed " << seed << ", file " << file << " rank " << rank;
  }
  // The seeds must have exercised every fall-back path.
  EXPECT_GT(fallBacks["23"], 0);
  EXPECT_GT(fallBacks["21"], 0);
  EXPECT_GT(fallBacks["31"], 0);
}

TEST(PickUp, HumanKingReportsThePointOnceAndEmptiesTheCell) {
  PointGrid[5][7] = 2;
  PointGrid[4][8] = 1;
  PointGrid[6][8] = 3;
  EXPECT_STREQ(HumanPickUp(SOU, 0x57), "010");
  EXPECT_EQ(PointGrid[5][7], 0);
  EXPECT_STREQ(HumanPickUp(SOU, 0x57), "000") << "the second visit finds nothing";
  EXPECT_STREQ(HumanPickUp(SOU, 0x48), "100");
  EXPECT_STREQ(HumanPickUp(SOU, 0x68), "001");
  PointGrid[3][3] = 3;
  EXPECT_STREQ(HumanPickUp(SGI, 0x33), "000");
  EXPECT_STREQ(HumanPickUp(SFU, 0x33), "000") << "a drop or any other piece picks nothing up";
  EXPECT_EQ(PointGrid[3][3], 3);
}

TEST(PickUp, EngineKingCollectsTheSamePointOnEveryVisit) {
  EnginePoints[0] = EnginePoints[1] = EnginePoints[2] = 0;
  PointGrid[5][2] = 2;
  EnginePickUp(EOU, 0x52);
  EnginePickUp(EOU, 0x52);
  EXPECT_EQ(EnginePoints[1], 2);
  EXPECT_EQ(PointGrid[5][2], 2) << "the engine's king leaves the point in its cell";
  EnginePickUp(EKI, 0x52);
  EnginePickUp(SOU, 0x52);
  EXPECT_EQ(EnginePoints[0], 0);
  EXPECT_EQ(EnginePoints[1], 2);
  EXPECT_EQ(EnginePoints[2], 0);
  PointGrid[4][1] = 0;
  EnginePickUp(EOU, 0x41);
  EXPECT_EQ(EnginePoints[0] + EnginePoints[1] + EnginePoints[2], 2);
}

TEST(CheckPurchase, AcceptsExactlyThePaymentTable) {
  for (const char* line : {"1100", "1010", "1001", "2200", "2110", "3111", "4211", "5400", "5310",
                           "6322", "6511", "7700", "7430", "4121", "7034", " 1 1 0 0"})
    EXPECT_TRUE(CheckPurchase(line)) << "purchase line '" << line << "'";
  for (const char* line : {"1000", "1110", "2100", "3211", "3110", "4400", "421",  "4310",
                           "5211", "5220", "6700", "6430", "7222", "7600", "0100", "0000",
                           "8100", "9700", "",     "1",    "x100", "-100", "a"})
    EXPECT_FALSE(CheckPurchase(line)) << "purchase line '" << line << "'";
}

TEST(CheckPurchase, MissingCountsOfAShortLineReadAsZero) {
  EXPECT_TRUE(CheckPurchase("11")) << "pawn paid with one point of kind 1";
  EXPECT_TRUE(CheckPurchase("101"));
  EXPECT_TRUE(CheckPurchase("22\n"));
  EXPECT_FALSE(CheckPurchase("31"));
  EXPECT_TRUE(CheckPurchase("11002345")) << "only four digits are read";
}

TEST(FindPayment, RaisesCountsInTurnsAndTakesTheFirstAccepted) {
  int pay[3] = {-1, -1, -1};
  const int five[3] = {5, 5, 5};
  EXPECT_FALSE(FindPayment(KI, five, pay)) << "1,0,0 1,1,0 1,1,1 2,1,1 then five or more";
  ASSERT_TRUE(FindPayment(FU, five, pay));
  EXPECT_EQ(pay[0] * 100 + pay[1] * 10 + pay[2], 100);
  ASSERT_TRUE(FindPayment(GI, five, pay));
  EXPECT_EQ(pay[0] * 100 + pay[1] * 10 + pay[2], 211);
  ASSERT_TRUE(FindPayment(KE, five, pay));
  EXPECT_EQ(pay[0] * 100 + pay[1] * 10 + pay[2], 111);

  const int ones[3] = {1, 1, 1};
  ASSERT_TRUE(FindPayment(KE, ones, pay));
  EXPECT_EQ(pay[0] * 100 + pay[1] * 10 + pay[2], 111);
  EXPECT_FALSE(FindPayment(GI, ones, pay));
  EXPECT_FALSE(FindPayment(KI, ones, pay));

  const int none[3] = {0, 0, 0};
  for (int kind = 0; kind <= 9; ++kind)
    EXPECT_FALSE(FindPayment(kind, none, pay)) << "kind " << kind;

  // Only kind-3 points: the first two counts never rise.
  const int blue[3] = {0, 0, 4};
  ASSERT_TRUE(FindPayment(KY, blue, pay));
  EXPECT_EQ(pay[0] * 100 + pay[1] * 10 + pay[2], 2);
  ASSERT_TRUE(FindPayment(KI, blue, pay));
  EXPECT_EQ(pay[0] * 100 + pay[1] * 10 + pay[2], 4);
  const int many[3] = {12, 0, 0};
  ASSERT_TRUE(FindPayment(HI, many, pay));
  EXPECT_EQ(pay[0] * 100 + pay[1] * 10 + pay[2], 700);
  EXPECT_FALSE(FindPayment(KA, many, pay)) << "from 10 on the line is cut after four digits";
  const int rich[3] = {9, 9, 9};
  ASSERT_TRUE(FindPayment(HI, rich, pay));
  EXPECT_EQ(pay[0] * 100 + pay[1] * 10 + pay[2], 322);
}

TEST(Hands, FillAndAddChangeOnlyTheCounts) {
  InitHashKeys();
  Position p;
  SetUpStartPosition(p);
  const Position before = p;
  FillHand(1, p, SELF);
  for (int k = FU; k <= HI; ++k) EXPECT_EQ(p.Motigoma[SELF + k], 1) << "kind " << k;
  for (int k = FU; k <= HI; ++k) EXPECT_EQ(p.Motigoma[ENEMY + k], 0) << "kind " << k;
  EXPECT_EQ(p.Kyokumen, before.Kyokumen);
  EXPECT_EQ(p.material, before.material);
  FillHand(0, p, 7);  // any side but 32 means SELF
  for (int k = FU; k <= HI; ++k) EXPECT_EQ(p.Motigoma[SELF + k], 0);

  AddHandPiece(GI, p, ENEMY);
  AddHandPiece(GI, p, ENEMY);
  EXPECT_EQ(p.Motigoma[EGI], 2);
  AddHandPiece(0, p, ENEMY);
  AddHandPiece(OU, p, SELF);
  AddHandPiece(-3, p, SELF);
  int total = 0;
  for (int c = 0; c <= EHI; ++c) total += p.Motigoma[c];
  EXPECT_EQ(total, 2) << "kinds outside 1..7 change nothing";
  EXPECT_EQ(p.Hand, before.Hand);
}

}  // namespace
