// Mate table chains: where a second hand of a board is placed, when it is
// dropped, and how the first entry of a board is found.
#include <cstring>

#include "search_fixture.h"

namespace {

int32_t* GoldHand(int32_t (&m)[EHI + 1], int golds) {
  std::memset(m, 0, sizeof m);
  m[SKI] = golds;
  return m;
}

Move Drop(int to, int piece) {
  Move m{};
  m.to = static_cast<uint8_t>(to);
  m.piece = static_cast<uint8_t>(piece);
  return m;
}

uint32_t Probe(HashKey v, int i) {
  return (static_cast<uint32_t>(v) + static_cast<uint32_t>(i) * MATE_STRIDE) & MATE_MASK;
}

using MateChainTest = SearchTest;

// Link 0 ends a chain, so an entry linked into slot 0 could never be
// reached again: the secondary scan passes over slot 0 to its next slot.
TEST_F(MateChainTest, SecondHandIsNeverLinkedIntoSlotZero) {
  const HashKey board = 0x5A5A0000000A1234ull;
  const HashKey hand = 0x0000777700000000ull | (static_cast<uint32_t>(board) & MATE_MASK);
  ASSERT_EQ(Probe(board ^ hand, 0), 0u) << "the position key's sequence must start at slot 0";
  int32_t one[EHI + 1], two[EHI + 1];
  MateStore(board, hand, GoldHand(one, 1), SELF, MATE_NONE, Move{});
  MateStore(board, hand, GoldHand(two, 2), SELF, MATE_PROVEN, Drop(0x12, SKI));

  EXPECT_EQ(MateTable[0].key, 0u) << "slot 0 stays empty";
  const uint32_t first = Probe(board, 0);
  EXPECT_EQ(MateTable[first].next, static_cast<int32_t>(Probe(board ^ hand, 1)))
      << "the new hand goes to the next slot of the secondary sequence";
  const MateEntry* e = MateFindExact(board, two, SELF);
  ASSERT_NE(e, nullptr) << "the second hand is reachable through the chain";
  EXPECT_EQ(e->result, MATE_PROVEN);
  EXPECT_EQ(e->move.to, 0x12);
  ASSERT_NE(MateFindDominating(board, two, SELF), nullptr);
  EXPECT_EQ(MateFindExact(board, one, SELF)->result, MATE_NONE);
}

TEST_F(MateChainTest, NewHandIsDroppedWhenItsNineSecondarySlotsAreTaken) {
  const HashKey board = 0x1111000000023456ull;
  const HashKey hand = 0x2222000000000777ull;
  int32_t one[EHI + 1], two[EHI + 1];
  MateStore(board, hand, GoldHand(one, 1), SELF, MATE_PROVEN, Drop(0x12, SKI));
  const uint32_t first = Probe(board, 0);
  // Other boards in every slot of the position key's sequence.
  for (int j = 0; j < MATE_PROBES; ++j) {
    MateEntry& taken = MateTable[Probe(board ^ hand, j)];
    ASSERT_EQ(taken.key, 0u) << "slot " << j << " already in use";
    taken.key = 0x3333000000000000ull + static_cast<HashKey>(j + 1);
    taken.result = MATE_NONE;
  }
  MateStore(board, hand, GoldHand(two, 2), SELF, MATE_NONE, Move{});

  EXPECT_EQ(MateTable[first].next, 0) << "nothing was linked";
  EXPECT_EQ(MateFindExact(board, two, SELF), nullptr);
  const MateEntry* mate = MateFindDominating(board, two, SELF);
  ASSERT_NE(mate, nullptr) << "the stored one-gold mate still serves the bigger hand";
  EXPECT_EQ(mate->move.to, 0x12);
  for (int j = 0; j < MATE_PROBES; ++j) {
    EXPECT_NE(MateTable[Probe(board ^ hand, j)].key, board) << "slot " << j << " was overwritten";
  }
}

// Slots of other boards and empty slots alike are passed over on the way
// to a board's first entry.
TEST_F(MateChainTest, FirstEntryIsFoundBehindEmptyAndForeignSlots) {
  const HashKey board = 0x4444000000054321ull;
  int32_t one[EHI + 1];
  GoldHand(one, 1);
  MateTable[Probe(board, 1)].key = board + 0x100000000ull;  // another board
  MateEntry& e = MateTable[Probe(board, 3)];                // slots 0 and 2 empty
  e.key = board;
  e.handMask = HandMask(one, SELF);
  e.result = MATE_PROVEN;
  e.move = Drop(0x12, SKI);
  const MateEntry* found = MateFindExact(board, one, SELF);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found, &e);
  EXPECT_EQ(MateFindDominating(board, one, SELF), &e);

  const HashKey late = 0x4545000000054321ull;  // same sequence, entry in the ninth slot only
  MateTable[Probe(late, 8)] = e;
  MateTable[Probe(late, 8)].key = late;
  EXPECT_NE(MateFindExact(late, one, SELF), nullptr) << "the ninth slot is still probed";
}

}  // namespace
