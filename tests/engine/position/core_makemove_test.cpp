// Make-move keeps every derived field exact; the legality tests reject what
// no longer fits; checking moves are those that attack the other king.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "position/makemove.h"
#include "position/tables.h"

namespace {

using core_test::Board;
using core_test::BoardMove;
using core_test::DiffFromFreshSetUp;
using core_test::Drop;
using core_test::Sfen;
using core_test::Usi;

TEST(CoreMakeMove, PieceMovingAwayOpensTheRayBehindItAndADropCutsItAgain) {
  // Rook on 5i behind the gold on 5g; the gold steps aside to 4g.
  Position p =
      Board().Put(0x59, SHI).Put(0x57, SKI).Put(0x99, SOU).Put(0x11, EOU).Hand(EKI, 1).Build();
  const uint32_t rayBit = 1u << (SLIDE_BIT + 6);
  ASSERT_FALSE(p.Map(SELF)[0x56] & rayBit);
  MakeMove(p, SELF, BoardMove(p, 0x57, 0x47));
  for (int sq = 0x58; sq >= 0x51; --sq) EXPECT_TRUE(p.Map(SELF)[sq] & rayBit) << "square " << sq;
  EXPECT_TRUE(p.Map(SELF)[0x50] & rayBit) << "the ray ends on the wall";
  EXPECT_EQ(DiffFromFreshSetUp(p), "") << Sfen(p);

  MakeMove(p, ENEMY, Drop(EKI, 0x55));
  EXPECT_TRUE(p.Map(SELF)[0x55] & rayBit) << "the dropped gold is attacked by the rook";
  for (int sq = 0x54; sq >= 0x50; --sq) EXPECT_FALSE(p.Map(SELF)[sq] & rayBit) << "square " << sq;
  EXPECT_EQ(DiffFromFreshSetUp(p), "") << Sfen(p);
}

TEST(CoreMakeMove, RayThroughAnEmptyDestinationIsCutThere) {
  // The gold on 5g steps to 5f along the lance's file: the lance's ray runs
  // through the vacated 5g and stops on the gold's new square.
  Position p = Board().Put(0x59, SKY).Put(0x57, SKI).Put(0x99, SOU).Put(0x11, EOU).Build();
  const uint32_t rayBit = 1u << (SLIDE_BIT + 6);
  MakeMove(p, SELF, BoardMove(p, 0x57, 0x56));
  EXPECT_TRUE(p.Map(SELF)[0x57] & rayBit);
  EXPECT_TRUE(p.Map(SELF)[0x56] & rayBit);
  for (int sq = 0x55; sq >= 0x50; --sq) EXPECT_FALSE(p.Map(SELF)[sq] & rayBit) << "square " << sq;
  EXPECT_EQ(DiffFromFreshSetUp(p), "") << Sfen(p);
}

TEST(CoreMakeMove, CapturingADragonPutsARookInHandAndCountsItsHandValue) {
  Position p = Board().Put(0x56, SKI).Put(0x55, ERY).Put(0x99, SOU).Put(0x11, EOU).Build();
  const int before = p.material;
  const HashKey hand = p.Hand;
  const Move m = BoardMove(p, 0x56, 0x55);
  EXPECT_EQ(m.capture, ERY);
  MakeMove(p, SELF, m);
  EXPECT_EQ(p.Motigoma[SHI], 1);
  EXPECT_EQ(p.Motigoma[ERY & KIND_MASK], 0);
  EXPECT_EQ(p.material - before, 2100) << "a dragon is worth 0 on the board";
  EXPECT_EQ(p.Hand ^ hand, HandKey[SHI][1]);
  EXPECT_EQ(p.Map(ENEMY)[0x54], 0u) << "the dragon's attacks are gone";
  EXPECT_EQ(DiffFromFreshSetUp(p), "") << Sfen(p);
}

TEST(CoreMakeMove, PromotionCountsThePromotedPieceAsZero) {
  Position p = Board().Put(0x34, SFU).Put(0x99, SOU).Put(0x11, EOU).Build();
  const int before = p.material;
  MakeMove(p, SELF, BoardMove(p, 0x34, 0x33, 1));
  EXPECT_EQ(p.Ban(0x33), STO);
  EXPECT_EQ(p.material - before, -100);
  EXPECT_EQ(p.Map(SELF)[0x43], 1u << 3) << "the promoted pawn steps like a gold";
  EXPECT_EQ(DiffFromFreshSetUp(p), "") << Sfen(p);
}

TEST(CoreMakeMove, DropTakesThePieceFromHandWithItsKey) {
  Position p = Board().Put(0x99, SOU).Put(0x11, EOU).Hand(SGI, 2).Build();
  const HashKey hand = p.Hand;
  const int before = p.material;
  MakeMove(p, SELF, Drop(SGI, 0x55));
  EXPECT_EQ(p.Motigoma[SGI], 1);
  EXPECT_EQ(p.Hand ^ hand, HandKey[SGI][2]);
  EXPECT_EQ(p.material - before, 1000 - 1050);
  EXPECT_EQ(DiffFromFreshSetUp(p), "") << Sfen(p);
}

TEST(CoreMakeMove, HandCountsBeyondEighteenToggleNoKey) {
  Position p = Board()
                   .Put(0x56, SKI)
                   .Put(0x55, EFU)
                   .Put(0x99, SOU)
                   .Put(0x11, EOU)
                   .Hand(SFU, HAND_MAX)
                   .Build();
  HashKey hand = p.Hand;
  MakeMove(p, SELF, BoardMove(p, 0x56, 0x55));
  EXPECT_EQ(p.Motigoma[SFU], HAND_MAX + 1);
  EXPECT_EQ(p.Hand, hand) << "the nineteenth pawn has no key";
  MakeMove(p, ENEMY, BoardMove(p, 0x11, 0x12));
  MakeMove(p, SELF, Drop(SFU, 0x35));
  EXPECT_EQ(p.Motigoma[SFU], HAND_MAX);
  EXPECT_EQ(p.Hand, hand) << "dropping from nineteen toggles nothing either";
  MakeMove(p, ENEMY, BoardMove(p, 0x12, 0x11));
  MakeMove(p, SELF, Drop(SFU, 0x45));
  EXPECT_EQ(p.Hand ^ hand, HandKey[SFU][HAND_MAX]);
}

TEST(CoreMakeMove, KnightOnTheCornerCellWritesNothingOutsideTheMap) {
  // SELF knight from 2c to 1a attacks cell -1 (0x11 - 18), which has no word.
  Position p = Board().Put(0x23, SKE).Put(0x99, SOU).Put(0x91, EOU).Build();
  MakeMove(p, SELF, BoardMove(p, 0x23, 0x11));
  for (int c = -GUARD_CELLS; c < 0; ++c) EXPECT_EQ(p.Ban(c), WALL) << "guard cell " << c;
  for (int c = CELL_COUNT - 4; c < CELL_COUNT; ++c) EXPECT_EQ(p.Ban(c), WALL) << "cell " << c;
  EXPECT_EQ(DiffFromFreshSetUp(p), "") << Sfen(p);
}

void Play(Position& p, int side, const std::initializer_list<std::pair<int, int>>& moves) {
  for (const auto& ft : moves) {
    MakeMove(p, side, BoardMove(p, ft.first, ft.second));
    side = Opponent(side);
  }
}

TEST(CoreMakeMove, PositionKeyDoesNotDependOnTheMoveOrder) {
  const Position start = core_test::StartPosition();
  Position a = start, b = start;
  Play(a, SELF, {{0x78, 0x77}, {0x32, 0x33}, {0x28, 0x27}, {0x82, 0x83}});
  Play(b, SELF, {{0x28, 0x27}, {0x82, 0x83}, {0x78, 0x77}, {0x32, 0x33}});
  EXPECT_EQ(a.Kyokumen, b.Kyokumen) << Sfen(a) << " vs " << Sfen(b);
  EXPECT_NE(a.Kyokumen, start.Kyokumen);
  EXPECT_EQ(a.ply, 4);
  EXPECT_EQ(KeyHistory[4], b.Kyokumen) << "the last position made is recorded at its ply";
}

TEST(CoreMakeMove, HistoriesRecordTheKeyAndWhetherTheMoveChecked) {
  Position p = Board().Put(0x99, SOU).Put(0x51, EOU).Hand(SKI, 1).Build(10);
  MakeMove(p, SELF, Drop(SKI, 0x52));
  EXPECT_EQ(p.ply, 11);
  EXPECT_EQ(KeyHistory[11], p.Kyokumen);
  EXPECT_EQ(CheckHistory[11], 1u << 6) << "gold on 5b checks by stepping -1";
  MakeMove(p, ENEMY, BoardMove(p, 0x51, 0x52));
  EXPECT_EQ(CheckHistory[12], 0u);
  EXPECT_EQ(p.King[1], 0x52);
  EXPECT_EQ(p.Motigoma[EKI], 1);
}

TEST(CoreIsLegal, RejectsMovesThatNoLongerFit) {
  // Rook on 5e pinned by the lance on 5a against the king on 5i; gold on 7g.
  const Position p = Board()
                         .Put(0x59, SOU)
                         .Put(0x55, SHI)
                         .Put(0x51, EKY)
                         .Put(0x77, SKI)
                         .Put(0x73, EGI)
                         .Put(0x11, EOU)
                         .Hand(SGI, 1)
                         .Build();
  struct Case {
    const char* why;
    Move m;
    int expected;
  } cases[] = {
      {"rook along the pin", BoardMove(p, 0x55, 0x53), 1},
      {"rook takes the pinner", BoardMove(p, 0x55, 0x51), 1},
      {"rook leaves the pin line", BoardMove(p, 0x55, 0x45), 0},
      {"gold steps forward", BoardMove(p, 0x77, 0x76), 1},
      {"piece has gone", BoardMove(p, 0x77, 0x76), 0},
      {"silver in hand dropped", Drop(SGI, 0x35), 1},
      {"gold not in hand", Drop(SKI, 0x35), 0},
      {"drop on an occupied square", Drop(SGI, 0x73), 0},
      {"onto an own piece", BoardMove(p, 0x55, 0x59), 0},
      {"ENEMY piece moved by SELF", BoardMove(p, 0x73, 0x74), 0},
      {"destination off the cell range", BoardMove(p, 0x77, 0x76), 0},
      {"a wall as the piece", BoardMove(p, 0x77, 0x76), 0},
  };
  cases[4].m.piece = SGI;  // the gold's square now holds something else
  cases[10].m.to = 200;
  cases[11].m.from = 0x0A;
  cases[11].m.piece = WALL;
  for (Case& c : cases)
    EXPECT_EQ(IsLegal(p, SELF, c.m), c.expected) << c.why << ": " << Usi(c.m) << " in " << Sfen(p);

  // Blocked path: the rook's way to 5b closes once a piece stands on 5c.
  Move far = BoardMove(p, 0x55, 0x52);
  EXPECT_EQ(IsLegal(p, SELF, far), 1);
  Position q = p;
  MakeMove(q, SELF, BoardMove(q, 0x77, 0x76));
  MakeMove(q, ENEMY, Drop(EKI, 0x53));
  EXPECT_EQ(IsLegal(q, SELF, far), 0) << Usi(far) << " in " << Sfen(q);
}

TEST(CoreIsLegal, MoveFitsRefreshesTheCaptureAndLeavesSelfCheckToTheFullTest) {
  // Rook on 5a checks the king on 5e; 5f is attacked only through the king.
  const Position p = Board().Put(0x55, SOU).Put(0x51, EHI).Put(0x11, EOU).Put(0x46, EFU).Build();
  Move back = BoardMove(p, 0x55, 0x56);
  EXPECT_EQ(MoveFits(p, back), 1);
  EXPECT_EQ(IsLegal(p, SELF, back), 0) << Usi(back) << " in " << Sfen(p);
  Move take = BoardMove(p, 0x55, 0x46);
  take.capture = EMP;
  EXPECT_EQ(MoveFits(p, take), 1);
  EXPECT_EQ(take.capture, EFU);
  Move attacked = BoardMove(p, 0x55, 0x54);
  EXPECT_EQ(MoveFits(p, attacked), 0) << "5d is on the rook's ray";
}

TEST(CoreIsLegal, PawnDropThatMatesDoesNotFit) {
  const Position p = Board()
                         .Put(0x51, EOU)
                         .Put(0x41, EKY)
                         .Put(0x61, EKY)
                         .Put(0x53, SKI)
                         .Put(0x99, SOU)
                         .Hand(SFU, 1)
                         .Build();
  Move mate = Drop(SFU, 0x52);
  EXPECT_EQ(MoveFits(p, mate), 0) << Sfen(p);
  Move other = Drop(SFU, 0x44);
  EXPECT_EQ(IsLegal(p, SELF, other), 1) << Sfen(p);
}

TEST(CoreCheckingMoves, NoneFromTheStartPosition) {
  MoveList list;
  EXPECT_EQ(CheckingMoves(core_test::StartPosition(), SELF, list), 0);
  EXPECT_EQ(CheckingMoves(core_test::StartPosition(), ENEMY, list), 0);
}

TEST(CoreCheckingMoves, KeepsTheCheckingDropsInGeneratedOrder) {
  const Position p = Board().Put(0x99, SOU).Put(0x11, EOU).Hand(SKI, 1).Build();
  MoveList list;
  const int n = CheckingMoves(p, SELF, list);
  EXPECT_EQ(core_test::Listing(list, n), "G*1b G*2a G*2b") << Sfen(p);
}

}  // namespace
