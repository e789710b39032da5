// The book commands of the analysis tool, run as a program: mkbook turns
// game lines into records that the engine's lookup replays, and book lists
// the candidates of a chain of files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/book/book_fixture.h"
#include "support/run_program.h"

namespace fs = std::filesystem;

namespace {

const Entry P76 = Step(0x78, 0x77);  // first player's pawn, file 7
const Entry E34 = Step(0x32, 0x33);  // second player's pawn, file 3

// mkbook, run as a program: game lines on standard input, records out.
class MakeBookTest : public BookFileTest {
 protected:
  void SetUp() override {
    BookFileTest::SetUp();
    if (BuildBin().empty()) GTEST_SKIP() << "MIRQ_BIN not set (run through CTest)";
  }
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
  std::string out = (dir / "book.bin").string();
  ASSERT_EQ(RunMkbook("7h7g 3b3c 2h2g\n\n5h5g 5b5c 5g5f 5c5d 5f5e 8b8c 5e5d 8c8d 5d5c+\r\n" +
                          KingWalk(256) + "\n",
                      out),
            0)
      << Stderr();
  EXPECT_EQ(fs::file_size(out), 3u * BOOK_RECORD_BYTES) << "the blank line is no record";
  OpeningBook book = Load(out);
  ASSERT_EQ(book.count, 3);
  EXPECT_EQ(book.records[0][0], 61);  // 7h7g: code 70 -> 61
  EXPECT_EQ(book.records[0][1], 70);
  EXPECT_EQ(book.records[0][6], 0) << "the line ends after three moves";
  EXPECT_EQ(book.records[1][16], BOOK_OFFSET + BookCodeOfSquare(0x53)) << "5d5c+ promotes";
  EXPECT_EQ(book.records[2][510], BookCodeOfSquare(0x52))
      << "the 256th move, 5a5b, fills the record";

  ASSERT_EQ(Lookup(book, Play({P76, E34}), 2), 1);
  EXPECT_EQ(cands[0].from, 0x28);
}

TEST_F(MakeBookTest, RefusesIllegalAndOverlongLinesWritingNothing) {
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
  std::string a = (dir / "a.bin").string(), b = (dir / "b.bin").string();
  ASSERT_EQ(RunMkbook("7h7g 3b3c 2h2g\n7h7g 8b8c\n2h2g 3b3c 7h7g 8b8c\n7h7g 3b3c 5h5g\n", a), 0)
      << Stderr();
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
