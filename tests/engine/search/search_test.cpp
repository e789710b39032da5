// Main and root search: repetition at ply 1, mates at the root, the value
// of leaving the opponent without a move, the book before the search.
#include "search/search.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "book/book.h"
#include "eval/exchange.h"
#include "eval/ordering.h"
#include "position/makemove.h"
#include "position/movegen.h"
#include "position/position.h"
#include "position/usi.h"
#include "search/root.h"
#include "search_fixture.h"

namespace {

struct Pv {
  Move m[PV_SIZE * PV_SIZE] = {};
  Move& at(int row, int col) { return m[row * PV_SIZE + col]; }
};

// Repetition: a position at game ply 16 searched as a ply-1 node whose
// history the test writes directly.
class RepetitionTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    // ENEMY to move at game ply 16.
    l = LoadSfen("4k4/9/9/9/9/9/9/9/4K4 w G 17");
    key = l.e.pos.Kyokumen;
  }
  int32_t SearchPlyOne() {
    return Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 1, 1, true);
  }
  int32_t LeafValue() {
    int32_t v = Evaluate(l.e) + BestCaptureThreat(l.e.pos, l.side);
    return l.side == SELF ? v : -v;
  }
  void Occurs(std::initializer_list<int> plies) {
    for (int n : plies) KeyHistory[n] = key;
  }
  void Checks(int from, int to) {
    for (int n = from; n <= to; ++n) CheckHistory[n] = 1;
  }
  Loaded l;
  HashKey key;
  Pv pv;
};

TEST_F(RepetitionTest, FourthOccurrenceIsADraw) {
  Occurs({4, 8, 12});
  EXPECT_EQ(SearchPlyOne(), 0) << l.sfen;
}

TEST_F(RepetitionTest, ThirdOccurrenceIsSearchedAsUsual) {
  Occurs({8, 12});
  EXPECT_EQ(SearchPlyOne(), LeafValue()) << l.sfen;
}

TEST_F(RepetitionTest, TheSetUpPlyZeroIsNotCounted) {
  l = LoadSfen("4k4/9/9/9/9/9/9/9/4K4 w G 13");  // game ply 12
  key = l.e.pos.Kyokumen;
  Occurs({0, 4, 8});
  EXPECT_EQ(SearchPlyOne(), LeafValue()) << l.sfen;
}

TEST_F(RepetitionTest, CheckingWithEveryMoveLosesForTheChecker) {
  Occurs({4, 8, 12});
  Checks(4, 16);
  // Every entry is a check: the side that moved here (ply 16 and every
  // second ply down) checked all along, so the side to move wins.
  EXPECT_EQ(SearchPlyOne(), VALUE_PERPETUAL);
  std::memset(CheckHistory, 0, sizeof CheckHistory);
  for (int n = 3; n <= 15; n += 2) CheckHistory[n] = 1;
  EXPECT_EQ(SearchPlyOne(), -VALUE_PERPETUAL) << "the side to move was the checker";
  std::memset(CheckHistory, 0, sizeof CheckHistory);
  for (int n = 4; n <= 16; n += 2) CheckHistory[n] = 1;
  CheckHistory[10] = 0;
  EXPECT_EQ(SearchPlyOne(), 0) << "one quiet move in the cycle makes it a plain draw";
}

TEST_F(RepetitionTest, OnlyPlyOneJudgesRepetition) {
  Occurs({4, 8, 12});
  int32_t v = Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 2, 2, true);
  EXPECT_EQ(v, LeafValue()) << "ply 2 is a leaf, not a draw";
}

using RootSearchTest = SearchTest;

TEST_F(RootSearchTest, RootMateReturnsTheMateSearchMove) {
  // SELF drops a gold on 1b, defended by the pawn on 1c: mate.
  Loaded l = LoadSfen("8k/9/8P/9/9/9/9/9/K8 b G 1");
  Move expect{};
  ASSERT_EQ(MateSearch(l.e.pos, SELF, 7, &expect), MATE_PROVEN) << l.sfen;
  ClearMateTable();
  Pv pv;
  Move m = SelectMove(pv.m, l.side, l.e);
  EXPECT_EQ(FormatUsiMove(m), FormatUsiMove(expect)) << l.sfen;
  EXPECT_EQ(FormatUsiMove(m), "G*1b") << l.sfen;
  EXPECT_EQ(m.score, 0) << "a mate search move carries no ordering score";
  EXPECT_TRUE(IsEmptyMove(pv.at(0, 1))) << "the mating line ends after the move";
  EXPECT_EQ(Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 2, false), VALUE_MATE);
}

