// The shipped launcher end to end: it unpacks the game tree into the
// temporary directory, the game program plays a whole game against the
// real engine, the saved data lands beside the launcher, the tree is
// emptied.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game_record.h"
#include "support/files.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// A finished demonstration game whose end the board shows (mate, no move,
// repetition): the engine's last move is in the record.
bool FinishedDemo(const std::string& line) {
  GameRecord r;
  std::string why;
  return ParseGameRecord(line, r, why) && r.result >= 5 && r.demo && r.how != Ending::None;
}

TEST(ShippedGame, AutoplayedGamesAreSavedBesideTheLauncherAndReplayToTheirResults) {
  fs::path packed = BuildBin().parent_path() / "Mirqgate";
  if (BuildBin().empty() || !fs::exists(packed))
    GTEST_SKIP() << "no packed launcher at " << packed
                 << ": the native build packs it, a cross build does not";

  ScratchDir dir;
  fs::path launcher = dir.path() / "Mirqgate";
  fs::path temp = dir.path() / "tmp";
  fs::create_directories(temp);
  fs::permissions(temp, fs::perms::owner_all);
  fs::copy_file(packed, launcher);
  fs::permissions(launcher, fs::perms::owner_all, fs::perm_options::add);
  const fs::path games = dir.path() / "Data" / "savedata" / "games.txt";
  const fs::path tree = temp / "MirqData";

  const int kGames = 3;
  for (int game = 1; game <= kGames; ++game) {
    // Run from the temporary folder's parent, not from the launcher's.
    // The launcher takes the session's private folder first, TMPDIR after.
    std::string cmd = "cd " + Quoted(temp.string()) + " && env TMPDIR=" + Quoted(temp.string()) +
                      " XDG_RUNTIME_DIR=" + Quoted(temp.string()) +
                      " MIRQ_AUTOPLAY=" + std::to_string(game) + " " + Quoted(launcher.string());
    ProgramRun run = RunShell("sh -c " + Quoted(cmd), 600);
    ASSERT_EQ(run.status, 0) << "game " << game << ":\n" << run.output;

    std::vector<std::string> records = Lines(ReadBytes(games));
    ASSERT_EQ(records.size(), static_cast<size_t>(game))
        << "games.txt beside the launcher should hold " << game << " game(s)";
    EXPECT_TRUE(FinishedDemo(records.back())) << records.back();

    ASSERT_TRUE(fs::is_directory(tree)) << "the working tree folder is gone";
    EXPECT_TRUE(fs::is_empty(tree)) << "the working tree was not emptied after game " << game;
  }
  EXPECT_FALSE(fs::exists(dir.path() / "Data" / "savedata" / "score.txt"))
      << "demonstrations were counted in the totals";

  // Each game replays to its end, and there reaches the recorded result.
  ProgramRun replay = RunTool({"replay", games.string()});
  EXPECT_EQ(replay.status, 0) << replay.output << replay.errors;
  EXPECT_EQ(Lines(replay.output).size(), 3u * kGames) << replay.output;
}

}  // namespace
