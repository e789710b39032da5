// Hash keys and the 15-bit generator: pinned values guard the sequence that
// every stored key depends on.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "position/keys.h"

namespace {

TEST(CoreRand15, DrawSequenceFromStateOneIsPinned) {
  // Seeding with 1 discards the first draw (346) of the state-1 sequence.
  Rand15Seed(1);
  const int expected[] = {130, 10982, 1090, 11656, 7117};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Rand15(), expected[i]) << "draw " << i + 2;
}

TEST(CoreRand15, SeedingDiscardsOneDraw) {
  Rand15Seed(12345);
  EXPECT_EQ(Rand15(), 24996);
}

TEST(CoreHashKeys, KeyValuesArePinned) {
  InitHashKeys();
  EXPECT_EQ(BoardKey[EMP][0x11], 0x02b4020957304420ull);
  EXPECT_EQ(BoardKey[ERY][0x99], 0x3246b6eb0131e624ull);
  EXPECT_EQ(HandKey[SFU][1], 0x6cebc4e455a0bf80ull);
  EXPECT_EQ(HandKey[EHI][18], 0x235a9735c55b35e0ull);
}

TEST(CoreHashKeys, UnfilledEntriesAreZeroAndBit3IsAlwaysClear) {
  InitHashKeys();
  for (int code = 0; code < 48; ++code) {
    for (int sq = 0; sq < SQ_MIN; ++sq) EXPECT_EQ(BoardKey[code][sq], 0u) << code << " " << sq;
    for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq) {
      EXPECT_NE(BoardKey[code][sq], 0u) << code << " " << sq;
      EXPECT_EQ(BoardKey[code][sq] & 8, 0u) << code << " " << sq;
    }
  }
  for (int code = 0; code < SFU; ++code)
    for (int n = 0; n <= HAND_MAX; ++n) EXPECT_EQ(HandKey[code][n], 0u);
}

TEST(CoreHashKeys, SecondFillChangesNothing) {
  InitHashKeys();
  static HashKey board[48][154];
  static HashKey hand[40][19];
  std::memcpy(board, BoardKey, sizeof board);
  std::memcpy(hand, HandKey, sizeof hand);
  Rand15Seed(99);  // a seeded generator must not leak into the keys
  InitHashKeys();
  EXPECT_EQ(std::memcmp(board, BoardKey, sizeof board), 0);
  EXPECT_EQ(std::memcmp(hand, HandKey, sizeof hand), 0);
}

}  // namespace