TEST_F(RootSearchTest, LeavingTheOpponentWithoutAMoveScoresJustBelowMate) {
  // After 1d1c the ENEMY king on 1a has every square covered and no check
  // to answer: no legal move at all.
  Loaded l = LoadSfen("8k/6G2/9/8P/9/9/9/9/K8 b - 1");
  Pv pv;
  int32_t v = Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 2, false);
  EXPECT_EQ(v, -VALUE_NO_MOVE) << l.sfen;
  EXPECT_EQ(FormatUsiMove(pv.at(0, 0)), "1d1c") << l.sfen;
  Move m = SelectMove(pv.m, l.side, l.e);
  EXPECT_EQ(FormatUsiMove(m), "1d1c") << l.sfen;
}

TEST_F(RootSearchTest, NoLegalMoveReturnsTheEmptyMove) {
  Loaded l = LoadSfen("8k/6G2/8P/9/9/9/9/9/K8 w - 1");
  Pv pv;
  EXPECT_EQ(Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 1, false), VALUE_NO_MOVE);
  Move m = SelectMove(pv.m, l.side, l.e);
  EXPECT_TRUE(IsEmptyMove(m)) << l.sfen;
}

TEST_F(RootSearchTest, EveryMoveRefutedByMateKeepsTheEarlierIterationsMove) {
  // Whatever SELF plays, ENEMY mates by checks; SELF has three moves.
  Loaded l = LoadSfen("8k/9/9/9/b8/2+r6/9/9/K8 b l 1");
  Pv pv;
  Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 1, false);
  const Move first = pv.at(0, 0);
  ASSERT_FALSE(IsEmptyMove(first)) << l.sfen;
  EXPECT_EQ(Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 2, false), VALUE_START)
      << "every reply is a proven mate: " << l.sfen;
  EXPECT_EQ(std::memcmp(&pv.at(0, 0), &first, sizeof first), 0)
      << "the first iteration's move stays";
  const TranspositionEntry& t = TableSlot(l.e.pos.Kyokumen);
  EXPECT_EQ(t.bound, BOUND_UPPER);
  EXPECT_TRUE(IsEmptyMove(t.best));

  ClearTranspositionTable();
  ClearMateTable();
  Move m = SelectMove(pv.m, l.side, l.e);
  EXPECT_EQ(std::memcmp(&m, &first, sizeof m), 0)
      << FormatUsiMove(m) << " instead of " << FormatUsiMove(first) << " in " << l.sfen;
}

TEST_F(RootSearchTest, MissWithThreePliesLeftIsSearchedByIterativeDeepening) {
  Loaded l = LoadSfen("lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1");
  Pv pv;
  uint64_t nodes = SearchNodes;
  int32_t deepened = Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 3, true);
  uint64_t viaSearch = SearchNodes - nodes;
  ClearTranspositionTable();
  ClearMateTable();
  Pv pv2;
  nodes = SearchNodes;
  int32_t direct = DeepenSearch(pv2.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 3);
  EXPECT_EQ(deepened, direct);
  EXPECT_EQ(viaSearch, SearchNodes - nodes + 1) << "the node is exactly limits 1, 2, 3 in turn";

  // Two plies left: searched directly, the deepen flag changes nothing.
  ClearTranspositionTable();
  ClearMateTable();
  nodes = SearchNodes;
  Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 2, true);
  uint64_t flagged = SearchNodes - nodes;
  ClearTranspositionTable();
  ClearMateTable();
  nodes = SearchNodes;
  Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 2, false);
  EXPECT_EQ(flagged, SearchNodes - nodes);
}

TEST_F(RootSearchTest, AtMostThirtyOneMovesAndNoneScoredBelowTheCut) {
  // Both have far more than 31 legal moves; the first runs into the width
  // limit, the second into a move ordered below -100 first.
  struct Case {
    const char* sfen;
    bool widthBound;
  };
  for (const Case& c : {Case{"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b R 1", true},
                        Case{"lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/9/LNSGKGSNL b GSN 1", false}}) {
    ClearTranspositionTable();
    ClearMateTable();
    Loaded l = LoadSfen(c.sfen);
    Move list[MAX_MOVES];
    int count = GenerateMoves(l.e.pos, l.side, list);
    ASSERT_GE(count, 40) << l.sfen;
    OrderMoves(l.e, l.side, list, count);
    // Stop before the 32nd move or the first one scored below -100.
    int expected = 1;
    while (expected < count && expected < 31 && list[expected].score >= -100) ++expected;
    EXPECT_EQ(expected == 31, c.widthBound) << "the case no longer tests its rule: " << l.sfen;
    Pv pv;
    uint64_t nodes = SearchNodes;
    // Limit 1: every child searched is one leaf node.
    Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, 0, 1, false);
    EXPECT_EQ(SearchNodes - nodes, 1u + expected) << l.sfen;
  }
}

