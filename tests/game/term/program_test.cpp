// The game program run as the launcher runs it: copied into a tree as
// "Mirq.exe", started from another folder, with a scripted engine in data/.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "game_record.h"
#include "support/files.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

size_t CountLines(const std::string& text) {
  size_t n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

class GameProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path bin = BuildBin();
    ASSERT_FALSE(bin.empty()) << "MIRQ_BIN is not set; run the tests through ctest";
    fs::path term = bin / "mirq-term";
    fs::path engine = bin.parent_path() / "tests" / "mirq_fake_engine";
    ASSERT_TRUE(fs::exists(term)) << term << " is missing";
    ASSERT_TRUE(fs::exists(engine)) << engine << " is missing";
    fs::create_directories(tree / "data");
    fs::create_directories(elsewhere);
    fs::copy_file(term, tree / "Mirq.exe");
    fs::copy_file(engine, tree / "data" / "Mirqmind");
  }

  // Runs the game from a folder that is not the tree, as the launcher does.
  ProgramRun Run(const std::string& env, const std::string& args = "",
                 const std::string& input = "") {
    std::string cmd = "cd " + Quoted(elsewhere.string()) + " && ";
    if (!input.empty()) cmd += "printf '%s' " + Quoted(input) + " | ";
    cmd += "env " + env + " " + Quoted((tree / "Mirq.exe").string()) + " " + args;
    return RunShell("sh -c " + Quoted(cmd), 60);
  }

  ScratchDir dir;
  fs::path tree = dir.path() / "tree";
  fs::path elsewhere = dir.path() / "cwd";
};

TEST_F(GameProgramTest, DemonstrationsAreRecordedAsSuchAndNotCounted) {
  ProgramRun run = Run("MIRQ_FAKE_MOVES=5 MIRQ_FAKE_RESULT=6 MIRQ_AUTOPLAY=7");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("You lost"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Mirqmind: "), std::string::npos) << "no engine move shown:\n"
                                                              << run.output;

  std::string games = ReadBytes(tree / "savedata" / "games.txt");
  ASSERT_EQ(CountLines(games), 1u) << games;
  EXPECT_NE(games.find(" lost demo startpos moves "), std::string::npos) << games;
  EXPECT_EQ(ReadBytes(tree / "savedata" / "score.txt"), "") << "a demonstration changed the totals";
  EXPECT_TRUE(fs::is_empty(elsewhere)) << "the game wrote into the current folder";

  run = Run("MIRQ_FAKE_MOVES=3 MIRQ_FAKE_RESULT=5", "--auto 8");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("You won"), std::string::npos) << run.output;
  games = ReadBytes(tree / "savedata" / "games.txt");
  EXPECT_EQ(CountLines(games), 2u) << "the second game did not append:\n" << games;
  EXPECT_EQ(ReadBytes(tree / "savedata" / "score.txt"), "");
}

TEST_F(GameProgramTest, SameSeedPlaysTheSameGame) {
  ProgramRun a = Run("MIRQ_FAKE_MOVES=6 MIRQ_AUTOPLAY=42");
  ProgramRun b = Run("MIRQ_FAKE_MOVES=6 MIRQ_AUTOPLAY=42");
  ProgramRun c = Run("MIRQ_FAKE_MOVES=6 MIRQ_AUTOPLAY=43");
  ASSERT_EQ(a.status, 0) << a.output;
  // The running totals differ between the runs; the games must not.
  auto game = [](const std::string& out) { return out.substr(0, out.find("Games won")); };
  EXPECT_EQ(game(a.output), game(b.output));
  EXPECT_NE(game(a.output), game(c.output)) << "the seed does not change the game";
}

