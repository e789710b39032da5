// Transposition table: cut-off conditions, replacement, hash moves, trace.
#include <cstdio>
#include <cstring>
#include <string>

#include "search/search.h"
#include "search_fixture.h"

namespace {

constexpr HashKey KEY_A = 0x123456789ABCDEF1ull;
// Same slot as KEY_A (same low 20 bits), another position.
constexpr HashKey KEY_B = KEY_A ^ 0x0000000100000000ull;

Position Keyed(HashKey key, int gamePly) {
  Position p{};
  p.Kyokumen = key;
  p.ply = gamePly;
  return p;
}

struct Pv {
  Move m[PV_SIZE * PV_SIZE] = {};
  Move& at(int row, int col) { return m[row * PV_SIZE + col]; }
};

using TranspositionTest = SearchTest;

TEST_F(TranspositionTest, MissOnEmptySlotAndOnAnotherPosition) {
  Pv pv;
  int32_t v = 7;
  Position a = Keyed(KEY_A, 10);
  EXPECT_EQ(ProbeTable(a, 2, 4, -100, 100, &v), PROBE_MISS);
  StoreTable(Keyed(KEY_B, 10), 2, 4, -100, 100, 500, pv.at(2, 2));
  EXPECT_EQ(ProbeTable(a, 2, 4, -100, 100, &v), PROBE_MISS);
  EXPECT_EQ(v, 7) << "a miss must not write the value";
}

TEST_F(TranspositionTest, ExactValueInsideTheWindowIsSearchedAgain) {
  Pv pv;
  Position a = Keyed(KEY_A, 10);
  StoreTable(a, 2, 4, -100, 100, 50, pv.at(2, 2));
  EXPECT_EQ(TableSlot(KEY_A).bound, BOUND_EXACT);
  int32_t v = 0;
  EXPECT_EQ(ProbeTable(a, 2, 4, -100, 100, &v), PROBE_HIT);
  EXPECT_EQ(ProbeTable(a, 2, 4, 40, 100, &v), PROBE_HIT);
  // Outside the window an exact value decides the node either way.
  EXPECT_EQ(ProbeTable(a, 2, 4, 60, 100, &v), PROBE_CUT);
  EXPECT_EQ(v, 50);
  EXPECT_EQ(ProbeTable(a, 2, 4, -100, 50, &v), PROBE_CUT);
}

TEST_F(TranspositionTest, LowerBoundCutsOnlyAtOrAboveBeta) {
  Pv pv;
  Position a = Keyed(KEY_A, 10);
  StoreTable(a, 2, 4, -100, 200, 300, pv.at(2, 2));
  EXPECT_EQ(TableSlot(KEY_A).bound, BOUND_LOWER);
  int32_t v = 0;
  EXPECT_EQ(ProbeTable(a, 2, 4, -100, 250, &v), PROBE_CUT);
  EXPECT_EQ(v, 300);
  EXPECT_EQ(ProbeTable(a, 2, 4, 400, 500, &v), PROBE_HIT)
      << "a lower bound below alpha says nothing";
}

TEST_F(TranspositionTest, UpperBoundCutsOnlyAtOrBelowAlpha) {
  Pv pv;
  Position a = Keyed(KEY_A, 10);
  StoreTable(a, 2, 4, -200, 200, -300, pv.at(2, 2));
  EXPECT_EQ(TableSlot(KEY_A).bound, BOUND_UPPER);
  EXPECT_TRUE(IsEmptyMove(TableSlot(KEY_A).best)) << "no best move when nothing beat alpha";
  int32_t v = 0;
  EXPECT_EQ(ProbeTable(a, 2, 4, -250, 100, &v), PROBE_CUT);
  EXPECT_EQ(v, -300);
  EXPECT_EQ(ProbeTable(a, 2, 4, -500, -400, &v), PROBE_HIT)
      << "an upper bound above beta says nothing";
}

TEST_F(TranspositionTest, CutOffNeedsSameParityNoLaterGamePlyNoShallowerPlyAndDepth) {
  Pv pv;
  StoreTable(Keyed(KEY_A, 10), 2, 5, -100, 100, 500, pv.at(2, 2));  // lower bound, depth left 3
  int32_t v = 0;
  EXPECT_EQ(ProbeTable(Keyed(KEY_A, 10), 2, 5, -100, 100, &v), PROBE_CUT);
  EXPECT_EQ(ProbeTable(Keyed(KEY_A, 8), 2, 5, -100, 100, &v), PROBE_CUT) << "earlier game ply";
  EXPECT_EQ(ProbeTable(Keyed(KEY_A, 12), 2, 5, -100, 100, &v), PROBE_HIT) << "later game ply";
  EXPECT_EQ(ProbeTable(Keyed(KEY_A, 9), 2, 5, -100, 100, &v), PROBE_HIT) << "other side to move";
  EXPECT_EQ(ProbeTable(Keyed(KEY_A, 10), 1, 4, -100, 100, &v), PROBE_HIT) << "shallower ply";
  EXPECT_EQ(ProbeTable(Keyed(KEY_A, 10), 3, 6, -100, 100, &v), PROBE_CUT)
      << "deeper ply, same depth";
  EXPECT_EQ(ProbeTable(Keyed(KEY_A, 10), 2, 6, -100, 100, &v), PROBE_HIT) << "one ply short";
}

TEST_F(TranspositionTest, DeeperEntryOfAnotherPositionFromTheSameRootKeepsItsSlot) {
  Pv pv;
  pv.at(2, 2) = Mv(0x77, 0x76, SFU);
  StoreTable(Keyed(KEY_A, 12), 2, 5, -100, 100, 50, pv.at(2, 2));  // root game ply 10, depth left 3
  const TranspositionEntry before = TableSlot(KEY_A);
  pv.at(3, 3) = Mv(0x33, 0x34, EFU);
  EXPECT_FALSE(StoreTable(Keyed(KEY_B, 13), 3, 5, -100, 100, 60, pv.at(3, 3)));  // depth left 2
  EXPECT_EQ(std::memcmp(&before, &TableSlot(KEY_A), sizeof before), 0)
      << "refused store changed the slot";

  // Equal depth left, or another root, takes the slot over.
  EXPECT_TRUE(StoreTable(Keyed(KEY_B, 13), 3, 6, -100, 100, 60, pv.at(3, 3)));
  EXPECT_EQ(TableSlot(KEY_A).key, KEY_B);
  EXPECT_TRUE(IsEmptyMove(TableSlot(KEY_A).second))
      << "a new position starts without a second move";
  EXPECT_EQ(TableSlot(KEY_A).best.to, 0x34);
  EXPECT_TRUE(StoreTable(Keyed(KEY_A, 13), 1, 2, -100, 100, 70, pv.at(1, 1)));  // root game ply 12
  EXPECT_EQ(TableSlot(KEY_A).key, KEY_A);
}

TEST_F(TranspositionTest, SamePositionIsAlwaysOverwrittenAndKeepsTheOldBestAsSecond) {
  Pv pv;
  pv.at(1, 1) = Mv(0x77, 0x76, SFU);
  StoreTable(Keyed(KEY_A, 11), 1, 6, -100, 100, 50, pv.at(1, 1));
  pv.at(1, 1) = Mv(0x27, 0x26, SFU);
  EXPECT_TRUE(StoreTable(Keyed(KEY_A, 11), 1, 2, -100, 100, 20, pv.at(1, 1)));
  const TranspositionEntry& t = TableSlot(KEY_A);
  EXPECT_EQ(t.best.from, 0x27);
  EXPECT_EQ(t.second.from, 0x77);
  EXPECT_EQ(t.value, 20);
  EXPECT_EQ(t.depthLeft, 1);
  EXPECT_EQ(t.ply, 1);
  EXPECT_EQ(t.gamePly, 11);
}

TEST_F(TranspositionTest, RefusedRootStoreWritesTheRootMoveTraceAndDeeperRefusalsDoNot) {
  Pv pv;
  StoreTable(Keyed(KEY_A, 20), 0, 4, -100, 100, 50, pv.at(0, 0));  // root game ply 20, depth left 4
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  std::FILE* saved = SearchTrace;
  SearchTrace = out;
  pv.at(0, 0) = Mv(0x78, 0x77, SFU);
  EXPECT_FALSE(StoreTable(Keyed(KEY_B, 21), 1, 4, -100, 100, 10, pv.at(1, 1)));
  EXPECT_FALSE(StoreTable(Keyed(KEY_B, 20), 0, 3, -100, 100, 10, pv.at(0, 0)));
  SearchTrace = saved;
  std::rewind(out);
  char text[64] = {};
  size_t n = std::fread(text, 1, sizeof text, out);
  std::fclose(out);
  EXPECT_EQ(std::string(text, n), "77\x95\xe0(78)\x81\x40");
}

TEST(TraceNotation, DropsPromotionsAndUnknownCodes) {
  char text[16];
  Move drop{};
  drop.to = 0x55;
  drop.piece = EGI;
  int n = FormatTraceMove(drop, text);
  EXPECT_EQ(std::string(text, n), "55\x8b\xe2\x91\xc5\x81\x40\x81\x40");
  Move promo{};
  promo.from = 0x24;
  promo.to = 0x23;
  promo.piece = SKE;
  promo.promote = 1;
  n = FormatTraceMove(promo, text);
  EXPECT_EQ(std::string(text, n), "23\x8c\x6a\x90\xac(24)") << "a promotion has no closing space";
  Move odd{};
  odd.from = 0x9a;
  odd.to = 0x11;
  odd.piece = 13;
  n = FormatTraceMove(odd, text);
  EXPECT_EQ(std::string(text, n), "11  (9a)\x81\x40");
  Move nk{};
  nk.from = 0x12;
  nk.to = 0x13;
  nk.piece = ENK;
  n = FormatTraceMove(nk, text);
  EXPECT_EQ(std::string(text, n), "13\x8c\x5c(12)\x81\x40") << "second byte 0x5c is no escape";
}

// Hash moves need real positions: the legality test reads the board.
class HashMovesTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    l = LoadSfen("lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/9/LNSGKGSNL b - 1");
  }
  Loaded l;
  Pv pv;
};

