// mirq-tool's position commands, run as a subprocess.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace {

const char* const START_SFEN = "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1";

std::string Joined(const std::vector<std::string>& args) {
  std::string s = "mirq-tool";
  for (const std::string& a : args) s += " " + a;
  return s;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    size_t j = line.find(' ', i);
    if (j == std::string::npos) j = line.size();
    if (j > i) words.push_back(line.substr(i, j - i));
    i = j + 1;
  }
  return words;
}

bool IsKeyText(const std::string& w) {
  if (w.size() != 16) return false;
  for (char c : w)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// Runs a command that must succeed with one line of output.
std::string OneLine(const std::vector<std::string>& args) {
  ProgramRun run = RunTool(args);
  EXPECT_EQ(run.status, 0) << Joined(args) << "\nstderr: " << run.errors;
  std::vector<std::string> lines = Lines(run.output);
  EXPECT_EQ(lines.size(), 1u) << Joined(args) << " printed:\n" << run.output;
  return lines.empty() ? "" : lines[0];
}

TEST(ToolMoves, StartPositionHasThirteenMovesInGenerationOrder) {
  ProgramRun run = RunTool({"moves", "startpos"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  std::vector<std::string> expected = {"1h1g", "2h2g", "2i3g", "2i1g", "3h3g", "4h4g", "5h5g",
                                       "6h6g", "7h7g", "8h8g", "8i9g", "8i7g", "9h9g"};
  EXPECT_EQ(Lines(run.output), expected);
}

TEST(ToolMoves, SecondPlayerAnswersAfterAMove) {
  ProgramRun run = RunTool({"moves", "startpos", "moves", "7h7g"});
  ASSERT_EQ(run.status, 0) << run.errors;
  std::vector<std::string> lines = Lines(run.output);
  EXPECT_EQ(lines.size(), 13u) << run.output;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "3b3c"), lines.end()) << run.output;
  EXPECT_EQ(std::find(lines.begin(), lines.end(), "7h7f"), lines.end()) << run.output;
}

TEST(ToolMoves, DropsAreListedWithTheirLetters) {
  ProgramRun run = RunTool({"moves", "sfen", "4k4/9/9/9/9/9/9/9/4K4", "b", "G", "1"});
  ASSERT_EQ(run.status, 0) << run.errors;
  std::vector<std::string> lines = Lines(run.output);
  // 5 king moves and a gold drop on each of the 79 empty squares.
  EXPECT_EQ(lines.size(), 5u + 79u) << run.output;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "G*5b"), lines.end()) << run.output;
}

TEST(ToolSfen, StartPositionAndMovesAreWrittenBack) {
  EXPECT_EQ(OneLine({"sfen", "startpos"}), START_SFEN);
  EXPECT_EQ(OneLine({"sfen", "startpos", "moves", "7h7g", "3b3c"}),
            "lnsgkgsnl/pppppp1pp/6p2/9/9/9/2P6/PP1PPPPPP/LNSGKGSNL b - 3");
}

TEST(ToolSfen, SfenInputComesBackUnchanged) {
  const std::vector<std::string> fields = {
      "l2g1k2l/1+R2s2s1/p1np1p+Bp1/4p3p/1P7/2P1P1P2/P2PSP2P/1+b1G1K3/LN5NL", "w", "RG2S3N2L12Pbg3p",
      "57"};
  std::vector<std::string> args = {"sfen", "sfen"};
  args.insert(args.end(), fields.begin(), fields.end());
  std::string expected = fields[0] + " " + fields[1] + " " + fields[2] + " " + fields[3];
  EXPECT_EQ(OneLine(args), expected);
  // The same four fields quoted as one argument.
  EXPECT_EQ(OneLine({"sfen", "sfen", expected}), expected);
}

TEST(ToolSfen, PromotionAfterMovesIsMadeWithTheFlag) {
  EXPECT_EQ(OneLine({"sfen", "sfen", "4k4/9/9/4P4/9/9/9/9/4K4", "b", "-", "1", "moves", "5d5c+"}),
            "4k4/9/4+P4/9/9/9/9/9/4K4 w - 2");
  // A move leaving the zone may promote too; so may the second player.
  EXPECT_EQ(OneLine({"sfen", "sfen", "4k4/9/9/9/9/9/3s5/9/4K4", "w", "-", "1", "moves", "6g7h+"}),
            "4k4/9/9/9/9/9/9/2+s6/4K4 b - 2");
}

TEST(ToolKeys, PrintsThreeHexKeysWithKyokumenTheXorOfTheOthers) {
  std::string line = OneLine({"keys", "startpos"});
  std::vector<std::string> w = Words(line);
  ASSERT_EQ(w.size(), 3u) << line;
  ASSERT_EQ(line, w[0] + " " + w[1] + " " + w[2]) << "one space between the keys";
  for (const std::string& key : w)
    EXPECT_TRUE(IsKeyText(key)) << "not 16 lower-case hex digits: " << key;
  uint64_t hash = std::stoull(w[0], nullptr, 16);
  uint64_t hand = std::stoull(w[1], nullptr, 16);
  uint64_t kyokumen = std::stoull(w[2], nullptr, 16);
  EXPECT_EQ(hand, 0u) << "empty hands toggle no hand key: " << line;
  EXPECT_EQ(kyokumen, hash ^ hand) << line;

  std::string held =
      OneLine({"keys", "sfen", "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL", "b", "P", "1"});
  std::vector<std::string> h = Words(held);
  ASSERT_EQ(h.size(), 3u) << held;
  EXPECT_EQ(h[0], w[0]) << "same board, same Hash";
  EXPECT_NE(h[1], w[1]) << "a pawn in hand changes Hand";
}

