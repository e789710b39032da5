// The analysis tool's evaluation commands, run as a separate process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/run_program.h"

namespace {

class ToolCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("MIRQ_BIN")) GTEST_SKIP() << "MIRQ_BIN is not set (run through ctest)";
  }
};

TEST_F(ToolCommands, EvalPrintsTheEightSumsThenTheScore) {
  ProgramRun r = RunToolLine("eval startpos");
  EXPECT_EQ(r.status, 0);
  // Guards of the opening: -50 each toward the far king, 42 and 36 beside
  // their own king; phases -4; table totals -6 and -3.
  EXPECT_EQ(r.output, "-4 -4 -6 -3 -200 200 156 -156\n-9\n");
}

TEST_F(ToolCommands, SeeAndThreatOnADefendedRook) {
  const std::string pos = "sfen 8k/9/9/4g4/4r4/4P4/9/9/K8 b - 1";
  ProgramRun see = RunToolLine("see " + pos + " 5e");
  EXPECT_EQ(see.status, 0);
  EXPECT_EQ(see.output, "3895\n");
  ProgramRun threat = RunToolLine("threat " + pos);
  EXPECT_EQ(threat.output, "3895\n");
  ProgramRun enemy = RunToolLine("threat sfen 8k/9/9/4g4/4r4/4P4/9/9/K8 w - 1");
  EXPECT_EQ(enemy.output, "-205\n");
}

TEST_F(ToolCommands, OrderListsEveryLegalMoveHighestFirst) {
  ProgramRun moves = RunToolLine("moves startpos moves 7h7g");
  ProgramRun order = RunToolLine("order startpos moves 7h7g");
  ASSERT_EQ(order.status, 0);
  int lines = 0, last = 1 << 30;
  size_t pos = 0;
  while (pos < order.output.size()) {
    size_t end = order.output.find('\n', pos);
    const std::string line = order.output.substr(pos, end - pos);
    const int score = std::atoi(line.substr(line.find(' ') + 1).c_str());
    EXPECT_LE(score, last) << line;
    last = score;
    ++lines;
    pos = end + 1;
  }
  int expected = 0;
  for (char c : moves.output) expected += c == '\n';
  EXPECT_GT(lines, 0);
  EXPECT_EQ(lines, expected);
}

TEST_F(ToolCommands, BadInputExitsWithTwo) {
  EXPECT_EQ(RunToolLine("see startpos 5z").status, 2);
  EXPECT_EQ(RunToolLine("see startpos").status, 2);
  EXPECT_EQ(RunToolLine("eval startpos 5e").status, 2);
  EXPECT_EQ(RunToolLine("order nonsense").status, 2);
}

}  // namespace
