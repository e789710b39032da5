// The shipped launcher end to end: it unpacks the game tree into the
// temporary directory, the game program plays a whole game against the
// real engine, the saved data lands beside the launcher, the tree is
// emptied.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const fs::path& p) {
  std::ifstream in(p);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool HasResultWord(const std::string& record) {
  for (const char* word : {" won startpos", " lost startpos", " drawn startpos"})
    if (record.find(word) != std::string::npos) return true;
  return false;
}

TEST(ShippedGame, AutoplayedGamesAreSavedBesideTheLauncherAndTheTreeIsEmptied) {
  fs::path packed = BuildBin().parent_path() / "Mirqgate";
  if (BuildBin().empty() || !fs::exists(packed))
    GTEST_SKIP() << "no packed launcher at " << packed
                 << " yet: it is built once the engine, launcher and packer exist";

  ScratchDir dir;
  fs::path launcher = dir.path() / "Mirqgate";
  fs::path temp = dir.path() / "tmp";
  fs::create_directories(temp);
  fs::copy_file(packed, launcher);
  fs::permissions(launcher, fs::perms::owner_all, fs::perm_options::add);
  const fs::path games = dir.path() / "Data" / "savedata" / "games.txt";
  const fs::path tree = temp / "MirqData";

  for (int game = 1; game <= 2; ++game) {
    // Run from the temporary folder's parent, not from the launcher's.
    std::string cmd = "cd " + Quoted(temp.string()) + " && env TMPDIR=" + Quoted(temp.string()) +
                      " MIRQ_AUTOPLAY=" + std::to_string(game) + " " + Quoted(launcher.string());
    ProgramRun run = RunShell("sh -c " + Quoted(cmd), 600);
    ASSERT_EQ(run.status, 0) << "game " << game << ":\n" << run.output;
    bool result = run.output.find("You won.") != std::string::npos ||
                  run.output.find("You lost") != std::string::npos ||
                  run.output.find("drawn by repetition") != std::string::npos;
    EXPECT_TRUE(result) << "game " << game << " reached no result:\n" << run.output;

    std::vector<std::string> records = Lines(games);
    ASSERT_EQ(records.size(), static_cast<size_t>(game))
        << "games.txt beside the launcher should hold " << game << " game(s)";
    EXPECT_TRUE(HasResultWord(records.back())) << records.back();
    EXPECT_NE(records.back().find(" startpos moves "), std::string::npos) << records.back();

    ASSERT_TRUE(fs::is_directory(tree)) << "the working tree folder is gone";
    EXPECT_TRUE(fs::is_empty(tree)) << "the working tree was not emptied after game " << game;
  }
  EXPECT_TRUE(fs::exists(dir.path() / "Data" / "savedata" / "score.txt"));
}

}  // namespace