TEST(ToolKeys, TranspositionsShareTheirKeys) {
  std::string a = OneLine({"keys", "startpos", "moves", "7h7g", "3b3c", "2h2g"});
  std::string b = OneLine({"keys", "startpos", "moves", "2h2g", "3b3c", "7h7g"});
  std::string c = OneLine({"keys", "startpos", "moves", "2h2g", "3b3c"});
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
}

TEST(ToolPerft, CountsTheStartPositionTree) {
  EXPECT_EQ(OneLine({"perft", "startpos", "1"}), "13");
  EXPECT_EQ(OneLine({"perft", "startpos", "2"}), "169");
  EXPECT_EQ(OneLine({"perft", "startpos", "0"}), "1");
  EXPECT_EQ(OneLine({"perft", "startpos", "moves", "7h7g", "1"}), "13");
  // The last ply a game may reach still counts to the deepest depth taken.
  EXPECT_EQ(OneLine({"perft", "sfen", "4k4/9/9/9/9/9/9/9/4K4", "b", "-", "1000", "2"}), "25");
}

TEST(ToolPerft, DivideListsEachMoveAndTheTotal) {
  ProgramRun run = RunTool({"divide", "startpos", "2"});
  ASSERT_EQ(run.status, 0) << run.errors;
  std::vector<std::string> lines = Lines(run.output);
  ASSERT_EQ(lines.size(), 14u) << run.output;
  EXPECT_EQ(lines[0], "1h1g 13");
  EXPECT_EQ(lines[13], "total 169");
}

// Every kind of bad input: exit status 2, nothing on standard output and
// exactly one line on standard error that names the problem.
TEST(ToolBadInput, IsOneErrorLineAndExitStatusTwo) {
  struct Case {
    std::vector<std::string> args;
    const char* mentions;
  };
  const std::vector<Case> cases = {
      {{"frobnicate", "startpos"}, "unknown command"},
      {{"moves"}, "missing position"},
      {{"moves", "midgame"}, "unknown position"},
      {{"moves", "sfen", "lnsgkgsnl/ppppppppp/9/9", "b", "-", "1"}, "ranks"},
      {{"moves", "sfen", "lnsgkgsnl"}, "4 fields"},
      {{"moves", "sfen", "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL", "x", "-", "1"},
       "side"},
      {{"moves", "sfen", "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL", "b", "-", "0"},
       "move number"},
      {{"moves", "sfen", "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPPP/LNSGKGSNL", "b", "-", "1"},
       "off the board"},
      {{"moves", "sfen", "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSN1L", "b", "-", "1"},
       "off the board"},
      {{"moves", "sfen", "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNX", "b", "-", "1"},
       "unknown piece"},
      {{"moves", "sfen", "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNS+GKGSNL", "b", "-", "1"},
       "cannot be promoted"},
      {{"moves", "sfen", "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL", "b", "19P", "1"},
       "more than 18"},
      {{"moves", "sfen", "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL", "b", "K", "1"},
       "in hand"},
      {{"moves", "sfen", "lnsg1gsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL", "b", "-", "1"},
       "no ENEMY king"},
      {{"moves", "sfen", "4k4/9/9/9/9/9/9/9/4G4", "b", "-", "1"}, "no SELF king"},
      {{"moves", "sfen", "4k4/4R4/9/9/9/9/9/9/4K4", "b", "-", "1"}, "not to move is in check"},
      {{"moves", "startpos", "moves", "7h7f"}, "illegal move"},
      {{"moves", "startpos", "moves", "7h7g+"}, "promotion zone"},
      {{"moves", "startpos", "moves", "3b3c"}, "other side"},
      {{"moves", "startpos", "moves", "P*5e"}, "no pawn in hand"},
      {{"moves", "startpos", "moves", "7j7i"}, "malformed move"},
      {{"moves", "startpos", "moves", "0h0g"}, "malformed move"},
      {{"moves", "startpos", "extra"}, "unexpected argument"},
      {{"moves", "sfen", "4k4/9/9/9/9/9/9/9/4K4", "b", "-", "1000", "moves", "5i5h"},
       "too many moves"},
      {{"perft", "startpos"}, "missing argument"},
      {{"perft", "startpos", "deep"}, "depth"},
      {{"perft", "startpos", "-1"}, "bad depth"},
      {{"perft", "startpos", "99"}, "bad depth"},
      {{"perft", "startpos", "2", "3"}, "unexpected argument"},
  };
  for (const Case& c : cases) {
    ProgramRun run = RunTool(c.args);
    EXPECT_EQ(run.status, 2) << Joined(c.args) << "\nstderr: " << run.errors;
    EXPECT_EQ(run.output, "") << Joined(c.args);
    std::vector<std::string> lines = Lines(run.errors);
    ASSERT_EQ(lines.size(), 1u) << Joined(c.args) << "\nstderr: " << run.errors;
    EXPECT_EQ(lines[0].rfind("mirq-tool: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(c.mentions), std::string::npos)
        << Joined(c.args) << "\nshould mention '" << c.mentions << "' but says: " << lines[0];
  }
}

}  // namespace
