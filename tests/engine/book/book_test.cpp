// The opening book: entry decoding, loading and the replaying lookup.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "book_fixture.h"
#include "position/usi.h"
#include "support/files.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

class BookTest : public BookReplayTest {
 protected:
  void TearDown() override {
    for (OpeningBook& node : loaded) ReleaseBook(&node);
  }

  std::string WriteFile(const std::string& name, const std::vector<std::vector<Entry>>& lines,
                        size_t truncateTo = 0) {
    std::vector<uint8_t> bytes;
    for (const auto& line : lines) {
      auto r = RecordBytes(line);
      bytes.insert(bytes.end(), r.begin(), r.end());
    }
    if (truncateTo) bytes.resize(truncateTo);
    WriteBytes(dir / name, std::string(bytes.begin(), bytes.end()));
    return (dir / name).string();
  }

  // The test's copy shares the records, which are released after the test.
  OpeningBook Load(const std::string& names) {
    OpeningBook node{nullptr, 0, nullptr};
    LoadBook(&node, names.c_str());
    loaded.push_back(node);
    return node;
  }

  std::string Describe(int found) {
    std::string s;
    for (int i = 0; i < found; ++i) s += FormatUsiMove(cands[i]) + "x" + std::to_string(counts[i]) + " ";
    return s;
  }

  ScratchDir dir;
  std::vector<OpeningBook> loaded;  // every node Load gave out
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
  static const int32_t noHand[EHI + 1] = {};
  Position p;
  ::SetUp(p, 0, StartDiagram, noHand);

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
  EXPECT_EQ(FormatUsiMove(cands[0]), FormatUsiMove(DecodeBookEntry(P26.dest, P26.origin, SELF, start)));
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
  EXPECT_EQ(Lookup(book, Play({P76, E34}), 1), 0) << "the ply decides how much of the line is replayed";
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
  std::vector<Entry> line = {P56, E84, Step(0x57, 0x56), E34, Step(0x56, 0x55),
                             Step(0x83, 0x84), Step(0x55, 0x54), Step(0x84, 0x85),
                             Step(0x54, 0x53, true), Drop(KI, 0x44), Drop(GI, 0x45)};
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
  std::vector<Entry> offBoard = {P76, {200, 9}, P26};         // destination code 100 after promotion mark
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

namespace {

// mkbook, run as a program: game lines on standard input, records out.
class MakeBookTest : public BookTest {
 protected:
  int RunMkbook(const std::string& lines, const std::string& out) {
    return Tool({"mkbook", out}, lines);
  }
  // Runs mirq-tool; what it printed stays for Output and Stderr.
  int Tool(const std::vector<std::string>& args, const std::string& lines = "") {
    last = RunTool(args, lines);
    return last.status;
  }
  std::string Output() const { return last.output; }
  std::string Stderr() const { return last.errors; }
  // 2 + 2 opening moves, then both kings step to and fro.
  static std::string KingWalk(int moves) {
    std::string line = "5h5g 5b5c 5i5h 5a5b";
    for (int j = 4; j < moves; j += 2) line += (j / 2) % 2 == 0 ? " 5h5i 5b5a" : " 5i5h 5a5b";
    return line;
  }

  ProgramRun last;
};

TEST_F(MakeBookTest, WritesOneRecordPerLineThatTheLookupReplays) {
  if (!std::getenv("MIRQ_BIN")) GTEST_SKIP() << "MIRQ_BIN not set (run through CTest)";
  std::string out = (dir / "book.bin").string();
  ASSERT_EQ(RunMkbook("7h7g 3b3c 2h2g\n\n5h5g 5b5c 5g5f 5c5d 5f5e 8b8c 5e5d 8c8d 5d5c+\r\n" + KingWalk(256) + "\n", out), 0)
      << Stderr();
  EXPECT_EQ(fs::file_size(out), 3u * BOOK_RECORD_BYTES) << "the blank line is no record";
  OpeningBook book = Load(out);
  ASSERT_EQ(book.count, 3);
  EXPECT_EQ(book.records[0][0], 61);  // 7h7g: code 70 -> 61
  EXPECT_EQ(book.records[0][1], 70);
  EXPECT_EQ(book.records[0][6], 0) << "the line ends after three moves";
  EXPECT_EQ(book.records[1][16], BOOK_OFFSET + BookCodeOfSquare(0x53)) << "5d5c+ promotes";
  EXPECT_EQ(book.records[2][510], BookCodeOfSquare(0x52)) << "the 256th move, 5a5b, fills the record";

  ASSERT_EQ(Lookup(book, Play({P76, E34}), 2), 1);
  EXPECT_EQ(cands[0].from, 0x28);
}

TEST_F(MakeBookTest, RefusesIllegalAndOverlongLinesWritingNothing) {
  if (!std::getenv("MIRQ_BIN")) GTEST_SKIP() << "MIRQ_BIN not set (run through CTest)";
  std::string out = (dir / "book.bin").string();
  EXPECT_EQ(RunMkbook("7h7g 3b3c\n7h7g 3b3c 7g7c\n", out), 2);
  EXPECT_NE(Stderr().find("line 2"), std::string::npos) << Stderr();
  EXPECT_NE(Stderr().find("7g7c"), std::string::npos) << Stderr();
  EXPECT_FALSE(fs::exists(out));
  EXPECT_FALSE(fs::exists(out + ".tmp"));

  EXPECT_EQ(RunMkbook("7h7g 3b3c G*5e\n7h7g 3b3c 8h8g G*5e\n", out), 2) << "the engine cannot drop";
  EXPECT_NE(Stderr().find("line 2: move 4 'G*5e'"), std::string::npos) << Stderr();
  EXPECT_FALSE(fs::exists(out));

  EXPECT_EQ(RunMkbook(KingWalk(258) + "\n", out), 2);
  EXPECT_NE(Stderr().find("line 1"), std::string::npos) << Stderr();
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(MakeBookTest, BookCommandListsCandidatesOfTheFirstMatchingFile) {
  if (!std::getenv("MIRQ_BIN")) GTEST_SKIP() << "MIRQ_BIN not set (run through CTest)";
  std::string a = (dir / "a.bin").string(), b = (dir / "b.bin").string();
  ASSERT_EQ(RunMkbook("7h7g 3b3c 2h2g\n7h7g 8b8c\n2h2g 3b3c 7h7g 8b8c\n7h7g 3b3c 5h5g\n", a), 0) << Stderr();
  ASSERT_EQ(RunMkbook("5h5g\n", b), 0) << Stderr();
  ASSERT_EQ(Tool({"book", a + "," + b, "startpos", "moves", "7h7g"}), 0) << Stderr();
  EXPECT_EQ(Output(), "3b3c 2\n8b8c 1\n");
  ASSERT_EQ(Tool({"book", a + "," + b, "startpos", "moves", "7h7g", "3b3c"}), 0) << Stderr();
  EXPECT_EQ(Output(), "2h2g 1\n5h5g 1\n");
  ASSERT_EQ(Tool({"book", a + "," + b, "startpos", "moves", "5h5g"}), 0) << Stderr();
  EXPECT_EQ(Output(), "") << "no line of either file continues 5h5g";
  ASSERT_EQ(Tool({"book", (dir / "none.bin").string() + "," + b, "startpos"}), 0) << Stderr();
  EXPECT_EQ(Output(), "5h5g 1\n");
  EXPECT_EQ(Tool({"book", a, "startpos", "moves", "7h7g", "7g7e"}), 2);
}

}  // namespace
