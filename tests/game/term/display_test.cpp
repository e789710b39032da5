// Choosing the board style from the environment, the board and move list
// drawn, and message lines.
#include <gtest/gtest.h>

#include <sstream>

#include "board_view.h"
#include "game_steps.h"
#include "session.h"

namespace {

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
  ASSERT_NO_FATAL_FAILURE(PlayHuman(g, "7877"));
  ASSERT_NO_FATAL_FAILURE(PlayEngine(g, "3233"));
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

}  // namespace
