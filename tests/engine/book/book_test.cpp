// The opening book: entry decoding, loading and the replaying lookup.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "book_fixture.h"
#include "position/usi.h"

namespace fs = std::filesystem;

namespace {

class BookTest : public BookFileTest {
 protected:
  std::string Describe(int found) {
    std::string s;
    for (int i = 0; i < found; ++i)
      s += FormatUsiMove(cands[i]) + "x" + std::to_string(counts[i]) + " ";
    return s;
  }
};

// Opening lines on the variant's start diagram (pawns on ranks 2 and 8).
const Entry P76 = Step(0x78, 0x77);  // first player's pawn, file 7
const Entry P26 = Step(0x28, 0x27);
const Entry P56 = Step(0x58, 0x57);
const Entry E34 = Step(0x32, 0x33);  // second player's pawn, file 3
const Entry E84 = Step(0x82, 0x83);
const Entry E54 = Step(0x52, 0x53);

TEST(BookEntryDecoding, MatchesTheDocumentedExamples) {
  InitHashKeys();
  Position p;
  SetUpStartPosition(p);

  Move m = DecodeBookEntry(61, 70, SELF, p);
  EXPECT_EQ(m.from, 0x78);
  EXPECT_EQ(m.to, 0x77);
  EXPECT_EQ(m.piece, SFU);
  EXPECT_EQ(m.capture, EMP);
  EXPECT_EQ(m.promote, 0);
  EXPECT_EQ(m.score, 0);

  m = DecodeBookEntry(76, 105, ENEMY, p);
  EXPECT_EQ(m.from, 0);
  EXPECT_EQ(m.to, 0x49);
  EXPECT_EQ(m.piece, EKI);
  m = DecodeBookEntry(76, 105, SELF, p);
  EXPECT_EQ(m.piece, SKI);
  EXPECT_EQ(m.capture, SKI) << "the captured code is what stands on the destination";

  m = DecodeBookEntry(150, 59, SELF, p);
  EXPECT_EQ(m.to, 0x56);
  EXPECT_EQ(m.promote, 1);
  EXPECT_EQ(m.from, 0x57);

  EXPECT_EQ(SquareOfBookCode(1), 0x11);
  EXPECT_EQ(SquareOfBookCode(9), 0x91);
  EXPECT_EQ(SquareOfBookCode(10), 0x12);
  EXPECT_EQ(SquareOfBookCode(81), 0x99);
  for (int n = 1; n <= 81; ++n) EXPECT_EQ(BookCodeOfSquare(SquareOfBookCode(n)), n);
}

TEST(BookGlobals, StartEmpty) {
  EXPECT_EQ(Book.records, nullptr);
  EXPECT_EQ(Book.count, 0);
  EXPECT_EQ(Book.next, nullptr);
}

TEST_F(BookTest, CountsLinesPerMoveInFirstProposedOrder) {
  OpeningBook book = Load(WriteFile("a.bin", {{P26, E34}, {P76, E34}, {P76, E84}, {P56}, {P76}}));
  ASSERT_EQ(book.count, 5);
  int found = Lookup(book, start, 0);
  ASSERT_EQ(found, 3) << Describe(found);
  EXPECT_EQ(FormatUsiMove(cands[0]),
            FormatUsiMove(DecodeBookEntry(P26.dest, P26.origin, SELF, start)));
  EXPECT_EQ(counts[0], 1);
  EXPECT_EQ(cands[1].from, 0x78);
  EXPECT_EQ(counts[1], 3) << "three lines start with the same move";
  EXPECT_EQ(cands[2].from, 0x58);
  EXPECT_EQ(counts[2], 1);

  // After 7h7g: the lines through it propose the second player's replies.
  found = Lookup(book, Play({P76}), 1);
  ASSERT_EQ(found, 2) << Describe(found);
  EXPECT_EQ(cands[0].from, 0x32);
  EXPECT_EQ(cands[0].piece, EFU);
  EXPECT_EQ(counts[0], 1);
  EXPECT_EQ(cands[1].from, 0x82);
}

TEST_F(BookTest, LineOfExactlyNEntriesProposesNothingAtPlyN) {
  OpeningBook book = Load(WriteFile("a.bin", {{P76, E34}}));
  EXPECT_EQ(Lookup(book, Play({P76, E34}), 2), 0);
  EXPECT_EQ(Lookup(book, Play({P76}), 1), 1);
}

TEST_F(BookTest, BoardMismatchAtThePlyIsSkipped) {
  OpeningBook book = Load(WriteFile("a.bin", {{P76, E34, P26}}));
  EXPECT_EQ(Lookup(book, Play({P76, E84}), 2), 0);
  EXPECT_EQ(Lookup(book, Play({P76, E34}), 1), 0)
      << "the ply decides how much of the line is replayed";
}

TEST_F(BookTest, TranspositionToTheSameBoardMatches) {
  OpeningBook book = Load(WriteFile("a.bin", {{P76, E34, P26, E84, P56}}));
  Position p = Play({P26, E84, P76, E34});
  ASSERT_EQ(Lookup(book, p, 4), 1) << FormatSfen(p, SELF);
  EXPECT_EQ(cands[0].from, 0x58);
  EXPECT_EQ(cands[0].to, 0x57);
}

TEST_F(BookTest, HandsAreNotCompared) {
  OpeningBook book = Load(WriteFile("a.bin", {{P76, E34}}));
  Position p = Play({P76});
  p.Motigoma[EGI] = 1;  // a piece the engine bought
  ASSERT_EQ(Lookup(book, p, 1), 1) << FormatSfen(p, ENEMY);
  EXPECT_EQ(cands[0].from, 0x32);
}

TEST_F(BookTest, PromotionAndDropsAreReplayed) {
  // Pawn up the 5th file and promoting on 5c; then a bought gold dropped.
  std::vector<Entry> line = {P56,
                             E84,
                             Step(0x57, 0x56),
                             E34,
                             Step(0x56, 0x55),
                             Step(0x83, 0x84),
                             Step(0x55, 0x54),
                             Step(0x84, 0x85),
                             Step(0x54, 0x53, true),
                             Drop(KI, 0x44),
                             Drop(GI, 0x45)};
  OpeningBook book = Load(WriteFile("a.bin", {line}));
  std::vector<Entry> played(line.begin(), line.begin() + 9);
  Position p = Play(played);
  ASSERT_EQ(p.Ban(0x53), STO) << FormatSfen(p, ENEMY);
  ASSERT_EQ(Lookup(book, p, 9), 1) << FormatSfen(p, ENEMY);
  EXPECT_EQ(cands[0].from, 0);
  EXPECT_EQ(cands[0].piece, EKI);
  EXPECT_EQ(cands[0].to, 0x44);

  played.push_back(line[9]);
  Position q = start;  // the game's own copy, gold taken as bought
  int side = SELF;
  for (const Entry& e : played) {
    Move m = DecodeBookEntry(e.dest, e.origin, side, q);
    if (IsDrop(m)) q.Motigoma[m.piece] = 1;
    MakeMove(q, side, m);
    side = Opponent(side);
  }
  ASSERT_EQ(Lookup(book, q, 10), 1) << FormatSfen(q, SELF);
  EXPECT_EQ(cands[0].piece, SGI);
}

TEST_F(BookTest, FullRecordEndsAtItsLastEntry) {
  // 256 entries, no end mark: pawns step, then both kings walk to and fro.
  std::vector<Entry> line = {P56, E54, Step(0x59, 0x58), Step(0x51, 0x52)};
  while (line.size() < static_cast<size_t>(BOOK_RECORD_ENTRIES)) {
    bool out = (line.size() / 2) % 2 == 0;
    line.push_back(out ? Step(0x58, 0x59) : Step(0x59, 0x58));
    line.push_back(out ? Step(0x52, 0x51) : Step(0x51, 0x52));
  }
  ASSERT_EQ(line.size(), 256u);
  OpeningBook book = Load(WriteFile("a.bin", {line}));
  ASSERT_EQ(book.count, 1);

  std::vector<Entry> played(line.begin(), line.begin() + 255);
  Position p = Play(played);
  ASSERT_EQ(Lookup(book, p, 255), 1) << FormatSfen(p, ENEMY);
  EXPECT_EQ(cands[0].piece, EOU);
  played.push_back(line[255]);
  EXPECT_EQ(Lookup(book, Play(played), 256), 0);
  EXPECT_EQ(Lookup(book, Play(played), 300), 0);
}

TEST_F(BookTest, ShortFinalPieceReadsAsAnEndedLine) {
  // The second record is cut after three entries and one byte.
  std::string path =
      WriteFile("a.bin", {{P26, E34}, {P76, E34, P26, E84, P56}}, BOOK_RECORD_BYTES + 7);
  OpeningBook book = Load(path);
  ASSERT_EQ(book.count, 2);
  EXPECT_EQ(Lookup(book, start, 0), 2);
  EXPECT_EQ(Lookup(book, Play({P76, E34}), 2), 1);
  EXPECT_EQ(Lookup(book, Play({P76, E34, P26}), 3), 0) << "the fourth entry lost its origin byte; "
                                                          "it must not be read past the file";

  OpeningBook tiny = Load(WriteFile("b.bin", {{P76, E34}}, 3));
  ASSERT_EQ(tiny.count, 1);
  EXPECT_EQ(Lookup(tiny, start, 0), 1);
  EXPECT_EQ(Lookup(tiny, Play({P76}), 1), 0);
}

TEST_F(BookTest, SecondFileOnlyConsultedWithoutAMatchInTheFirst) {
  std::string a = WriteFile("a.bin", {{P76, E34}});
  std::string b = WriteFile("b.bin", {{P26, E84}, {P76, E84}});
  OpeningBook book = Load(a + "," + b);
  ASSERT_EQ(book.count, 1);
  ASSERT_NE(book.next, nullptr);
  EXPECT_EQ(book.next->count, 2);
  EXPECT_EQ(book.next->next, nullptr);

  ASSERT_EQ(Lookup(book, start, 0), 1) << "the first file matches, the second is not read";
  EXPECT_EQ(cands[0].from, 0x78);
  ASSERT_EQ(Lookup(book, Play({P76}), 1), 1);
  EXPECT_EQ(cands[0].from, 0x32);
  ASSERT_EQ(Lookup(book, Play({P26}), 1), 1) << "no line of the first file reaches this board";
  EXPECT_EQ(cands[0].from, 0x82);
}

TEST_F(BookTest, MissingFileGivesAnEmptyNodeAndTheChainGoesOn) {
  OpeningBook none = Load((dir / "missing.bin").string());
  EXPECT_EQ(none.count, 0);
  EXPECT_EQ(none.records, nullptr);
  EXPECT_EQ(Lookup(none, start, 0), 0);

  std::string b = WriteFile("b.bin", {{P56}});
  OpeningBook chain = Load((dir / "missing.bin").string() + "," + b);
  EXPECT_EQ(chain.count, 0);
  ASSERT_EQ(Lookup(chain, start, 0), 1);
  EXPECT_EQ(cands[0].from, 0x58);

  OpeningBook empty = Load(WriteFile("c.bin", {}, 0));
  EXPECT_EQ(empty.count, 0);
}

TEST_F(BookTest, AnyNumberOfNamesChainsWithoutDeepRecursion) {
  // 300000 empty names before a real file: one node each, in order.
  std::string b = WriteFile("b.bin", {{P56}});
  OpeningBook chain = Load(std::string(300000, ',') + b);
  int nodes = 1;
  const OpeningBook* last = &chain;
  for (; last->next; last = last->next) ++nodes;
  EXPECT_EQ(nodes, 300001);
  EXPECT_EQ(last->count, 1);
  ASSERT_EQ(Lookup(chain, start, 0), 1);
  EXPECT_EQ(cands[0].from, 0x58);
}

TEST_F(BookTest, EndMarkFFAndBadCodesEndTheLine) {
  std::vector<Entry> ff = {P76, {0xFF, 0x32}, P26};
  std::vector<Entry> offBoard = {P76, {200, 9}, P26};  // destination code 100 after promotion mark
  std::vector<Entry> badOrigin = {P76, {BookCodeOfSquare(0x33), 95}, P26};
  std::vector<Entry> takesKing = {P76, {BookCodeOfSquare(0x59), BOOK_OFFSET + GI}, P26};
  OpeningBook book = Load(WriteFile("a.bin", {ff, offBoard, badOrigin, takesKing}));
  ASSERT_EQ(book.count, 4);
  EXPECT_EQ(Lookup(book, Play({P76}), 1), 0);
  EXPECT_EQ(Lookup(book, start, 0), 1);
  EXPECT_EQ(counts[0], 4);
}

TEST_F(BookTest, LookupLeavesTheGameHistoriesAsTheyWere) {
  OpeningBook book = Load(WriteFile("a.bin", {{P76, E34, P26, E84}, {P56, E54, P26}}));
  Position p = Play({P26, E84});
  HashKey keys[4];
  uint32_t checks[4];
  std::memcpy(keys, KeyHistory, sizeof keys);
  std::memcpy(checks, CheckHistory, sizeof checks);
  Lookup(book, p, 2);
  EXPECT_EQ(0, std::memcmp(keys, KeyHistory, sizeof keys));
  EXPECT_EQ(0, std::memcmp(checks, CheckHistory, sizeof checks));
}

}  // namespace
