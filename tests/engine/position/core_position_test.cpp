// Set-up of a Position: king squares, material, keys, attack maps, the
// histories, and the piece tables they are built from.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "position/pieces.h"
#include "position/tables.h"

namespace {

using core_test::Board;
using core_test::Sfen;

TEST(CoreSetUp, StartPositionHasBothKingsAndBalancedMaterial) {
  const Position p = core_test::StartPosition();
  EXPECT_EQ(p.King[0], 0x59);
  EXPECT_EQ(p.King[1], 0x51);
  EXPECT_EQ(p.material, 0);
  EXPECT_EQ(p.Hand, 0u);
  EXPECT_EQ(p.Kyokumen, p.Hash ^ p.Hand);
  EXPECT_EQ(p.Ban(0x19), SKY);
  EXPECT_EQ(p.Ban(0x91), EKY);
  EXPECT_EQ(p.Ban(0x58), SFU);
  EXPECT_EQ(p.Ban(0x52), EFU);
}

TEST(CoreSetUp, EmptySquaresContributeTheirKeys) {
  const Position p = Board().Build();
  HashKey expected = 0;
  for (int file = 1; file <= 9; ++file)
    for (int rank = 1; rank <= 9; ++rank) expected ^= BoardKey[EMP][MakeSquare(file, rank)];
  EXPECT_NE(p.Hash, 0u);
  EXPECT_EQ(p.Hash, expected);
  EXPECT_EQ(p.King[0], 0) << "no SELF king on the board";
  EXPECT_EQ(p.King[1], 0) << "no ENEMY king on the board";
}

TEST(CoreSetUp, EveryCellOffTheBoardIsWall) {
  const Position p = Board().Put(0x59, SOU).Build();
  for (int c = -GUARD_CELLS; c < CELL_COUNT; ++c) {
    if (IsSquare(c)) continue;
    EXPECT_EQ(p.Ban(c), WALL) << "cell " << c;
  }
}

TEST(CoreSetUp, OneMorePawnInHandTogglesExactlyItsKey) {
  Board b;
  b.Put(0x59, SOU).Put(0x51, EOU).Hand(SFU, 2).Hand(EKI, 1);
  const Position two = b.Build();
  const Position three = b.Hand(SFU, 3).Build();
  EXPECT_EQ(two.Hash, three.Hash);
  EXPECT_EQ(two.Hand ^ three.Hand, HandKey[SFU][3]);
  EXPECT_EQ(three.material - two.material, 105);
  EXPECT_EQ(two.material, 2 * 105 - 1260);
}

TEST(CoreSetUp, HandCountsAboveTheKeyTableUseKeysUpToEighteen) {
  const Position p = Board().Put(0x59, SOU).Put(0x51, EOU).Hand(SFU, 20).Build();
  HashKey expected = 0;
  for (int n = 1; n <= HAND_MAX; ++n) expected ^= HandKey[SFU][n];
  EXPECT_EQ(p.Hand, expected);
  EXPECT_EQ(p.Motigoma[SFU], 20);
  EXPECT_EQ(p.material, 20 * 105);
}

TEST(CoreAttackMaps, RookRayEndsOnTheWallAndDefendersShow) {
  const Position p = Board().Put(0x55, SHI).Put(0x53, SKI).Put(0x99, SOU).Put(0x11, EOU).Build();
  const uint32_t* self = p.Map(SELF);
  // Down the file to the wall below rank 9, sideways to the walls of files 0 and 10.
  EXPECT_TRUE(self[0x5A] >> (SLIDE_BIT + 1) & 1) << Sfen(p);
  EXPECT_TRUE(self[0x05] >> (SLIDE_BIT + 4) & 1) << Sfen(p);
  EXPECT_TRUE(self[0xA5] >> (SLIDE_BIT + 3) & 1) << Sfen(p);
  // Up the file the ray stops on the own gold, which is thereby defended.
  EXPECT_EQ(self[0x53], 1u << (SLIDE_BIT + 6)) << Sfen(p);
  EXPECT_FALSE(self[0x52] >> (SLIDE_BIT + 6) & 1) << Sfen(p);
  // The gold steps -1 onto 0x52; nothing of ENEMY reaches the rook.
  EXPECT_EQ(self[0x52], 1u << 6) << Sfen(p);
  EXPECT_EQ(p.Map(ENEMY)[0x55], 0u) << Sfen(p);
}

TEST(CoreAttackMaps, KnightInTheCornerWritesNothingOutsideTheMap) {
  const Position p = Board().Put(0x11, SKE).Put(0x99, SOU).Put(0x19, EOU).Build();
  for (int c = -GUARD_CELLS; c < 0; ++c) EXPECT_EQ(p.Ban(c), WALL) << "guard cell " << c;
  for (int c = CELL_COUNT - 4; c < CELL_COUNT; ++c) EXPECT_EQ(p.Ban(c), WALL) << "cell " << c;
  EXPECT_EQ(p.Map(SELF)[0x11 + 14], 1u << 8);
}

TEST(CoreSetUp, HistoriesBelowThePlyAreClearedAndItsOwnEntryWritten) {
  for (int i = 0; i < 8; ++i) {
    KeyHistory[i] = 0xDEAD;
    CheckHistory[i] = 0xBEEF;
  }
  // ENEMY gold on 0x58 checks the SELF king on 0x59 (step +1).
  Board b;
  b.Put(0x59, SOU).Put(0x58, EKI).Put(0x51, EOU);
  const Position odd = b.Build(5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(KeyHistory[i], 0u) << "ply " << i;
    EXPECT_EQ(CheckHistory[i], 0u) << "ply " << i;
  }
  EXPECT_EQ(KeyHistory[5], odd.Kyokumen);
  EXPECT_EQ(CheckHistory[5], 1u << 1) << "ENEMY moved last at an odd ply";
  EXPECT_EQ(KeyHistory[6], 0xDEADu) << "entries above the ply are left alone";

  b.Build(4);
  EXPECT_EQ(CheckHistory[4], 0u) << "SELF moved last at an even ply and gives no check";
}

TEST(CoreGeometry, ScanStopsOnTheFirstOccupiedCellAndDistanceIsTheKingMetric) {
  const Position p = Board().Put(0x52, EFU).Put(0x59, SOU).Put(0x51, EOU).Build();
  EXPECT_EQ(Scan(p, 0x55, -1), 0x52);
  EXPECT_EQ(Scan(p, 0x55, +16), 0xA5) << "the wall beyond file 9";
  EXPECT_EQ(Scan(p, 0x55, +1), 0x59);
  EXPECT_EQ(Distance(0x11, 0x99), 8);
  EXPECT_EQ(Distance(0x55, 0x55), 0);
  EXPECT_EQ(Distance(0x12, 0x34), 2);
  EXPECT_EQ(Distance(0x91, 0x19), 8);
}

// Offset of direction d seen from the other side: the rank part flips.
int Mirrored(int offset) {
  const int rank = ((offset + 8) & 15) - 8;
  const int file = (offset - rank) / 16;
  return 16 * file - rank;
}

int DirectionIndex(int offset) {
  for (int d = 0; d < DIRECTIONS; ++d)
    if (Direction[d] == offset) return d;
  return -1;
}

TEST(CoreTables, EnemyPiecesMoveAsMirroredSelfPieces) {
  for (int kind = 1; kind < 16; ++kind)
    for (int d = 0; d < DIRECTIONS; ++d) {
      const int m = DirectionIndex(Mirrored(Direction[d]));
      ASSERT_GE(m, 0) << "direction " << d;
      EXPECT_EQ(CanStep[d][SELF | kind], CanStep[m][ENEMY | kind]) << KindName[kind] << " d" << d;
      EXPECT_EQ(CanSlide[d][SELF | kind], CanSlide[m][ENEMY | kind]) << KindName[kind] << " d" << d;
      EXPECT_EQ(BoardValue[SELF | kind], -BoardValue[ENEMY | kind]) << KindName[kind];
      EXPECT_EQ(HandValue[SELF | kind], -HandValue[ENEMY | kind]) << KindName[kind];
    }
}

// Bit c of row d is CanStep[d][c] (CanSlide[d][c]), as the tables were
// when they were written out entry by entry.
constexpr uint64_t RECORDED_STEPS[DIRECTIONS] = {
    0x0000bf3081100000ull, 0x00007f327f200000ull, 0x0000bf3081100000ull, 0x00007f207f200000ull,
    0x00007f207f200000ull, 0x00008110bf300000ull, 0x00007f207f320000ull, 0x00008110bf300000ull,
    0x0000000000080000ull, 0x0000000000080000ull, 0x0000000800000000ull, 0x0000000800000000ull};
constexpr uint64_t RECORDED_SLIDES[DIRECTIONS] = {
    0x0000404040400000ull, 0x0000808480800000ull, 0x0000404040400000ull, 0x0000808080800000ull,
    0x0000808080800000ull, 0x0000404040400000ull, 0x0000808080840000ull, 0x0000404040400000ull,
    0x0000000000000000ull, 0x0000000000000000ull, 0x0000000000000000ull, 0x0000000000000000ull};

TEST(CoreTables, StepAndSlideTablesKeepTheirRecordedValues) {
  for (int d = 0; d < DIRECTIONS; ++d) {
    uint64_t steps = 0, slides = 0;
    for (int c = 0; c < 64; ++c) {
      if (CanStep[d][c]) steps |= uint64_t{1} << c;
      if (CanSlide[d][c]) slides |= uint64_t{1} << c;
    }
    EXPECT_EQ(steps, RECORDED_STEPS[d]) << "CanStep row " << d;
    EXPECT_EQ(slides, RECORDED_SLIDES[d]) << "CanSlide row " << d;
  }
}

TEST(CoreTables, UnusedPromotedCodeMovesLikeAGoldAndEmptyCodesNotAtAll) {
  for (int d = 0; d < DIRECTIONS; ++d) {
    EXPECT_EQ(CanStep[d][29], CanStep[d][SKI]) << "d" << d;
    EXPECT_EQ(CanStep[d][45], CanStep[d][EKI]) << "d" << d;
    for (int code : {int(EMP), 1, 16, 32, int(WALL), 63}) {
      EXPECT_FALSE(CanStep[d][code]) << code;
      EXPECT_FALSE(CanSlide[d][code]) << code;
    }
  }
  // Promoted pieces count nothing on the board; hand values sit 5 % above.
  EXPECT_EQ(BoardValue[SRY], 0);
  EXPECT_EQ(BoardValue[ETO], 0);
  EXPECT_EQ(HandValue[SHI], 2100);
  EXPECT_EQ(HandValue[EFU], -105);
}

}  // namespace
