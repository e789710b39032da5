// Game end on constructed histories: no moves, repetition, perpetual check.
#include <gtest/gtest.h>

#include <string>

#include "driver/game.h"
#include "position/position.h"

namespace {

constexpr HashKey K = 0x1234567890abcdefULL;
constexpr HashKey OTHER = 0x42;

// Plies 1..p with keys that never repeat and no checks.
void QuietHistory(int p) {
  for (int i = 0; i <= p + 1; ++i) {
    KeyHistory[i] = OTHER + i;
    CheckHistory[i] = 0;
  }
}

std::string Result(int S, bool repetition, int p) {
  GameResult r = DecideResult(S, repetition, p, K);
  return std::string(1, r.code) + "/" + std::to_string(r.status);
}

TEST(GameEnd, SideWithoutMovesLoses) {
  QuietHistory(10);
  EXPECT_EQ(Result(SELF, false, 10), "6/0");
  EXPECT_EQ(Result(ENEMY, false, 9), "5/0");
}

TEST(GameEnd, RepetitionCountsPliesOfTheSameSideAboveZero) {
  QuietHistory(20);
  for (int i : {0, 4, 8, 12}) KeyHistory[i] = K;
  EXPECT_EQ(CountRepetitions(12, K), 3) << "ply 0 is not counted";
  KeyHistory[16] = K;
  EXPECT_EQ(CountRepetitions(16, K), 4);
  KeyHistory[15] = K;
  EXPECT_EQ(CountRepetitions(16, K), 4) << "plies of the other side are not compared";
}

TEST(GameEnd, QuietRepetitionIsADraw) {
  QuietHistory(20);
  for (int i : {4, 8, 12, 16}) KeyHistory[i] = K;
  EXPECT_EQ(Result(SELF, true, 16), "7/0");
}

TEST(GameEnd, PerpetualCheckByTheLastMoverLoses) {
  // SELF moves at even plies and checks with each of them.
  QuietHistory(20);
  for (int i : {4, 8, 12, 16}) KeyHistory[i] = K;
  for (int i = 4; i <= 16; i += 2) CheckHistory[i] = 1;
  EXPECT_EQ(Result(SELF, true, 16), "6/0") << "the human checked forever and loses";

  // The same by ENEMY at odd plies.
  QuietHistory(20);
  for (int i : {5, 9, 13, 17}) KeyHistory[i] = K;
  for (int i = 5; i <= 17; i += 2) CheckHistory[i] = 1 << 16;
  EXPECT_EQ(Result(ENEMY, true, 17), "5/0") << "the engine checked forever and loses";
}

TEST(GameEnd, CycleWithOneQuietCheckerMoveIsADraw) {
  QuietHistory(20);
  for (int i : {4, 8, 12, 16}) KeyHistory[i] = K;
  for (int i = 4; i <= 16; i += 2) CheckHistory[i] = 1;
  CheckHistory[10] = 0;
  EXPECT_EQ(Result(SELF, true, 16), "7/0");
}

TEST(GameEnd, PerpetualCheckByTheOtherSideLosesWithStatusOne) {
  // ENEMY checked at every odd ply; SELF's last move was quiet.
  QuietHistory(20);
  for (int i : {4, 8, 12, 16}) KeyHistory[i] = K;
  for (int i = 3; i <= 15; i += 2) CheckHistory[i] = 1;
  EXPECT_EQ(Result(SELF, true, 16), "5/1") << "the engine checked forever and loses";

  QuietHistory(20);
  for (int i : {5, 9, 13, 17}) KeyHistory[i] = K;
  for (int i = 4; i <= 16; i += 2) CheckHistory[i] = 1;
  EXPECT_EQ(Result(ENEMY, true, 17), "6/1") << "the human checked forever and loses";

  CheckHistory[8] = 0;
  EXPECT_EQ(Result(ENEMY, true, 17), "7/0") << "one quiet move breaks the perpetual";
}

TEST(GameEnd, WalkStopsAtTheFirstQuietMoveBeforeFourOccurrences) {
  // Four occurrences, but the checks began only after the second.
  QuietHistory(30);
  for (int i : {4, 8, 12, 16}) KeyHistory[i] = K;
  for (int i = 10; i <= 16; i += 2) CheckHistory[i] = 1;
  EXPECT_EQ(Result(SELF, true, 16), "7/0");
}

}  // namespace
