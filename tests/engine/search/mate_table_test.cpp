// Mate table: hand masks, chains of hands per board, probe limits.
#include <cstdlib>
#include <cstring>

#include "search_fixture.h"

namespace {

struct Hand {
  int32_t m[EHI + 1] = {};
  Hand& with(int code, int n) {
    m[code] = n;
    return *this;
  }
};

constexpr HashKey BOARD = 0x00000000000A1234ull | 0x7700000000000000ull;
constexpr HashKey HAND = 0x0000000000055555ull;

TEST(HandMaskTest, FieldsAndRuns) {
  EXPECT_EQ(HandMask(Hand().m, SELF), 0u);
  EXPECT_EQ(HandMask(Hand().with(SFU, 7).m, SELF), 0x7Full);
  EXPECT_EQ(HandMask(Hand().with(SFU, 8).m, SELF), 0x1FFull) << "eight pawns skip bit 7";
  EXPECT_EQ(HandMask(Hand().with(SFU, 18).m, SELF), 0x7FFFFull);
  EXPECT_EQ(HandMask(Hand().with(SKY, 1).m, SELF), 1ull << 20);
  EXPECT_EQ(HandMask(Hand().with(SKE, 2).m, SELF), 3ull << 24);
  EXPECT_EQ(HandMask(Hand().with(SGI, 3).m, SELF), 7ull << 28);
  EXPECT_EQ(HandMask(Hand().with(SKI, 4).m, SELF), 15ull << 32);
  EXPECT_EQ(HandMask(Hand().with(SKA, 1).m, SELF), 1ull << 36);
  EXPECT_EQ(HandMask(Hand().with(SHI, 2).m, SELF), 3ull << 38);
  EXPECT_EQ(HandMask(Hand().with(EKA, 1).m, ENEMY), 1ull << 36);
  EXPECT_EQ(HandMask(Hand().with(EKA, 1).m, SELF), 0u) << "the other side's hand is not read";
}

TEST(HandMaskTest, CountsBeyondAFieldSaturate) {
  EXPECT_EQ(HandMask(Hand().with(SFU, 25).m, SELF), HandMask(Hand().with(SFU, 18).m, SELF));
  EXPECT_EQ(HandMask(Hand().with(SKI, 6).m, SELF), HandMask(Hand().with(SKI, 4).m, SELF));
  EXPECT_EQ(HandMask(Hand().with(SHI, 3).m, SELF), HandMask(Hand().with(SHI, 2).m, SELF));
  EXPECT_EQ(HandMask(Hand().with(SHI, 3).m, SELF) & (1ull << 40), 0u) << "rook field overflowed";
  EXPECT_EQ(HandMask(Hand().with(SKA, 5).m, SELF) & (1ull << 38), 0u) << "bishop field overflowed";
}

TEST(HandMaskTest, ContainmentOfMasksIsContainmentOfHands) {
  const int width[8] = {0, 18, 4, 4, 4, 4, 2, 2};
  std::srand(7);
  for (int trial = 0; trial < 2000; ++trial) {
    Hand a, b;
    bool contained = true;
    for (int k = FU; k <= HI; ++k) {
      a.m[SELF | k] = std::rand() % (width[k] + 1);
      b.m[SELF | k] = std::rand() % (width[k] + 1);
      if (a.m[SELF | k] > b.m[SELF | k]) contained = false;
    }
    uint64_t ma = HandMask(a.m, SELF), mb = HandMask(b.m, SELF);
    ASSERT_EQ((ma & mb) == ma, contained) << "trial " << trial;
    if ((ma == mb) != (std::memcmp(a.m, b.m, sizeof a.m) == 0)) {
      FAIL() << "equal masks must mean equal hands, trial " << trial;
    }
  }
}

using MateTableTest = SearchTest;

TEST_F(MateTableTest, ProvenMateServesEveryLargerHand) {
  Hand gold = Hand().with(SKI, 1);
  MateStore(BOARD, HAND, gold.m, SELF, MATE_PROVEN, Mv(0, 0x12, SKI));
  Hand more = Hand().with(SKI, 2).with(SFU, 1);
  const MateEntry* e = MateFindDominating(BOARD, more.m, SELF);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->move.to, 0x12);
  EXPECT_EQ(MateFindExact(BOARD, more.m, SELF), nullptr) << "exact lookup needs the same hand";
  EXPECT_EQ(MateFindDominating(BOARD, Hand().with(SGI, 1).m, SELF), nullptr)
      << "silver is not gold";
  EXPECT_EQ(MateFindDominating(BOARD ^ 1, more.m, SELF), nullptr) << "another board";
}

