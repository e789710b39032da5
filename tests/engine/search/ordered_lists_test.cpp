// The ordered lists the search takes back: only for the same board, hands,
// evaluation sums and tables, since the keys do not follow the hands the
// game fills and empties.
#include "search/ordered_lists.h"

#include "eval/ordering.h"
#include "position/movegen.h"
#include "search_fixture.h"

namespace {

struct List {
  Move m[MAX_MOVES];
  int n = 0;
  bool operator==(const List& o) const {
    if (n != o.n) return false;
    for (int i = 0; i < n; ++i)
      if (m[i].from != o.m[i].from || m[i].to != o.m[i].to || m[i].piece != o.m[i].piece ||
          m[i].score != o.m[i].score)
        return false;
    return true;
  }
};

List Fresh(const EvalState& e, int side) {
  List l;
  l.n = GenerateMoves(e.pos, side, l.m);
  OrderMoves(e, side, l.m, l.n);
  return l;
}

// The kept list of side's moves in e, count -1 when none is kept.
List Kept(const EvalState& e, int side) {
  List l;
  l.n = KeptOrderedMoves(e, side, l.m);
  return l;
}

using OrderedListsTest = SearchTest;

TEST_F(OrderedListsTest, TakenBackOnlyForTheSameHandsAndTables) {
  ForgetOrderedLists();
  Loaded l = LoadSfen("ln1gk2nl/1r4gb1/p1sppsp1p/2p3p2/1p7/2P4P1/PPSPPPP1P/1BG4R1/LN2KGSNL b P 1");
  const List list = Fresh(l.e, l.side);
  EXPECT_EQ(Kept(l.e, l.side).n, -1);
  KeepOrderedMoves(l.e, l.side, list.m, list.n);
  EXPECT_TRUE(Kept(l.e, l.side) == list);

  // A bought gold changes the list, not the keys.
  EvalState bought = l.e;
  ++bought.pos.Motigoma[l.side | KI];
  EXPECT_EQ(Kept(bought, l.side).n, -1);

  // Other castle tables change the scores of the same moves.
  LoadSfen("ln1gk2nl/6gb1/p1sppsp1p/2p3pr1/1p7/2P4P1/PPSPPPP1P/1BG1R4/LN2KGSNL b P 1");
  ASSERT_FALSE(Fresh(l.e, l.side) == list);
  EXPECT_EQ(Kept(l.e, l.side).n, -1);
}

}  // namespace