TEST_F(HashMovesTest, OffersStoredBestAndSecondWhenLegal) {
  const Position& p = l.e.pos;
  pv.at(1, 1) = UsiMove(p, SELF, "7g7f");
  StoreTable(p, 1, 3, -100, 100, 50, pv.at(1, 1));
  pv.at(1, 1) = UsiMove(p, SELF, "2g2f");
  StoreTable(p, 1, 3, -100, 100, 50, pv.at(1, 1));
  Move buf[MAX_MOVES];
  ASSERT_EQ(HashMoves(p, SELF, Move{}, buf), 2) << l.sfen;
  EXPECT_EQ(FormatUsiMove(buf[0]), "2g2f");
  EXPECT_EQ(FormatUsiMove(buf[1]), "7g7f");
  EXPECT_EQ(HashMoves(p, ENEMY, Move{}, buf), 0) << "SELF's moves are not ENEMY's";
}

TEST_F(HashMovesTest, IllegalStoredMovesAreDropped) {
  const Position& p = l.e.pos;
  Move gone = UsiMove(p, SELF, "7g7f");
  gone.from = 0x75;  // no pawn there
  gone.to = 0x74;
  pv.at(0, 0) = gone;
  StoreTable(p, 0, 3, -100, 100, 50, pv.at(0, 0));
  Move buf[MAX_MOVES];
  EXPECT_EQ(HashMoves(p, SELF, Move{}, buf), 0) << l.sfen;
}

