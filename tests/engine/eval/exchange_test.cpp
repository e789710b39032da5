// Exchange values on hand-built squares: who joins the exchange, in which
// order, and what the side starting it wins.
#include "eval/exchange.h"

#include <gtest/gtest.h>

#include <string>

#include "eval/exchange_lists.h"
#include "eval_fixture.h"

namespace {

using namespace eval_test;

Position FromSfenPos(const std::string& sfen) {
  return FromSfen(sfen).pos;
}

std::string ListText(const Move* list, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? " " : "") + FormatUsiSquare(list[i].from);
  return s;
}

TEST(ExchangeValue, LonePawnTakenByEnemyLanceWinsBoardPlusHandValue) {
  Position p = FromSfenPos("4l3k/9/9/9/4P4/9/9/9/K8 b - 1");
  EXPECT_EQ(ExchangeValue(p, 0x55), 100 + 105) << FormatSfen(p, SELF);
}

TEST(ExchangeValue, DefendedRookTakenByPawnWinsRookMinusPawn) {
  Position p = FromSfenPos("8k/9/9/4g4/4r4/4P4/9/9/K8 b - 1");
  EXPECT_EQ(ExchangeValue(p, 0x55), (2000 + 2100) - (100 + 105)) << FormatSfen(p, SELF);
}

TEST(ExchangeValue, RookBehindLanceJoinsAfterIt) {
  const char* battery = "8k/9/4g4/4s4/9/4L4/9/4R4/K8 b - 1";
  Position p = FromSfenPos(battery);
  AttackerLists lists;
  CollectAttackers(p, 0x54, lists);
  EXPECT_EQ(ListText(lists.self, lists.selfCount), "5f 5h") << battery;
  EXPECT_EQ(ListText(lists.enemy, lists.enemyCount), "5c") << battery;
  // Lance takes silver, gold retakes, rook takes gold: the gold does not
  // retake, so SELF wins the silver.
  EXPECT_EQ(ExchangeValue(p, 0x54), 2050) << battery;
  // Without the rook the gold retakes and SELF nets silver minus lance.
  const char* alone = "8k/9/4g4/4s4/9/4L4/9/9/K8 b - 1";
  EXPECT_EQ(ExchangeValue(FromSfenPos(alone), 0x54), 2050 - 1230) << alone;
}

TEST(ExchangeValue, SliderOfTheOtherColourBehindAStepperJoins) {
  // ENEMY rook on 5h behind the SELF pawn that defends the gold on 5e.
  const char* sfen = "8k/9/9/4p4/4G4/4P4/9/4r4/K8 b - 1";
  Position p = FromSfenPos(sfen);
  AttackerLists lists;
  CollectAttackers(p, 0x55, lists);
  EXPECT_EQ(ListText(lists.enemy, lists.enemyCount), "5d 5h") << sfen;
  EXPECT_EQ(ListText(lists.self, lists.selfCount), "5f") << sfen;
  // pawn x gold, pawn x pawn, rook x pawn: ENEMY keeps the gold.
  EXPECT_EQ(ExchangeValue(p, 0x55), 2460) << sfen;
  const char* noRook = "8k/9/9/4p4/4G4/4P4/9/9/K8 b - 1";
  EXPECT_EQ(ExchangeValue(FromSfenPos(noRook), 0x55), 2460 - 205) << noRook;
}

TEST(ExchangeValue, KingInFrontHidesTheRookBehindIt) {
  // SELF rook behind the SELF king: only the king is listed.
  const char* own = "8k/9/9/4g4/4K4/9/4R4/9/9 b - 1";
  Position p = FromSfenPos(own);
  AttackerLists lists;
  CollectAttackers(p, 0x54, lists);
  EXPECT_EQ(ListText(lists.self, lists.selfCount), "5e") << own;
  // ENEMY rook behind the SELF king that defends the silver: the rook never
  // joins, so the king retakes the pawn and is not taken itself.
  const char* other = "8k/9/9/4p4/4S4/4K4/9/4r4/9 b - 1";
  Position q = FromSfenPos(other);
  CollectAttackers(q, 0x55, lists);
  EXPECT_EQ(ListText(lists.enemy, lists.enemyCount), "5d") << other;
  EXPECT_EQ(ExchangeValue(q, 0x55), 2050 - 205) << other;
}

