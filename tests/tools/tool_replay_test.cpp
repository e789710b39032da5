// mirq-tool replay: a recorded game's end, and records that disagree with
// their replay or do not replay at all.
#include <gtest/gtest.h>

#include "support/files.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

TEST(ToolReplay, EndsOfRecordedGamesAndRecordsThatDisagree) {
  ScratchDir dir;
  const auto games = dir / "games.txt";
  // The shortest game to write down is a draw: both golds step back and
  // forth until the position comes a fourth time.
  std::string draw = "2026-12-09 03:00:00 drawn repetition startpos moves 6h6g 6b6c";
  for (int i = 0; i < 3; ++i) draw += " 6i6h 6a6b 6h6i 6b6a";
  WriteBytes(games, draw + "\n2026-12-09 03:01:00 won mate startpos moves 7h7g\n");

  ProgramRun one = RunTool({"replay", games.string(), "1"});
  EXPECT_EQ(one.status, 0) << one.errors;
  EXPECT_EQ(Lines(one.output).back(), "result drawn repetition") << one.output;
  EXPECT_EQ(Lines(one.output).front().rfind("sfen ", 0), 0u) << one.output;

  ProgramRun all = RunTool({"replay", games.string()});
  EXPECT_EQ(all.status, 1) << "game 2 does not end in a win: " << all.output;
  EXPECT_NE(all.errors.find("game 2 is recorded as won mate, but its replay ends unfinished"),
            std::string::npos)
      << all.errors;

  EXPECT_EQ(RunTool({"replay", games.string(), "3"}).status, 2);
  WriteBytes(games, "2026-12-09 03:00:00 lost startpos moves 7h7g 3b3c G*5f\n");
  ProgramRun bad = RunTool({"replay", games.string()});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.errors.find("not bought a gold"), std::string::npos) << bad.errors;
}

}  // namespace
