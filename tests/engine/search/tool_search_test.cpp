// The analysis tool's mate and select commands, run as a subprocess: what
// they print on standard output and how they refuse bad arguments.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct ToolResult {
  int status;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs mirq-tool with args (already quoted for the shell).
ToolResult Tool(const std::string& args) {
  const char* bin = std::getenv("MIRQ_BIN");
  // One file per test: tests running side by side must not share it.
  std::string errFile = ::testing::TempDir() + "search_tool_err_" +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
  std::string command = std::string(bin ? bin : "bin") + "/mirq-tool " + args + " 2>" + errFile;
  ToolResult run{-1, "", ""};
  std::FILE* p = popen(command.c_str(), "r");
  if (!p) return run;
  char buf[256];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) run.out.append(buf, n);
  int status = pclose(p);
#ifdef _WIN32
  run.status = status;  // the Windows runtime's pclose gives the exit code itself
#else
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  run.err = Slurp(errFile);
  return run;
}

TEST(SearchToolTest, MatePrintsResultAndMoveAndCountsOnStandardError) {
  ToolResult r = Tool("mate sfen 8k/9/8P/9/9/9/9/9/K8 b G 1");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1 G*1b\n");
  EXPECT_NE(r.err.find("nodes "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(" ms"), std::string::npos) << r.err;

  r = Tool("mate sfen 4k4/9/9/9/9/9/9/9/4K4 b - 1");
  EXPECT_EQ(r.out, "-1 none\n") << "no check at all";
  r = Tool("mate sfen 9/2k6/9/9/2G6/+RN7/9/9/K8 b RP 1 1");
  EXPECT_EQ(r.out, "0 none\n") << "a 5-ply mate is beyond depth 1";
  r = Tool("mate sfen 9/2k6/9/9/2G6/+RN7/9/9/K8 b RP 1 3");
  EXPECT_EQ(r.out.substr(0, 2), "1 ") << "and within depth 3";
}

TEST(SearchToolTest, SelectPrintsMoveAndScoreOrNone) {
  ToolResult r = Tool("select sfen 8k/9/8P/9/9/9/9/9/K8 b G 1");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "G*1b 0\n");
  r = Tool("select sfen 8k/6G2/8P/9/9/9/9/9/K8 w - 1");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "none 0\n") << "the side to move has no legal move";
  r = Tool("select startpos moves 7h7g");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "6b6c 0\n");
}

TEST(SearchToolTest, SelectAnswersFromAGivenBook) {
  std::string book = ::testing::TempDir() + "search_tool_book.bin";
  {
    // One line: 7h7g (code 70 -> 61), then 3b3c (code 12 -> 21).
    std::ofstream out(book, std::ios::binary);
    unsigned char record[512] = {61, 70, 21, 12};
    out.write(reinterpret_cast<const char*>(record), sizeof record);
  }
  ToolResult r = Tool("select startpos moves 7h7g --book " + book);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "3b3c 0\n");
  std::remove(book.c_str());
}

TEST(SearchToolTest, BadArgumentsAreRefused) {
  ToolResult r = Tool("mate startpos 0");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("depth"), std::string::npos) << r.err;
  r = Tool("select startpos --book no-such-book.bin");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("no-such-book.bin"), std::string::npos) << r.err;
  r = Tool("select startpos --book");
  EXPECT_EQ(r.status, 2);
  r = Tool("select");
  EXPECT_EQ(r.status, 2);
}

}  // namespace
