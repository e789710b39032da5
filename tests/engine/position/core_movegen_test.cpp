// Move generation: the order of the lists, check evasions, pins and the
// drop rules.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "position/makemove.h"

namespace {

using core_test::Board;
using core_test::HasMove;
using core_test::Listing;
using core_test::Sfen;

struct Generated {
  MoveList list;
  int count = 0;
  std::string Text() const { return Listing(list, count); }
};

Generated Generate(const Position& p, int side) {
  Generated g;
  g.count = GenerateMoves(p, side, g.list);
  return g;
}

TEST(CoreMoveOrder, BoardMovesRunFileByFileThenRankByRankInPieceOrder) {
  const Position p = Board().Put(0x38, SGI).Put(0x57, SFU).Put(0x59, SOU).Put(0x51, EOU).Build();
  EXPECT_EQ(Generate(p, SELF).Text(), "3h3g 3h2g 3h4g 3h4i 3h2i 5g5f 5i4h 5i5h 5i6h 5i4i 5i6i")
      << Sfen(p);
}

TEST(CoreMoveOrder, DropsRunKindByKindThenFileByFile) {
  const Position p =
      Board().Put(0x17, SFU).Put(0x99, SOU).Put(0x91, EOU).Hand(SKI, 1).Hand(SFU, 1).Build();
  const Generated g = Generate(p, SELF);
  int firstPawn = -1, lastPawn = -1, firstGold = -1;
  for (int i = 0; i < g.count; ++i) {
    if (!IsDrop(g.list[i])) continue;
    if (g.list[i].piece == SFU) {
      if (firstPawn < 0) firstPawn = i;
      lastPawn = i;
    }
    if (g.list[i].piece == SKI && firstGold < 0) firstGold = i;
  }
  ASSERT_GE(firstPawn, 0) << g.Text();
  ASSERT_GE(firstGold, 0) << g.Text();
  EXPECT_EQ(core_test::Usi(g.list[firstPawn]), "P*2b") << "file 1 holds a pawn; rank 1 is barred";
  EXPECT_EQ(core_test::Usi(g.list[firstGold]), "G*1a");
  EXPECT_EQ(core_test::Usi(g.list[firstGold + 1]), "G*1b");
  EXPECT_LT(lastPawn, firstGold) << g.Text();
}

TEST(CoreEvasion, SlidingCheckListsKingMovesThenInterpositionsClosestFirst) {
  // Rook on 5a checks the king on 5e down the file; a gold in hand.
  const Position p = Board().Put(0x55, SOU).Put(0x51, EHI).Put(0x11, EOU).Hand(SKI, 1).Build();
  const Generated g = Generate(p, SELF);
  // 5d stays on the file, 5f lies on the rook's line behind the king.
  EXPECT_EQ(g.Text(), "5e4d 5e6d 5e4e 5e6e 5e4f 5e6f G*5d G*5c G*5b") << Sfen(p);
  EXPECT_FALSE(HasMove(g.list, g.count, 0x55, 0x56, SOU))
      << "king retreated along the checking line";
}

TEST(CoreEvasion, KnightCheckAllowsNoInterposition) {
  // ENEMY knight on 4g jumps +18 onto the king on 5i.
  const Position p = Board()
                         .Put(0x59, SOU)
                         .Put(0x47, EKE)
                         .Put(0x48, SKI)
                         .Put(0x77, SHI)
                         .Put(0x51, EOU)
                         .Hand(SGI, 1)
                         .Build();
  const Generated g = Generate(p, SELF);
  ASSERT_GT(g.count, 0) << Sfen(p);
  for (int i = 0; i < g.count; ++i) {
    const Move& m = g.list[i];
    EXPECT_FALSE(IsDrop(m)) << core_test::Usi(m) << " in " << Sfen(p);
    EXPECT_TRUE(m.from == 0x59 || m.to == 0x47) << core_test::Usi(m) << " in " << Sfen(p);
  }
  EXPECT_TRUE(HasMove(g.list, g.count, 0x48, 0x47, SKI)) << g.Text();
  EXPECT_TRUE(HasMove(g.list, g.count, 0x77, 0x47, SHI))
      << "rook slides onto the checker: " << g.Text();
}

TEST(CoreEvasion, DoubleCheckListsKingMovesOnly) {
  // Knight on 4g and rook on 5a both check the king on 5i.
  const Position p = Board()
                         .Put(0x59, SOU)
                         .Put(0x47, EKE)
                         .Put(0x51, EHI)
                         .Put(0x48, SKI)
                         .Put(0x11, EOU)
                         .Hand(SFU, 1)
                         .Build();
  const Generated g = Generate(p, SELF);
  ASSERT_GT(g.count, 0) << Sfen(p);
  for (int i = 0; i < g.count; ++i)
    EXPECT_EQ(g.list[i].from, 0x59) << core_test::Usi(g.list[i]) << " in " << Sfen(p);
}

// The second player answering a diagonal check from the bishop on 5e to the
// king on 1i. The list runs: captures of the checker by direction (gold
// stepping +1, rook sliding -16, silver stepping -17, knight jumping +18),
// king moves, board interpositions from the king outward (lance down file 2
// onto 2h, knight onto 3g), then drops square by square from the king
// outward. Counted from its own side, 2h is the second rank: pawn and lance
// may go there, the knight may not. File 3 already holds a pawn.
TEST(CoreEvasion, EnemyAnswersInOrderCapturesKingMovesInterpositionsDrops) {
  const Position p = Board()
                         .Put(0x19, EOU)
                         .Put(0x55, SKA)
                         .Put(0x91, SOU)
                         .Put(0x54, EKI)
                         .Put(0x85, EHI)
                         .Put(0x66, EGI)
                         .Put(0x43, EKE)
                         .Put(0x45, EKE)
                         .Put(0x21, EKY)
                         .Put(0x33, EFU)
                         .Hand(EFU, 1)
                         .Hand(EKY, 1)
                         .Hand(EKE, 1)
                         .Hand(EGI, 1)
                         .Build();
  EXPECT_EQ(Generate(p, ENEMY).Text(),
            "5d5e 8e5e 6f5e 4c5e 1i1h 1i2i 2a2h 4e3g "
            "P*2h L*2h S*2h L*3g N*3g S*3g P*4f L*4f N*4f S*4f")
      << Sfen(p);
}

// A missing king has square 0, and cell 0 can carry attack bits (a gold on
// 1a steps onto it). A side without a king is never in check: it gets its
// ordinary moves, and a move against it records no check.
TEST(CoreEvasion, SideWithoutAKingIsNeverInCheck) {
  const Position p = Board().Put(0x11, SKI).Put(0x59, SOU).Put(0x53, EFU).Build();
  ASSERT_NE(p.Map(SELF)[0], 0u) << "the gold on 1a marks cell 0";
  EXPECT_EQ(Generate(p, ENEMY).Text(), "5c5d") << Sfen(p);
  Position q = p;
  MakeMove(q, SELF, core_test::BoardMove(p, 0x59, 0x58));
  EXPECT_EQ(CheckHistory[q.ply], 0u);
}

TEST(CorePins, PinnedRookMovesOnlyAlongThePinLine) {
  const Position p = Board().Put(0x59, SOU).Put(0x57, SHI).Put(0x53, EHI).Put(0x11, EOU).Build();
  PinTable pins;
  ComputePins(p, pins);
  EXPECT_EQ(pins[0x57], 1) << "moving +1 leads toward the own king";
  const Generated g = Generate(p, SELF);
  std::string rook;
  for (int i = 0; i < g.count; ++i)
    if (g.list[i].from == 0x57) rook += core_test::Usi(g.list[i]) + " ";
  EXPECT_EQ(rook, "5g5h 5g5f 5g5e 5g5d 5g5c ") << Sfen(p);
  EXPECT_EQ(g.list[0].capture, EMP);
}

TEST(CoreAttackers, BoardScanIsBlockedByTheKingAndPinsFilterPieces) {
  // Rook on 5a checks the king on 5e; the gold on 6d is pinned by the bishop
  // on 8b against the king.
  const Position p =
      Board().Put(0x55, SOU).Put(0x51, EHI).Put(0x64, SKI).Put(0x82, EKA).Put(0x11, EOU).Build();
  EXPECT_EQ(Attackers(p, ENEMY, 0x55), 1u << (SLIDE_BIT + 1)) << Sfen(p);
  EXPECT_EQ(Attackers(p, ENEMY, 0x56), 0u) << "the king blocks the rook's ray: " << Sfen(p);
  // The gold steps +1 (direction 1) onto 6e and -16 (direction 4) onto 5d.
  EXPECT_EQ(Attackers(p, SELF, 0x65), 1u << 1 | 1u << 3) << "gold and king both reach 6e";
  PinTable pins;
  ComputePins(p, pins);
  EXPECT_EQ(pins[0x64], -15) << Sfen(p);
  EXPECT_EQ(AttackersWithPins(p, SELF, 0x65, pins), 1u << 3) << "the pinned gold leaves 6e";
  EXPECT_EQ(AttackersWithPins(p, SELF, 0x73, pins), 1u << 5) << "it may still move along the pin";
}

TEST(CoreMoveGeneration, NoGeneratedMoveEverPromotes) {
  const Position p = Board()
                         .Put(0x32, SFU)
                         .Put(0x43, SKE)
                         .Put(0x64, SGI)
                         .Put(0x84, SKY)
                         .Put(0x99, SOU)
                         .Put(0x11, EOU)
                         .Put(0x78, EFU)
                         .Build();
  const Generated g = Generate(p, SELF);
  EXPECT_TRUE(HasMove(g.list, g.count, 0x32, 0x31, SFU))
      << "pawn steps onto the last rank: " << g.Text();
  EXPECT_TRUE(HasMove(g.list, g.count, 0x43, 0x31, SKE)) << g.Text();
  for (int i = 0; i < g.count; ++i) EXPECT_EQ(g.list[i].promote, 0) << core_test::Usi(g.list[i]);
  const Generated e = Generate(p, ENEMY);
  EXPECT_TRUE(HasMove(e.list, e.count, 0x78, 0x79, EFU)) << e.Text();
  for (int i = 0; i < e.count; ++i) EXPECT_EQ(e.list[i].promote, 0) << core_test::Usi(e.list[i]);
}

// Lowest and highest rank on which the drops of code appear.
void DropRanks(const Generated& g, int code, int& lo, int& hi) {
  lo = 10;
  hi = 0;
  for (int i = 0; i < g.count; ++i) {
    if (!IsDrop(g.list[i]) || g.list[i].piece != code) continue;
    const int r = RankOf(g.list[i].to);
    lo = r < lo ? r : lo;
    hi = r > hi ? r : hi;
  }
}

TEST(CoreDrops, LastRanksAreBarredToPawnsLancesAndKnights) {
  const Position p = Board()
                         .Put(0x99, SOU)
                         .Put(0x11, EOU)
                         .Hand(SFU, 1)
                         .Hand(SKY, 1)
                         .Hand(SKE, 1)
                         .Hand(SGI, 1)
                         .Hand(EFU, 1)
                         .Hand(EKY, 1)
                         .Hand(EKE, 1)
                         .Hand(EGI, 1)
                         .Build();
  const Generated s = Generate(p, SELF);
  const Generated e = Generate(p, ENEMY);
  struct Case {
    const Generated* g;
    int code, lo, hi;
  } cases[] = {{&s, SFU, 2, 9}, {&s, SKY, 2, 9}, {&s, SKE, 3, 9}, {&s, SGI, 1, 9},
               {&e, EFU, 1, 8}, {&e, EKY, 1, 8}, {&e, EKE, 1, 7}, {&e, EGI, 1, 9}};
  for (const Case& c : cases) {
    int lo, hi;
    DropRanks(*c.g, c.code, lo, hi);
    EXPECT_EQ(lo, c.lo) << "lowest rank of code " << c.code << " in " << Sfen(p);
    EXPECT_EQ(hi, c.hi) << "highest rank of code " << c.code << " in " << Sfen(p);
  }
}

TEST(CoreDrops, OnlyAnUnpromotedOwnPawnClosesItsFile) {
  const Position p = Board()
                         .Put(0x57, SFU)
                         .Put(0x37, STO)
                         .Put(0x73, EFU)
                         .Put(0x99, SOU)
                         .Put(0x11, EOU)
                         .Hand(SFU, 1)
                         .Build();
  const Generated g = Generate(p, SELF);
  for (int i = 0; i < g.count; ++i)
    if (IsDrop(g.list[i])) {
      EXPECT_NE(FileOf(g.list[i].to), 5) << core_test::Usi(g.list[i]);
    }
  EXPECT_TRUE(HasMove(g.list, g.count, 0, 0x36, SFU)) << "promoted pawn must not close file 3";
  EXPECT_TRUE(HasMove(g.list, g.count, 0, 0x76, SFU)) << "an ENEMY pawn must not close file 7";
}

// ENEMY king on 5a between its lances on 4a and 6a; a SELF gold on 5c covers
// 5b, 4b and 6b. A pawn dropped on 5b checks with no escape.
Board PawnDropMateBoard() {
  Board b;
  b.Put(0x51, EOU).Put(0x41, EKY).Put(0x61, EKY).Put(0x53, SKI).Put(0x99, SOU).Hand(SFU, 1);
  return b;
}

TEST(CoreDrops, PawnDropMateIsNeverListed) {
  const Position p = PawnDropMateBoard().Build();
  const Generated g = Generate(p, SELF);
  EXPECT_FALSE(HasMove(g.list, g.count, 0, 0x52, SFU)) << Sfen(p);
  EXPECT_TRUE(HasMove(g.list, g.count, 0, 0x54, SFU)) << "other pawn drops stay: " << Sfen(p);
  Position copy = p;
  EXPECT_TRUE(PawnDropMates(copy, SELF, 0x52, nullptr));
  EXPECT_EQ(copy.Ban(0x52), EMP) << "the trial pawn must be gone";
}

TEST(CoreDrops, PawnDropCheckIsListedWhenItCanBeAnswered) {
  struct Case {
    const char* what;
    Board board;
  } cases[] = {
      {"flight square 6a free", PawnDropMateBoard().Put(0x61, EMP)},
      {"silver on 6c takes the pawn", PawnDropMateBoard().Put(0x63, EGI)},
      {"pawn undefended", PawnDropMateBoard().Put(0x53, EMP).Put(0x54, SKI)},
  };
  for (const Case& c : cases) {
    const Position p = c.board.Build();
    const Generated g = Generate(p, SELF);
    EXPECT_TRUE(HasMove(g.list, g.count, 0, 0x52, SFU)) << c.what << ": " << Sfen(p);
  }
}

TEST(CoreDrops, PinnedDefenderCannotSaveTheKingFromAPawnDrop) {
  // ENEMY gold on 6b could take on 5b, but a SELF bishop on 8d pins it to the king.
  const Position p = PawnDropMateBoard().Put(0x61, EKY).Put(0x62, EKI).Put(0x84, SKA).Build();
  const Generated g = Generate(p, SELF);
  EXPECT_FALSE(HasMove(g.list, g.count, 0, 0x52, SFU)) << Sfen(p);
  const Position free = PawnDropMateBoard().Put(0x62, EKI).Build();
  const Generated f = Generate(free, SELF);
  EXPECT_TRUE(HasMove(f.list, f.count, 0, 0x52, SFU)) << "unpinned gold takes: " << Sfen(free);
}

TEST(CoreDrops, EnemyPawnDropMateIsNeverListed) {
  // Mirror image: SELF king on 5i between lances, ENEMY gold on 5g.
  const Position p = Board()
                         .Put(0x59, SOU)
                         .Put(0x49, SKY)
                         .Put(0x69, SKY)
                         .Put(0x57, EKI)
                         .Put(0x11, EOU)
                         .Hand(EFU, 1)
                         .Build();
  const Generated g = Generate(p, ENEMY);
  EXPECT_FALSE(HasMove(g.list, g.count, 0, 0x58, EFU)) << Sfen(p);
  EXPECT_TRUE(HasMove(g.list, g.count, 0, 0x56, EFU)) << Sfen(p);
}

}  // namespace