TEST_F(RootSearchTest, RecaptureAfterASacrificeIsExtendedWhileTheLimitStaysBelow32) {
  // SELF's pawn on 5f can take back on 5e, where the previous move went.
  Loaded l = LoadSfen("4k4/9/9/9/4p4/4P4/9/9/4K4 b - 1");
  auto nodesWith = [&](int16_t previousScore, int limit) {
    ClearTranspositionTable();
    ClearMateTable();
    Pv pv;
    Move previous{};
    previous.from = 0x54;
    previous.to = 0x55;
    previous.piece = EFU;
    previous.score = previousScore;
    const int ply = limit - 2;
    CurrentLine[ply - 1] = previous;
    uint64_t nodes = SearchNodes;
    Search(pv.m, l.side, l.e, -VALUE_WINDOW, VALUE_WINDOW, ply, limit, true);
    return SearchNodes - nodes;
  };
  EXPECT_GT(nodesWith(-5, 29), nodesWith(5, 29)) << "the recapture is searched again to limit 31";
  EXPECT_EQ(nodesWith(-5, 30), nodesWith(5, 30)) << "limit 32 would pass the last ply";
  EXPECT_EQ(nodesWith(0, 29), nodesWith(5, 29)) << "only a move ordered below 0 counts";
}

TEST_F(RootSearchTest, SelectMoveLeavesTheCallersStateAndHistoryAlone) {
  Loaded l = LoadSfen("lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/9/LNSGKGSNL b - 1");
  EvalState before = l.e;
  HashKey key0 = KeyHistory[0];
  Pv pv;
  Move m = SelectMove(pv.m, l.side, l.e);
  EXPECT_EQ(std::memcmp(&before, &l.e, sizeof before), 0);
  EXPECT_EQ(KeyHistory[0], key0);
  Move check = m;
  EXPECT_TRUE(IsLegal(l.e.pos, l.side, check)) << FormatUsiMove(m) << " in " << l.sfen;
  EXPECT_EQ(std::memcmp(&m, &pv.at(0, 0), sizeof m), 0)
      << "the move is PvTable[0][0], score included";
}

TEST_F(RootSearchTest, RecordedBookLineIsAnsweredWithoutSearch) {
  SetUpStartPosition(BookStartPosition);
  // Three lines: two open 7h7g (code 70 -> 61), one 2h2g (code 65 -> 56).
  static uint8_t records[3][BOOK_RECORD_BYTES] = {};
  records[0][0] = 61;
  records[0][1] = 70;
  records[1][0] = 56;
  records[1][1] = 65;
  records[2][0] = 61;
  records[2][1] = 70;
  OpeningBook saved = Book;
  Book = OpeningBook{records, 3, nullptr};
  EvalState e{};
  e.pos = BookStartPosition;
  InitEvaluation(e);
  SelectCastleTables(e);
  Pv pv;
  uint64_t nodes = SearchNodes;
  Move self = SelectMove(pv.m, SELF, e);
  Move enemy = SelectMove(pv.m, ENEMY, e);
  Book = saved;
  EXPECT_EQ(SearchNodes, nodes) << "a book answer runs no search";
  EXPECT_EQ(FormatUsiMove(self), "7h7g");
  EXPECT_EQ(self.score, 0);
  EXPECT_EQ(std::memcmp(&self, &enemy, sizeof self), 0) << "the side asking does not matter";
}

TEST_F(RootSearchTest, EqualBookCountsGoToTheFirstCandidate) {
  SetUpStartPosition(BookStartPosition);
  static uint8_t records[2][BOOK_RECORD_BYTES] = {};
  records[0][0] = 56;
  records[0][1] = 65;  // 2h2g
  records[1][0] = 61;
  records[1][1] = 70;  // 7h7g
  OpeningBook saved = Book;
  Book = OpeningBook{records, 2, nullptr};
  EvalState e{};
  e.pos = BookStartPosition;
  InitEvaluation(e);
  SelectCastleTables(e);
  Pv pv;
  Move m = SelectMove(pv.m, SELF, e);
  Book = saved;
  EXPECT_EQ(FormatUsiMove(m), "2h2g");
}

