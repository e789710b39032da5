// docs/book.md's worked example, run as written: its ```text NAME blocks
// are the files, its ```console blocks the commands ("$ " lines) and what
// they print. Runs of blanks count as one, as od pads its columns.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

struct Command {
  std::string line;
  std::string expected;
};

std::string Squeezed(const std::string& text) {
  std::string out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string word, joined;
    while (words >> word) joined += (joined.empty() ? "" : " ") + word;
    out += joined + "\n";
  }
  return out;
}

TEST(BookDocument, WorkedExampleRunsAsWritten) {
#ifdef _WIN32
  GTEST_SKIP() << "the example is a POSIX shell session";
#endif
  const char* source = std::getenv("MIRQ_SOURCE");
  if (!source || BuildBin().empty())
    GTEST_SKIP() << "MIRQ_SOURCE or MIRQ_BIN not set (run through CTest)";
  const std::string page = ReadBytes(std::string(source) + "/docs/book.md");
  ASSERT_FALSE(page.empty()) << "cannot read docs/book.md";

  ScratchDir dir;
  std::vector<Command> commands;
  std::istringstream in(page);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("```text ", 0) == 0) {
      std::string body;
      for (std::string row; std::getline(in, row) && row != "```";) body += row + "\n";
      WriteBytes(dir / line.substr(8), body);
    } else if (line == "```console") {
      for (std::string row; std::getline(in, row) && row != "```";) {
        if (row.rfind("$ ", 0) == 0) {
          commands.push_back({row.substr(2), ""});
        } else {
          ASSERT_FALSE(commands.empty()) << "output before the first command: " << row;
          commands.back().expected += row + "\n";
        }
      }
    }
  }
  ASSERT_GE(commands.size(), 5u) << "the page lost its example";

  const std::string prefix =
      "cd " + Quoted(dir.str()) + " && PATH=" + Quoted(BuildBin().string()) + ":\"$PATH\" && ";
  for (const Command& c : commands) {
    ProgramRun run = RunShell(prefix + c.line, 60);
    EXPECT_EQ(Squeezed(run.output), Squeezed(c.expected)) << "$ " << c.line;
  }
}

}  // namespace