TEST_F(HashMovesTest, ParentReplyIsOfferedOnlyOnAHitOfTheSameParity) {
  Position p = l.e.pos;
  pv.at(2, 2) = Move{};
  StoreTable(p, 2, 4, 100, 200, 50, pv.at(2, 2));  // upper bound: no best move stored
  const Move reply = UsiMove(p, SELF, "5i5h");
  Move buf[MAX_MOVES];
  ASSERT_EQ(HashMoves(p, SELF, reply, buf), 1) << l.sfen;
  EXPECT_EQ(FormatUsiMove(buf[0]), "5i5h");
  EXPECT_EQ(HashMoves(p, SELF, Move{}, buf), 0) << "no parent reply (plies 0 and 1)";
  p.ply += 1;
  EXPECT_EQ(HashMoves(p, SELF, reply, buf), 0) << "entry of the other parity";
  p.ply -= 1;
  p.Kyokumen ^= 0x100000000ull;
  EXPECT_EQ(HashMoves(p, SELF, reply, buf), 0) << "slot of another position offers nothing";
}

TEST_F(HashMovesTest, EntryOneDepthShortStillOffersItsMoveWithoutCutOff) {
  const Position& p = l.e.pos;
  pv.at(1, 1) = UsiMove(p, SELF, "7g7f");
  StoreTable(p, 1, 3, -100, 100, 500, pv.at(1, 1));
  int32_t v = 0;
  EXPECT_EQ(ProbeTable(p, 1, 4, -100, 100, &v), PROBE_HIT);
  Move buf[MAX_MOVES];
  ASSERT_EQ(HashMoves(p, SELF, Move{}, buf), 1);
  EXPECT_EQ(FormatUsiMove(buf[0]), "7g7f");
}

}  // namespace