// A book is read without checks, so a line may propose what is no move of
// the position: a drop of a piece not in hand, a move from an empty square.
// Such a proposal is passed over, however many lines make it.
class BookChoiceTest : public SearchTest {
 protected:
  void SetUp() override {
    SearchTest::SetUp();
    SetUpStartPosition(BookStartPosition);
    saved = Book;
    e = EvalState{};
    e.pos = BookStartPosition;
    MakeMove(e.pos, SELF, DecodeBookEntry(61, 70, SELF, e.pos));  // 7h7g; ENEMY to move at ply 1
    InitEvaluation(e);
    SelectCastleTables(e);
  }
  void TearDown() override { Book = saved; }
  // Records opening 7h7g and answering with the entry (dest, origin).
  void Lines(std::initializer_list<std::pair<int, int>> answers) {
    records.assign(answers.size(), {});
    size_t i = 0;
    for (auto [dest, origin] : answers) {
      records[i][0] = 61, records[i][1] = 70;
      records[i][2] = static_cast<uint8_t>(dest), records[i][3] = static_cast<uint8_t>(origin);
      ++i;
    }
    Book = OpeningBook{reinterpret_cast<uint8_t(*)[BOOK_RECORD_BYTES]>(records.data()),
                       static_cast<int>(records.size()), nullptr};
  }
  OpeningBook saved;
  EvalState e;
  std::vector<std::array<uint8_t, BOOK_RECORD_BYTES>> records;
  Pv pv;
};

TEST_F(BookChoiceTest, ImpossibleProposalsArePassedOverForAPlayableOne) {
  // G*5e twice (ENEMY holds no gold), 5e5f once (5e is empty), 7g7f twice
  // (SELF's pawn, on ENEMY's turn), 3b3c once.
  Lines({{41, 105}, {41, 105}, {50, 41}, {52, 61}, {52, 61}, {21, 12}});
  uint64_t nodes = SearchNodes;
  Move m = SelectMove(pv.m, ENEMY, e);
  EXPECT_EQ(FormatUsiMove(m), "3b3c");
  EXPECT_EQ(SearchNodes, nodes) << "a playable book answer runs no search";
}

TEST_F(BookChoiceTest, OnlyImpossibleProposalsLeaveTheMoveToTheSearch) {
  // G*5e, and 3b3c+, a promotion outside ENEMY's zone.
  Lines({{41, 105}, {121, 12}});
  Move none;
  EXPECT_EQ(AskBook(e.pos, &none), 0);
  uint64_t nodes = SearchNodes;
  Move m = SelectMove(pv.m, ENEMY, e);
  EXPECT_NE(SearchNodes, nodes) << "the search chose the move";
  Move check = m;
  EXPECT_TRUE(IsLegal(e.pos, ENEMY, check)) << FormatUsiMove(m);
}

TEST_F(BookChoiceTest, APromotionInsideTheZoneIsPlayable) {
  // Pawns walk 7h7g 3b3c 7g7f 3c3d 7f7e 3d3e 7e7d 3e3f; then 7d7c+ for SELF.
  static const int walk[][2] = {{52, 61}, {30, 21}, {43, 52}, {39, 30}, {34, 43}, {48, 39}};
  records.assign(1, {});
  records[0][0] = 61, records[0][1] = 70;
  records[0][2] = 21, records[0][3] = 12;
  int k = 4;
  for (const auto& w : walk)
    records[0][k++] = static_cast<uint8_t>(w[0]), records[0][k++] = static_cast<uint8_t>(w[1]);
  records[0][k++] = 100 + 25, records[0][k++] = 34;  // 7d7c+
  Book = OpeningBook{reinterpret_cast<uint8_t(*)[BOOK_RECORD_BYTES]>(records.data()), 1, nullptr};
  Position p = BookStartPosition;
  int side = SELF;
  for (int j = 0; j < 8; ++j) {
    MakeMove(p, side, DecodeBookEntry(records[0][2 * j], records[0][2 * j + 1], side, p));
    side = Opponent(side);
  }
  Move m;
  ASSERT_GT(AskBook(p, &m), 0);
  EXPECT_EQ(FormatUsiMove(m), "7d7c+");
}

}  // namespace
