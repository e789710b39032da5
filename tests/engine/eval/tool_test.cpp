// The analysis tool's evaluation commands, run as a separate process.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct ToolRun {
  int status = -1;
  std::string out;
};

// Runs mirq-tool from the build's bin folder with args; stderr is dropped.
ToolRun Tool(const std::string& args) {
  ToolRun r;
  const char* bin = std::getenv("MIRQ_BIN");
  if (!bin) return r;
#ifdef _WIN32
  const std::string cmd = std::string(bin) + "/mirq-tool " + args + " 2>NUL";
#else
  const std::string cmd = std::string(bin) + "/mirq-tool " + args + " 2>/dev/null";
#endif
  FILE* f = popen(cmd.c_str(), "r");
  if (!f) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) r.out.append(buf, n);
  const int st = pclose(f);
#ifdef _WIN32
  r.status = st;  // the Windows runtime's pclose gives the exit code itself
#else
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
#endif
  return r;
}

class ToolCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("MIRQ_BIN")) GTEST_SKIP() << "MIRQ_BIN is not set (run through ctest)";
  }
};

TEST_F(ToolCommands, EvalPrintsTheEightSumsThenTheScore) {
  ToolRun r = Tool("eval startpos");
  EXPECT_EQ(r.status, 0);
  // Guards of the opening: -50 each toward the far king, 42 and 36 beside
  // their own king; phases -4; table totals -6 and -3.
  EXPECT_EQ(r.out, "-4 -4 -6 -3 -200 200 156 -156\n-9\n");
}

TEST_F(ToolCommands, SeeAndThreatOnADefendedRook) {
  const std::string pos = "sfen 8k/9/9/4g4/4r4/4P4/9/9/K8 b - 1";
  ToolRun see = Tool("see " + pos + " 5e");
  EXPECT_EQ(see.status, 0);
  EXPECT_EQ(see.out, "3895\n");
  ToolRun threat = Tool("threat " + pos);
  EXPECT_EQ(threat.out, "3895\n");
  ToolRun enemy = Tool("threat sfen 8k/9/9/4g4/4r4/4P4/9/9/K8 w - 1");
  EXPECT_EQ(enemy.out, "-205\n");
}

TEST_F(ToolCommands, OrderListsEveryLegalMoveHighestFirst) {
  ToolRun moves = Tool("moves startpos moves 7h7g");
  ToolRun order = Tool("order startpos moves 7h7g");
  ASSERT_EQ(order.status, 0);
  int lines = 0, last = 1 << 30;
  size_t pos = 0;
  while (pos < order.out.size()) {
    size_t end = order.out.find('\n', pos);
    const std::string line = order.out.substr(pos, end - pos);
    const int score = std::atoi(line.substr(line.find(' ') + 1).c_str());
    EXPECT_LE(score, last) << line;
    last = score;
    ++lines;
    pos = end + 1;
  }
  int expected = 0;
  for (char c : moves.out) expected += c == '\n';
  EXPECT_GT(lines, 0);
  EXPECT_EQ(lines, expected);
}

TEST_F(ToolCommands, BadInputExitsWithTwo) {
  EXPECT_EQ(Tool("see startpos 5z").status, 2);
  EXPECT_EQ(Tool("see startpos").status, 2);
  EXPECT_EQ(Tool("eval startpos 5e").status, 2);
  EXPECT_EQ(Tool("order nonsense").status, 2);
}

}  // namespace
