// The analysis tool's mate and select commands, run as a subprocess: what
// they print on standard output and how they refuse bad arguments.
#include <gtest/gtest.h>

#include <string>

#include "support/files.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

TEST(SearchToolTest, MatePrintsResultAndMoveAndCountsOnStandardError) {
  ProgramRun r = RunToolLine("mate sfen 8k/9/8P/9/9/9/9/9/K8 b G 1");
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.output, "1 G*1b\n");
  EXPECT_NE(r.errors.find("nodes "), std::string::npos) << r.errors;
  EXPECT_NE(r.errors.find(" ms"), std::string::npos) << r.errors;

  r = RunToolLine("mate sfen 4k4/9/9/9/9/9/9/9/4K4 b - 1");
  EXPECT_EQ(r.output, "-1 none\n") << "no check at all";
  r = RunToolLine("mate sfen 9/2k6/9/9/2G6/+RN7/9/9/K8 b RP 1 1");
  EXPECT_EQ(r.output, "0 none\n") << "a 5-ply mate is beyond depth 1";
  r = RunToolLine("mate sfen 9/2k6/9/9/2G6/+RN7/9/9/K8 b RP 1 3");
  EXPECT_EQ(r.output.substr(0, 2), "1 ") << "and within depth 3";
}

TEST(SearchToolTest, SelectPrintsMoveAndScoreOrNone) {
  ProgramRun r = RunToolLine("select sfen 8k/9/8P/9/9/9/9/9/K8 b G 1");
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.output, "G*1b 0\n");
  r = RunToolLine("select sfen 8k/6G2/8P/9/9/9/9/9/K8 w - 1");
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.output, "none 0\n") << "the side to move has no legal move";
  r = RunToolLine("select startpos moves 7h7g");
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.output, "6b6c 0\n");
}

TEST(SearchToolTest, SelectAnswersFromAGivenBook) {
  ScratchDir dir;
  // One line: 7h7g (code 70 -> 61), then 3b3c (code 12 -> 21).
  std::string record = {61, 70, 21, 12};
  record.resize(512, '\0');
  WriteBytes(dir / "book.bin", record);
  ProgramRun r =
      RunTool({"select", "startpos", "moves", "7h7g", "--book", (dir / "book.bin").string()});
  EXPECT_EQ(r.status, 0) << r.errors;
  EXPECT_EQ(r.output, "3b3c 0\n");
}

TEST(SearchToolTest, BadArgumentsAreRefused) {
  ProgramRun r = RunToolLine("mate startpos 0");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, "");
  EXPECT_NE(r.errors.find("depth"), std::string::npos) << r.errors;
  r = RunToolLine("select startpos --book no-such-book.bin");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.errors.find("no-such-book.bin"), std::string::npos) << r.errors;
  r = RunToolLine("select startpos --book");
  EXPECT_EQ(r.status, 2);
  r = RunToolLine("select");
  EXPECT_EQ(r.status, 2);
}

}  // namespace