TEST_F(MateTableTest, SecondHandIsChainedAndFoundByBothLookups) {
  Hand gold = Hand().with(SKI, 1);
  Hand rook = Hand().with(SHI, 1);
  MateStore(BOARD, HAND, gold.m, SELF, MATE_NONE, Move{});
  MateStore(BOARD, HAND, rook.m, SELF, MATE_PROVEN, Mv(0, 0x13, SHI));
  uint32_t first = static_cast<uint32_t>(BOARD) & MATE_MASK;
  ASSERT_NE(MateTable[first].next, 0) << "the new hand is linked behind the first";
  uint32_t second = static_cast<uint32_t>(BOARD ^ HAND) & MATE_MASK;
  EXPECT_EQ(MateTable[first].next, static_cast<int32_t>(second)) << "placed by the position key";
  const MateEntry* exact = MateFindExact(BOARD, rook.m, SELF);
  ASSERT_NE(exact, nullptr);
  EXPECT_EQ(exact->result, MATE_PROVEN);
  const MateEntry* dom = MateFindDominating(BOARD, Hand().with(SHI, 1).with(SKI, 1).m, SELF);
  ASSERT_NE(dom, nullptr);
  EXPECT_EQ(dom->move.to, 0x13);
  const MateEntry* none = MateFindExact(BOARD, gold.m, SELF);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->result, MATE_NONE);
}

TEST_F(MateTableTest, ExactFailureStopsTheDominatingLookup) {
  Hand both = Hand().with(SHI, 1).with(SKI, 1);
  MateStore(BOARD, HAND, both.m, SELF, MATE_NONE, Move{});
  MateStore(BOARD, HAND, Hand().with(SHI, 1).m, SELF, MATE_PROVEN, Mv(0, 0x13, SHI));
  EXPECT_EQ(MateFindDominating(BOARD, both.m, SELF), nullptr)
      << "a stored failure for this very hand comes first in the chain";
}

TEST_F(MateTableTest, StoringTheSameHandAgainOverwritesInPlace) {
  Hand gold = Hand().with(SKI, 1);
  MateStore(BOARD, HAND, gold.m, SELF, MATE_NONE, Move{});
  MateStore(BOARD, HAND, Hand().with(SKI, 2).m, SELF, MATE_NONE, Move{});
  uint32_t first = static_cast<uint32_t>(BOARD) & MATE_MASK;
  int32_t link = MateTable[first].next;
  MateStore(BOARD, HAND, gold.m, SELF, MATE_PROVEN, Mv(0, 0x12, SKI));
  EXPECT_EQ(MateTable[first].result, MATE_PROVEN);
  EXPECT_EQ(MateTable[first].next, link) << "the chain link survives an overwrite";
}

TEST_F(MateTableTest, BoardWhoseNineSlotsAreTakenIsNotStored) {
  Hand gold = Hand().with(SKI, 1);
  for (int i = 0; i < MATE_PROBES; ++i) {
    HashKey other = (BOARD & ~0xFFFFFFFFull) + 0x100000000ull +
                    ((static_cast<uint32_t>(BOARD) + i * MATE_STRIDE) & 0xFFFFFFFFull);
    MateStore(other, HAND, gold.m, SELF, MATE_NONE, Move{});
  }
  MateStore(BOARD, HAND, gold.m, SELF, MATE_PROVEN, Mv(0, 0x12, SKI));
  EXPECT_EQ(MateFindExact(BOARD, gold.m, SELF), nullptr);
  // No slot of its sequence holds it.
  for (int i = 0; i < MATE_PROBES; ++i) {
    uint32_t s = (static_cast<uint32_t>(BOARD) + i * MATE_STRIDE) & MATE_MASK;
    EXPECT_NE(MateTable[s].key, BOARD);
  }
}

TEST_F(MateTableTest, SlotsOfOtherBoardsAreSkipped) {
  Hand gold = Hand().with(SKI, 1);
  HashKey other = BOARD + 0x100000000ull;
  MateStore(other, HAND, gold.m, SELF, MATE_NONE, Move{});  // takes BOARD's first slot
  MateStore(BOARD, HAND, gold.m, SELF, MATE_PROVEN, Mv(0, 0x12, SKI));
  ASSERT_NE(MateFindExact(BOARD, gold.m, SELF), nullptr);
  EXPECT_EQ(MateFindExact(BOARD, gold.m, SELF)->result, MATE_PROVEN);
  EXPECT_EQ(MateFindExact(other, gold.m, SELF)->result, MATE_NONE);
}

}  // namespace
