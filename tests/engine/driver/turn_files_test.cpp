// Scanning the human's move line, formatting the engine's move, writing.
#include "driver/turn_files.h"

#include <gtest/gtest.h>

#include <string>

#include "scratch_game_tree.h"

namespace {

std::string Scan(const char* line) {
  MoveLine m = ScanMoveLine(line);
  char text[64];
  std::snprintf(text, sizeof text, "%d %x %x %c", m.numbers, m.origin, m.dest,
                m.mark ? m.mark : '-');
  return text;
}

TEST(MoveLine, ReadsTwoHexFieldsOfAtMostTwoDigitsAndAMark) {
  EXPECT_EQ(Scan("7877"), "2 78 77 -");
  EXPECT_EQ(Scan("0455"), "2 4 55 -") << "a silver dropped on 0x55";
  EXPECT_EQ(Scan("455"), "2 45 5 -") << "each field takes up to two digits";
  EXPECT_EQ(Scan("2324*"), "2 23 24 *");
  EXPECT_EQ(Scan(" 23 24 * "), "2 23 24 *") << "blanks before each field";
  EXPECT_EQ(Scan("7877\n"), "2 78 77 -");
  EXPECT_EQ(Scan("7a7F"), "2 7a 7f -") << "hexadecimal letters are read";
  EXPECT_EQ(Scan("ffff"), "2 ff ff -");
  EXPECT_EQ(Scan("787788"), "2 78 77 8") << "the mark is the next non-blank character";
  EXPECT_EQ(Scan("7"), "1 7 0 -");
  EXPECT_EQ(Scan("78 "), "1 78 0 -");
  EXPECT_EQ(Scan(""), "0 0 0 -");
  EXPECT_EQ(Scan("\n"), "0 0 0 -");
  EXPECT_EQ(Scan("-1 77"), "0 0 0 -") << "no sign: the value never leaves 0..255";
  EXPECT_EQ(Scan("78g7"), "1 78 0 -");
  EXPECT_EQ(Scan("\x80\xff"), "0 0 0 -");
}

TEST(EngineMove, BoardMovesAreFourHexDigitsAndDropsStartWithZero) {
  char text[8];
  FormatEngineMove(Move{0x32, 0x33, EFU, EMP, 0, 0, 0}, text);
  EXPECT_STREQ(text, "3233");
  FormatEngineMove(Move{0, 0x55, EFU, EMP, 0, 0, 0}, text);
  EXPECT_STREQ(text, "0155");
  FormatEngineMove(Move{0, 0x99, EHI, EMP, 0, 0, 0}, text);
  EXPECT_STREQ(text, "0799");
  FormatEngineMove(Move{0x11, 0x99, EUM, EMP, 0, 0, 0}, text);
  EXPECT_STREQ(text, "1199");
  FormatEngineMove(Move{0x54, 0x57, EFU, SFU, 1, 0, 0}, text);
  EXPECT_STREQ(text, "5457") << "no promotion mark, no capture";
}

TEST(TurnFileWrites, CreateOrTruncateWithoutTerminator) {
  ScratchGameTree tree("turn_files");
  WorkingFolder in(tree.Data());
  WriteTurnFile(ENEMY_FILE, "1");
  EXPECT_EQ(tree.Read("$enemy.mvdf"), "1");
  WriteTurnFile(ENEMY_TE_FILE, "0155");
  WriteTurnFile(ENEMY_TE_FILE, "77");
  EXPECT_EQ(tree.Read("$enemyTe.mvdf"), "77") << "the file is truncated, not appended to";

  tree.Write("$setTe.mvdf", std::string(200, '7') + "\n");
  std::FILE* f = OpenTurnFile(SET_TE_FILE);
  ASSERT_NE(f, nullptr);
  char line[TURN_LINE_CHARS + 1];
  ASSERT_TRUE(ReadTurnLine(f, line));
  std::fclose(f);
  EXPECT_EQ(std::string(line), std::string(TURN_LINE_CHARS, '7'))
      << "a line is cut at 79 characters";

  tree.Write("$setTe.mvdf", "");
  f = OpenTurnFile(SET_TE_FILE);
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(ReadTurnLine(f, line)) << "an empty file has no line";
  std::fclose(f);
  tree.Remove("$setTe.mvdf");
  EXPECT_EQ(OpenTurnFile(SET_TE_FILE), nullptr);
  EXPECT_FALSE(ReadTurnLine(nullptr, line));
}

}  // namespace
