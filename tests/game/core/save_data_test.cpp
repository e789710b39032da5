// The saved games and totals.
#include "save_data.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/files.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(SavedData, GamesAreAppendedAndFinishedOnesCountedButNotDemonstrations) {
  ScratchDir dir;
  fs::path saves = dir.path() / "savedata";
  Score totals;
  std::string why;
  ASSERT_TRUE(RecordGame(saves.string(), "A lost", 6, true, totals, why)) << why;
  ASSERT_TRUE(RecordGame(saves.string(), "B won", 5, true, totals, why)) << why;
  ASSERT_TRUE(RecordGame(saves.string(), "C unfinished", 0, true, totals, why)) << why;
  ASSERT_TRUE(RecordGame(saves.string(), "D drawn", 7, true, totals, why)) << why;
  ASSERT_TRUE(RecordGame(saves.string(), "E won demo", 5, false, totals, why)) << why;
  EXPECT_EQ(ReadBytes(saves / "games.txt"), "A lost\nB won\nC unfinished\nD drawn\nE won demo\n");
  EXPECT_EQ(ReadBytes(saves / "score.txt"), "won 1\nlost 1\ndrawn 1\n");
  EXPECT_EQ(totals.won + totals.lost + totals.drawn, 3);
  EXPECT_FALSE(fs::exists(saves / "score.txt.new")) << "the temporary totals file was left behind";
}

TEST(SavedData, AnUnreadableScoreFileIsNeverOverwritten) {
  ScratchDir dir;
  fs::path saves = dir.path() / "savedata";
  fs::create_directories(saves);
  { std::ofstream(saves / "score.txt") << "won lots\n"; }
  Score totals;
  std::string why;
  EXPECT_FALSE(RecordGame(saves.string(), "a won game", 5, true, totals, why));
  EXPECT_NE(why.find("unreadable"), std::string::npos) << why;
  EXPECT_EQ(ReadBytes(saves / "score.txt"), "won lots\n");
  EXPECT_EQ(ReadBytes(saves / "games.txt"), "a won game\n")
      << "the game itself was lost along with the totals";
}

}  // namespace