TEST_F(GameProgramTest, TypedInputIsAnsweredLineByLine) {
  ProgramRun run =
      Run("MIRQ_FAKE_MOVES=50", "--ascii", "hello\n7776\n0455\nbuy G 3 1 0\n7h7g\nmoves\nquit\n");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("unknown command 'hello'"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("no piece of yours on 7g"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("not bought a silver"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("You cannot pay that"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("You: 7h7g (7877)"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Your legal moves:"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("You left the game"), std::string::npos) << run.output;
  EXPECT_NE(
      ReadBytes(tree / "savedata" / "games.txt").find(" unfinished quit startpos moves 7h7g "),
      std::string::npos)
      << "the abandoned game was not kept";
  EXPECT_EQ(ReadBytes(tree / "savedata" / "score.txt"), "")
      << "an abandoned game changed the totals";
}

TEST_F(GameProgramTest, TheEnginesMoveThatEndsTheGameIsShownAndRecorded) {
  ProgramRun run = Run("MIRQ_FAKE_MOVES=3 MIRQ_FAKE_LAST_MOVE=1 MIRQ_AUTOPLAY=7");
  ASSERT_EQ(run.status, 0) << run.output;
  size_t shown = 0;
  for (size_t at = run.output.find("Mirqmind: "); at != std::string::npos;
       at = run.output.find("Mirqmind: ", at + 1))
    ++shown;
  EXPECT_EQ(shown, 3u) << "the engine's last move is not shown:\n" << run.output;
  std::string games = ReadBytes(tree / "savedata" / "games.txt");
  GameRecord r;
  GameState replayed;
  std::string why;
  ASSERT_TRUE(ParseGameRecord(games.substr(0, games.find('\n')), r, why)) << why;
  ASSERT_TRUE(ReplayGameRecord(r, replayed, why)) << why;
  EXPECT_EQ(replayed.History().size(), 6u) << "the engine's last move is not recorded:\n" << games;
}

#ifndef _WIN32
TEST_F(GameProgramTest, AnInterruptedGameIsRecordedAsUnfinishedAndTheProgramEndsNormally) {
  // Ctrl-C and a closed terminal while the player types; a kill while the
  // engine thinks.
  const struct {
    const char* signal;
    const char* env;
  } cases[] = {{"INT", "MIRQ_FAKE_MOVES=50"},
               {"HUP", "MIRQ_FAKE_MOVES=50"},
               {"TERM", "MIRQ_FAKE_MOVES=50 MIRQ_FAKE_THINK_MS=20000"}};
  for (const auto& c : cases) {
    fs::remove(tree / "savedata" / "games.txt");
    std::string script = "cd " + Quoted(elsewhere.string()) + " && rm -f in && mkfifo in && (env " +
                         c.env + " " + Quoted((tree / "Mirq.exe").string()) +
                         " <in >out.txt 2>&1 & echo $! >pid) && exec 3>in && echo 7h7g >&3 && " +
                         "sleep 1 && kill -" + c.signal + " $(cat pid) && " +
                         "while kill -0 $(cat pid) 2>/dev/null; do sleep 0.1; done; cat out.txt";
    ProgramRun run = RunShell("sh -c " + Quoted(script), 30);
    EXPECT_NE(run.output.find("interrupted"), std::string::npos) << c.signal << ":\n" << run.output;
    EXPECT_NE(ReadBytes(tree / "savedata" / "games.txt")
                  .find(" unfinished interrupted startpos moves 7h7g"),
              std::string::npos)
        << c.signal << ": " << ReadBytes(tree / "savedata" / "games.txt");
  }
  fs::remove(elsewhere / "in");
  fs::remove(elsewhere / "out.txt");
  fs::remove(elsewhere / "pid");
}

TEST(ScriptsPlay, HelpPrintsTheUsageAndBadArgumentsAreRefused) {
  const char* source = std::getenv("MIRQ_SOURCE");
  ASSERT_NE(source, nullptr) << "MIRQ_SOURCE is not set; run the tests through ctest";
  const std::string play = Quoted((fs::path(source) / "scripts" / "play").string());
  ProgramRun help = RunShell(play + " --help", 30);
  EXPECT_EQ(help.status, 0) << help.output;
  EXPECT_NE(help.output.find("--ascii"), std::string::npos) << help.output;
  EXPECT_EQ(RunShell(play + " --frobnicate", 30).status, 2);
}
#endif

TEST_F(GameProgramTest, HistoryHintPurchasesResignAndNewAsAPlayerUsesThem) {
  ProgramRun run = Run("MIRQ_FAKE_MOVES=50", "--ascii",
                       "7h7g\nhistory\nhint\nbuy S 4 0 0\nbuy S\nnew\n7h7g\nresign\nn\n");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("    1. 7h7g (7877)"), std::string::npos) << "no history:\n"
                                                                      << run.output;
  EXPECT_NE(run.output.find("Hint: "), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("That payment does not buy a silver: a silver costs 4 points"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("You cannot buy a silver: a silver costs 4 points"), std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("engine"), std::string::npos) << "a message names the engine:\n"
                                                          << run.output;
  EXPECT_NE(run.output.find("You resigned"), std::string::npos) << run.output;
  // 'new' resigned the first game and started the second without asking.
  std::string games = ReadBytes(tree / "savedata" / "games.txt");
  EXPECT_EQ(CountLines(games), 2u) << games;
  EXPECT_NE(games.find(" lost resigned startpos moves 7h7g "), std::string::npos) << games;
  EXPECT_EQ(ReadBytes(tree / "savedata" / "score.txt"), "won 0\nlost 2\ndrawn 0\n");
}

TEST_F(GameProgramTest, BoardShowsLabelsAndTheEnginesLastMove) {
  ProgramRun run = Run("MIRQ_FAKE_MOVES=50", "--ascii", "7h7g\nboard\nquit\n");
  EXPECT_NE(run.output.find("    9  8  7  6  5  4  3  2  1"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("| i 9"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(" l  n  s  g  k  g  s  n  l | a 1"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find('*'), std::string::npos) << "the engine's move is not marked";
  EXPECT_NE(run.output.find("Your points:  red 0  green 0  blue 0"), std::string::npos)
      << run.output;
}

TEST_F(GameProgramTest, EngineThatStopsUnexpectedlyIsReported) {
  ProgramRun run = Run("MIRQ_FAKE_CRASH=1 MIRQ_AUTOPLAY=1");
  EXPECT_NE(run.status, 0) << run.output;
  EXPECT_NE(run.status, 124) << "the game hung:\n" << run.output;
  EXPECT_NE(run.output.find("the engine stopped unexpectedly (exit status 3)"), std::string::npos)
      << run.output;
}

TEST_F(GameProgramTest, MissingEngineIsReportedAndNothingIsRecorded) {
  fs::remove(tree / "data" / "Mirqmind");
  ProgramRun run = Run("MIRQ_AUTOPLAY=1");
  EXPECT_NE(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("is missing"), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists(tree / "savedata" / "games.txt"));
}

TEST_F(GameProgramTest, BadArgumentsAreRefused) {
  EXPECT_EQ(Run("", "--auto").status, 2);
  EXPECT_EQ(Run("", "--frobnicate").status, 2);
  EXPECT_EQ(Run("MIRQ_AUTOPLAY=abc").status, 2);
}

}  // namespace
