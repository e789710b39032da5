// One search node against hand-built table entries: a cut-off at the root,
// the root's refused store and its trace, and the bound of the recapture
// extension in the hash-move loop.
#include <cstdio>
#include <cstring>
#include <string>

#include "search/root.h"
#include "search/search.h"
#include "search_fixture.h"

namespace {

struct Pv {
  Move m[PV_SIZE * PV_SIZE] = {};
  Move& at(int row, int col) { return m[row * PV_SIZE + col]; }
};

using SearchNodeTest = SearchTest;

TEST_F(SearchNodeTest, TableCutOffAtTheRootRunsNothingAndLeavesThePvTable) {
  // A mate in one for SELF: anything the node did would show in the PvTable.
  Loaded l = LoadSfen("8k/9/8P/9/9/9/9/9/K8 b G 1");
  TranspositionEntry& t = TableSlot(l.e.pos.Kyokumen);
  t.key = l.e.pos.Kyokumen;
  t.value = 500;
  t.bound = BOUND_LOWER;
  t.gamePly = l.e.pos.ply;
  t.ply = 0;
  t.depthLeft = 4;
  Pv pv;
  for (int i = 0; i < PV_SIZE * PV_SIZE; ++i) pv.m[i].score = static_cast<int16_t>(i);
  Pv before = pv;
  uint64_t mateNodes = MateNodes;
  EXPECT_EQ(Search(pv.m, l.side, l.e, -VALUE_WINDOW, 400, 0, 4, true), 500) << l.sfen;
  EXPECT_EQ(std::memcmp(pv.m, before.m, sizeof pv.m), 0);
  EXPECT_EQ(MateNodes, mateNodes) << "no mate search before the table answers";
}

TEST_F(SearchNodeTest, RefusedRootStoreWritesTheMoveTheRootFound) {
  Loaded l = LoadSfen("8k/9/8P/9/9/9/9/9/K8 b G 1");
  // Another position from the same root game ply, stored with two plies
  // left, holds the root's slot.
  TranspositionEntry& t = TableSlot(l.e.pos.Kyokumen);
  t.key = l.e.pos.Kyokumen ^ 0x0000000100000000ull;
  t.value = 7;
  t.bound = BOUND_EXACT;
  t.gamePly = l.e.pos.ply + 3;
  t.ply = 3;
  t.depthLeft = 2;
  const TranspositionEntry held = t;

  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  std::FILE* saved = SearchTrace;
  SearchTrace = out;
  Pv pv;
  int32_t v = Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 1, false);
  SearchTrace = saved;
  std::rewind(out);
  char text[64] = {};
  size_t n = std::fread(text, 1, sizeof text, out);
  std::fclose(out);

  EXPECT_EQ(v, VALUE_MATE) << l.sfen;
  // G*1b: "12", gold, drop, two ideographic spaces.
  EXPECT_EQ(std::string(text, n), "12\x8b\xe0\x91\xc5\x81\x40\x81\x40");
  EXPECT_EQ(std::memcmp(&held, &TableSlot(l.e.pos.Kyokumen), sizeof held), 0)
      << "the refused store changed the slot";
}

// SELF's king on 1i is checked by the gold on 1h and can only take it; the
// test plays the gold's arrival as an ENEMY move ordered below 0, so taking
// back is a recapture after a sacrifice. After the recapture ENEMY's king
// has a single move, which keeps the extended subtree the same whatever
// window it is searched with.
class RecaptureBoundTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    l = LoadSfen("k8/9/1G7/9/9/9/9/8g/8K b - 1");
  }
  // Nodes of the ply-2 node at limit 3; with candidate, the table offers the
  // recapture as a hash move without allowing a cut-off.
  uint64_t Nodes(bool candidate, int16_t previousScore) {
    ClearTranspositionTable();
    ClearMateTable();
    if (candidate) {
      TranspositionEntry& t = TableSlot(l.e.pos.Kyokumen);
      t.key = l.e.pos.Kyokumen;
      t.best = UsiMove(l.e.pos, SELF, "1i1h");
      t.gamePly = l.e.pos.ply;
      t.ply = 2;
      t.depthLeft = 0;
    }
    Move previous{};
    previous.from = 0x17;
    previous.to = 0x18;
    previous.piece = EKI;
    previous.score = previousScore;
    CurrentLine[1] = previous;
    Pv pv;
    uint64_t nodes = SearchNodes;
    Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 2, 3, true);
    return SearchNodes - nodes;
  }
  Loaded l;
};

TEST_F(RecaptureBoundTest, HashMoveIsExtendedOnlyWhenItDoesNotBeatTheBestSoFar) {
  const uint64_t plain = Nodes(false, 5);
  ASSERT_EQ(plain, 2u) << "the node and one leaf: " << l.sfen;
  const uint64_t extended = Nodes(false, -5);
  ASSERT_GT(extended, plain) << "the full loop extends the recapture (its value is below beta)";
  // The hash move's value beats the starting best -1000000: searched once
  // to the limit, one leaf more; then the full loop extends it as before.
  EXPECT_EQ(Nodes(true, -5), extended + 1);
}

}  // namespace