// Bought pieces can crowd a square beyond the standard set: here 34 first
// player pieces bear on the pawn on 5e (eight steppers, three sliders lined
// up behind each, two knights). The lists take what they can hold, nothing
// spills into the other side's list, and the undefended pawn is still won.
// A write past a list's end also stops the sanitizer build (scripts/test
// --sanitize) here.
TEST(ExchangeValue, CrowdedSquareStaysWithinTheLists) {
  const char* crowd = "B3R3B/1B2R2Bk/2B1R1B2/3SGS3/RRRGpGRRR/3GGG3/2BNLNB2/KB2L2B1/B3L3B w - 1";
  Position p = FromSfenPos(crowd);
  AttackerLists lists;
  CollectAttackers(p, 0x55, lists);
  EXPECT_EQ(lists.enemyCount, 0) << crowd;
  EXPECT_GE(lists.selfCount, 18) << crowd;
  EXPECT_EQ(ExchangeValue(p, 0x55), 100 + 105) << crowd;
}

TEST(ExchangeValue, NeverNegativeWhenStartingWouldLose) {
  // Rook takes the pawn, the gold retakes the rook: ENEMY stays put.
  const char* sfen = "4r3k/9/9/9/4P4/4G4/9/9/K8 b - 1";
  EXPECT_EQ(ExchangeValue(FromSfenPos(sfen), 0x55), 0) << sfen;
}

TEST(ExchangeValue, ZeroForEmptyAndUnattackedSquares) {
  Position p = FromSfenPos("8k/9/9/4g4/4r4/4P4/9/9/K8 b - 1");
  EXPECT_EQ(ExchangeValue(p, 0x33), 0);  // empty
  EXPECT_EQ(ExchangeValue(p, 0x54), 0);  // ENEMY gold not attacked by SELF
}

TEST(ExchangeValue, CheapestAttackerFirstWithPromotedPiecesAtZero) {
  // Promoted pieces are worth 0 on the board, so the tokin goes first.
  const char* sfen = "8k/9/9/4G4/4r4/3+PP4/9/9/K8 b - 1";
  Position p = FromSfenPos(sfen);
  AttackerLists lists;
  CollectAttackers(p, 0x55, lists);
  EXPECT_EQ(ListText(lists.self, lists.selfCount), "6f 5f 5d") << sfen;
}

TEST(ExchangeValue, KingInCheckCountsAsCapturedThenAvenged) {
  // The pawn takes the king (10000); with a gold behind the king, SELF
  // takes the pawn back.
  EXPECT_EQ(ExchangeValue(FromSfenPos("8k/9/9/4p4/4K4/9/9/9/9 b - 1"), 0x55), 10000);
  EXPECT_EQ(ExchangeValue(FromSfenPos("8k/9/9/4p4/4K4/4G4/9/9/9 b - 1"), 0x55), 10000 - 205);
  // The same for an ENEMY king in check.
  EXPECT_EQ(ExchangeValue(FromSfenPos("9/9/9/9/4k4/4P4/9/9/K8 w - 1"), 0x55), 10000);
}

TEST(ExchangeValue, CallerPositionIsUnchanged) {
  Position p = FromSfenPos("8k/9/9/4g4/4r4/4P4/9/9/K8 b - 1");
  Position before = p;
  ExchangeValue(p, 0x55);
  EXPECT_EQ(0, std::memcmp(&p, &before, sizeof p));
}

TEST(BestCaptureThreat, LargestGainReadFromSelfsView) {
  Position p = FromSfenPos("8k/9/9/4g4/4r4/4P4/9/9/K8 b - 1");
  EXPECT_EQ(BestCaptureThreat(p, SELF), 3895);
  // ENEMY's best is the rook taking the undefended pawn on 5f.
  EXPECT_EQ(BestCaptureThreat(p, ENEMY), -205);
}

}  // namespace
