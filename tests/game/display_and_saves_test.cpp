// Choosing the board style from the environment, and the saved games and
// totals.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "board_view.h"
#include "game_steps.h"
#include "save_data.h"
#include "session.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(BoardStyle, KanjiAndColourOnlyOnAUtf8TerminalThatCanShowThem) {
  EXPECT_TRUE(WantsFancy(nullptr, nullptr, "en_US.UTF-8", "xterm-256color", nullptr, true));
  EXPECT_TRUE(WantsFancy(nullptr, nullptr, "C.utf8", "screen", nullptr, true));
  EXPECT_FALSE(WantsFancy(nullptr, nullptr, "en_US.UTF-8", "xterm", nullptr, false))
      << "output that is not a terminal gets colour codes";
  EXPECT_FALSE(WantsFancy(nullptr, nullptr, "en_US.UTF-8", "dumb", nullptr, true));
  EXPECT_FALSE(WantsFancy(nullptr, nullptr, "en_US.UTF-8", nullptr, nullptr, true));
  EXPECT_FALSE(WantsFancy(nullptr, nullptr, "C", "xterm", nullptr, true));
  EXPECT_FALSE(WantsFancy(nullptr, nullptr, nullptr, "xterm", nullptr, true));
  EXPECT_FALSE(WantsFancy(nullptr, nullptr, "en_US.UTF-8", "xterm", "1", true))
      << "NO_COLOR ignored";
  // The first locale variable that is set decides.
  EXPECT_FALSE(WantsFancy("C", "en_US.UTF-8", "en_US.UTF-8", "xterm", nullptr, true));
  EXPECT_TRUE(WantsFancy("", "de_DE.UTF-8", "C", "xterm", nullptr, true));
}

TEST(BoardStyle, PlainBoardMarksTheEnginesMoveAndSidesByCase) {
  GameState g;
  Move m{};
  std::string why;
  ASSERT_TRUE(g.CheckMove(ParseCommand("7877"), m, why)) << why;
  g.NoteMoveRequest(m);
  g.PlayHumanMove(m, "000");
  Move played{};
  ASSERT_TRUE(g.PlayEngineMove("3233", played, why)) << why;
  std::string board = RenderBoard(g, ViewStyle{false});
  EXPECT_NE(board.find("  | p  p  p  p  p  p  .* p  p | b 2\n"), std::string::npos) << board;
  EXPECT_NE(board.find("  | .  .  .  .  .  .  p* .  . | c 3\n"), std::string::npos) << board;
  EXPECT_NE(board.find("  | L  N  S  G  K  G  S  N  L | i 9\n"), std::string::npos) << board;
  EXPECT_EQ(RenderMoveList(g, 16), "1. 7h7g 3b3c\n");
  std::string fancy = RenderBoard(g, ViewStyle{true});
  EXPECT_NE(fancy.find("王"), std::string::npos) << "the engine's king is not shown in kanji";
  EXPECT_NE(fancy.find("玉"), std::string::npos) << "the player's king is not shown in kanji";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Display, MoveListsAndMessagesBreakBetweenWordsAndEndAsSentences) {
  GameState g;
  PlayHuman(g, "6867");
  PlayEngine(g, "6263");
  for (int cycle = 0; cycle < 3; ++cycle) {
    PlayHuman(g, "6968");
    PlayEngine(g, "6162");
    PlayHuman(g, "6869");
    PlayEngine(g, "6261");
  }
  const std::string oneLine = RenderMoveList(g, 100);
  const std::string wrapped = RenderMoveList(g, 100, "Moves: ", 30);
  std::string joined;
  for (const std::string& line : SplitLines(wrapped)) {
    EXPECT_LE(line.size(), 30u) << wrapped;
    joined += (joined.empty() ? "" : " ") + line.substr(line.find_first_not_of(' '));
  }
  EXPECT_EQ("Moves: " + oneLine, joined + "\n") << "a move was cut:\n" << wrapped;
  EXPECT_NE(wrapped.find("\n       4. "), std::string::npos) << "no break before a move number:\n"
                                                             << wrapped;

  EXPECT_EQ(Message("Not allowed"), "  Not allowed.\n");
  EXPECT_EQ(Message("Check!"), "  Check!\n");
  const std::string longText(60, 'x');
  std::vector<std::string> lines = SplitLines(Message(longText + " " + longText));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "    " + longText + ".");
}

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
