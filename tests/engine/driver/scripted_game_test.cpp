// The engine program against a scripted game program: requests, answers,
// the order of the writes, and a whole game.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "position/keys.h"
#include "position/makemove.h"
#include "position/movegen.h"
#include "position/position.h"
#include "position/usi.h"
#include "scratch_game_tree.h"
#include "support/child_process.h"
#include "support/files.h"
#include "support/run_program.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string EnginePath() {
  const char* bin = std::getenv("MIRQ_BIN");
  if (!bin) return "";
#ifdef _WIN32
  // A Windows build gives the program its product name.
  std::filesystem::path named = std::filesystem::path(bin) / "Mirqmind.exe";
  if (std::filesystem::exists(named)) return named.string();
  return (std::filesystem::path(bin) / "mirqmind.exe").string();
#else
  return (std::filesystem::path(bin) / "mirqmind").string();
#endif
}

class ScriptedGame : public ::testing::Test {
 protected:
  ScriptedGame() : tree(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

  void SetUp() override {
    if (EnginePath().empty()) GTEST_SKIP() << "MIRQ_BIN not set (run through CTest)";
    InitHashKeys();
    SetUpStartPosition(board);
    tree.Age();
    ASSERT_TRUE(engine.Start(EnginePath(), {}, ChildStreams(tree.Data())))
        << "cannot start " << EnginePath();
  }
  void TearDown() override { engine.Stop(); }

  bool Alive() {
    int status;
    if (engine.Wait(0, status)) {
      exitStatus = status;
      return false;
    }
    return true;
  }

  // Waits until the answer to a request is in the request file; "" if the
  // engine ended or took too long.
  std::string Answer(int seconds = 60) {
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      std::string s = tree.Read("$setup.mvdf");
      if (s == "1" || s == "2") return s;
      if (!Alive()) return "";
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return "";
  }

  std::string Request(const std::string& dataFile, const std::string& data,
                      const std::string& request) {
    tree.Write(dataFile, data);
    tree.Write("$setup.mvdf", request);
    return Answer();
  }
  std::string Move(const std::string& line) { return Request("$setTe.mvdf", line, "3"); }
  std::string Purchase(const std::string& line) { return Request("$setKoma.mvdf", line, "4"); }

  // After an accepted move: what replaces "0" in $enemy.mvdf.
  std::string EngineStatus(int seconds = 60) {
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      std::string s = tree.Read("$enemy.mvdf");
      if (s.size() == 1 && s != "0") return s;
      if (!Alive()) return tree.Read("$enemy.mvdf");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return "";
  }

  // Waits for a result code in $enemy.mvdf; "" if none came.
  std::string EngineResult(int seconds = 30) {
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      std::string s = tree.Read("$enemy.mvdf");
      if (s == "5" || s == "6" || s == "7") return s;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return "";
  }

  // The human's move as the game program writes it.
  static std::string Line(const ::Move& m) {
    char text[8];
    if (IsDrop(m))
      std::snprintf(text, sizeof text, "0%d%02x", m.piece - SELF, m.to);
    else
      std::snprintf(text, sizeof text, "%02x%02x", m.from, m.to);
    return text;
  }

  // Decodes the engine's move against the board and checks it is legal
  // (with any piece in hand, since the engine may have bought it).
  bool EngineMoveIsLegal(const std::string& text, ::Move& m) {
    if (text.size() != 4) return false;
    unsigned a = 0, b = 0;
    if (std::sscanf(text.c_str(), "%2x%2x", &a, &b) != 2) return false;
    Position p = board;
    for (int k = FU; k <= HI; ++k) p.Motigoma[ENEMY + k] = 1;
    ::Move list[MAX_MOVES];
    int n = GenerateMoves(p, ENEMY, list);
    for (int i = 0; i < n; ++i) {
      bool match = text[0] == '0' ? IsDrop(list[i]) && list[i].piece == ENEMY + (text[1] - '0') &&
                                        list[i].to == (b & 0xFF)
                                  : !IsDrop(list[i]) && list[i].from == a && list[i].to == b;
      if (match) {
        m = list[i];
        board = p;
        return true;
      }
    }
    return false;
  }

  ScratchGameTree tree;
  ChildProcess engine;
  Position board;  // the game as the game program sees it
  int exitStatus = -1;
};

TEST_F(ScriptedGame, NoWriteWhileNoRequestWaits) {
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  ASSERT_TRUE(Alive());
  for (const char* f : TURN_FILES)
    EXPECT_FALSE(tree.Written(f)) << f << " was written with no request";

  tree.Remove("$setup.mvdf");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(Alive()) << "a missing request file means: keep polling";
  EXPECT_FALSE(tree.Exists("$setup.mvdf"));
  for (const char* f : TURN_FILES) EXPECT_FALSE(tree.Written(f)) << f;

  tree.Write("$setup.mvdf", "");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(tree.Read("$setup.mvdf"), "") << "an empty request file is no request";
  EXPECT_FALSE(tree.Written("$enemy.mvdf"));
  EXPECT_EQ(Move("7877"), "2");
}

TEST_F(ScriptedGame, LegalMoveExchangeWritesInOrder) {
  // The engine writes: $enemy "0", $setup created, $points, $setup "2",
  // $enemyTe, $enemy "1". A snapshot reads the files from the last write
  // back to the first, so that a write it sees implies the earlier ones.
  struct Snapshot {
    std::string enemy;
    bool enemyTeWritten;
    std::string setupBefore;  // read before $points
    bool pointsWritten;
    std::string setupAfter;  // read after $points
    bool enemyWritten;
    bool operator!=(const Snapshot& o) const {
      return enemy != o.enemy || enemyTeWritten != o.enemyTeWritten ||
             setupBefore != o.setupBefore || pointsWritten != o.pointsWritten ||
             setupAfter != o.setupAfter || enemyWritten != o.enemyWritten;
    }
  };
  std::vector<Snapshot> seen;
  tree.Write("$setTe.mvdf", "7877");
  tree.Write("$setup.mvdf", "3abc");  // only the first character counts
  auto deadline = Clock::now() + std::chrono::seconds(60);
  while (Clock::now() < deadline) {
    Snapshot s;
    s.enemy = tree.Read("$enemy.mvdf");
    s.enemyTeWritten = tree.Written("$enemyTe.mvdf");
    s.setupBefore = tree.Read("$setup.mvdf");
    s.pointsWritten = tree.Written("$points.mvdf");
    s.setupAfter = tree.Read("$setup.mvdf");
    s.enemyWritten = tree.Written("$enemy.mvdf");
    if (seen.empty() || s != seen.back()) seen.push_back(s);
    if (s.enemy == "1") break;
  }
  ASSERT_FALSE(seen.empty());
  for (const Snapshot& s : seen) {
    std::string at = "enemy '" + s.enemy + "' setup '" + s.setupBefore + "'/'" + s.setupAfter + "'";
    if (s.setupAfter != "3abc") {
      EXPECT_TRUE(s.enemyWritten) << "\"0\" comes before the answer; " << at;
    }
    if (s.pointsWritten) {
      EXPECT_NE(s.setupAfter, "3abc") << "points after the request was taken; " << at;
    }
    if (s.setupBefore == "2") {
      EXPECT_TRUE(s.pointsWritten) << "points before the answer; " << at;
    }
    if (s.enemyTeWritten) {
      EXPECT_EQ(s.setupBefore, "2") << "the engine's move after the answer; " << at;
    }
    if (s.enemy == "1") {
      EXPECT_TRUE(s.enemyTeWritten) << "\"1\" after the engine's move; " << at;
    } else {
      EXPECT_TRUE(s.enemy == "0" || s.enemy.empty()) << "status while the engine works; " << at;
    }
  }
  EXPECT_EQ(tree.Read("$setup.mvdf"), "2");
  EXPECT_EQ(tree.Read("$points.mvdf"), "000");
  ASSERT_EQ(tree.Read("$enemy.mvdf"), "1");
  MakeMove(board, SELF, ::Move{0x78, 0x77, SFU, EMP, 0, 0, 0});
  ::Move reply;
  EXPECT_TRUE(EngineMoveIsLegal(tree.Read("$enemyTe.mvdf"), reply))
      << "engine move '" << tree.Read("$enemyTe.mvdf") << "' after 7h7g";
  EXPECT_FALSE(tree.Written("$setKoma.mvdf"));
  EXPECT_TRUE(Alive());
}

TEST_F(ScriptedGame, MalformedAndIllegalMovesAreAnsweredOne) {
  const std::vector<std::string> lines = {
      "7876",  // two steps for a pawn
      "7a77",
      "1077",
      "78a0",
      "ffff",  // hexadecimal fields that name no square
      "0855",
      "0055",
      "0955",                          // origins that are neither a square nor a kind
      "7877*",                         // promotion is never generated
      "2324*",                         // the documented promotion example: no piece there
      "455",                           // read as 0x45 to 0x05
      "7876" + std::string(300, '9'),  // an overlong line
      std::string("7876\x01\xff\x80", 7),
      "5958 extra"  // the king steps onto its own pawn
  };
  for (const std::string& line : lines) {
    ASSERT_EQ(Move(line), "1") << "move line '" << line << "'";
    EXPECT_EQ(tree.Read("$enemy.mvdf"), "0");
  }
  EXPECT_TRUE(tree.Written("$enemy.mvdf")) << "\"0\" is written for every move request";
  EXPECT_EQ(Move(""), "1") << "an empty move file";
  tree.Remove("$setTe.mvdf");
  tree.Write("$setup.mvdf", "3");
  EXPECT_EQ(Answer(), "1") << "a missing move file";
  EXPECT_FALSE(tree.Written("$points.mvdf"));
  EXPECT_FALSE(tree.Written("$enemyTe.mvdf"));

  // Polling resumes after every rejection; a mark other than "*" asks for
  // no promotion.
  EXPECT_EQ(Move("7877 x"), "2");
  EXPECT_EQ(EngineStatus(), "1");
}

TEST_F(ScriptedGame, DropRequestIsPlayed) {
  ASSERT_EQ(Move("0455"), "2") << "a silver dropped on 5e";
  EXPECT_EQ(tree.Read("$points.mvdf"), "000");
  ASSERT_EQ(EngineStatus(), "1");
  MakeMove(board, SELF, ::Move{0, 0x55, SGI, EMP, 0, 0, 0});
  ::Move reply;
  EXPECT_TRUE(EngineMoveIsLegal(tree.Read("$enemyTe.mvdf"), reply)) << tree.Read("$enemyTe.mvdf");
}

TEST_F(ScriptedGame, KingPicksUpThePointUnderItOnce) {
  // Pawn 5h5g, then the king 5i5h, back to 5i and to 5h again: every cell
  // holds a point at the start, and the human's king empties it.
  const std::vector<::Move> moves = {{0x58, 0x57, SFU, EMP, 0, 0, 0},
                                     {0x59, 0x58, SOU, EMP, 0, 0, 0},
                                     {0x58, 0x59, SOU, EMP, 0, 0, 0},
                                     {0x59, 0x58, SOU, EMP, 0, 0, 0}};
  std::vector<std::string> reports;
  for (const ::Move& m : moves) {
    Position p = board;
    for (int k = FU; k <= HI; ++k) p.Motigoma[SELF + k] = 1;
    ::Move list[MAX_MOVES];
    int n = GenerateMoves(p, SELF, list);
    bool legal = false;
    for (int i = 0; i < n; ++i) legal = legal || (list[i].from == m.from && list[i].to == m.to);
    ASSERT_TRUE(legal) << FormatUsiMove(m) << " in " << FormatSfen(p, SELF);
    ASSERT_EQ(Move(Line(m)), "2") << FormatUsiMove(m);
    reports.push_back(tree.Read("$points.mvdf"));
    board = p;
    MakeMove(board, SELF, m);
    ASSERT_EQ(EngineStatus(), "1");
    ::Move reply;
    ASSERT_TRUE(EngineMoveIsLegal(tree.Read("$enemyTe.mvdf"), reply));
    MakeMove(board, ENEMY, reply);
  }
  EXPECT_EQ(reports[0], "000") << "a pawn picks up nothing";
  for (int i : {1, 2}) {
    EXPECT_TRUE(reports[i] == "100" || reports[i] == "010" || reports[i] == "001")
        << "king move " << i << " reported '" << reports[i] << "'";
  }
  EXPECT_EQ(reports[3], "000") << "the king's second visit to 5h finds the cell empty";
}

TEST_F(ScriptedGame, PurchasesAreJudgedByThePaymentTable) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1100", "2"}, {"1010", "2"}, {"1001", "2"}, {"2200", "2"}, {"2110", "2"}, {"3111", "2"},
      {"4211", "2"}, {"5400", "2"}, {"5310", "2"}, {"6322", "2"}, {"6511", "2"}, {"7700", "2"},
      {"7430", "2"}, {"4400", "1"}, {"5211", "1"}, {"1000", "1"}, {"0100", "1"}, {"8100", "1"},
      {"9700", "1"}, {"3110", "1"}, {"1", "1"},    {"", "1"},     {"x", "1"}};
  for (const auto& c : cases)
    EXPECT_EQ(Purchase(c.first), c.second) << "purchase line '" << c.first << "'";
  tree.Remove("$setKoma.mvdf");
  tree.Write("$setup.mvdf", "4");
  EXPECT_EQ(Answer(), "1") << "a missing purchase file";
  EXPECT_EQ(Request("$setKoma.mvdf", "1100", "4 and more"), "2");
  EXPECT_FALSE(tree.Written("$enemy.mvdf")) << "a purchase never touches $enemy.mvdf";
  EXPECT_FALSE(tree.Written("$points.mvdf"));
  EXPECT_TRUE(Alive());
}

TEST_F(ScriptedGame, SingleNumberLineEndsTheEngineUnanswered) {
  tree.Write("$setTe.mvdf", "7");
  tree.Write("$setup.mvdf", "3");
  int status = -1;
  ASSERT_TRUE(engine.Wait(20000, status)) << "the engine must stop";
  EXPECT_EQ(status, 1);
  EXPECT_EQ(tree.Read("$setup.mvdf"), "3") << "no answer";
  EXPECT_FALSE(tree.Written("$enemy.mvdf"));
}

TEST_F(ScriptedGame, BlankLineEndsTheEngineUnanswered) {
  tree.Write("$setTe.mvdf", " \n");
  tree.Write("$setup.mvdf", "3");
  int status = -1;
  ASSERT_TRUE(engine.Wait(20000, status)) << "the engine must stop";
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(tree.Written("$enemy.mvdf"));
}

// The game program ends without a word while the engine waits for the
// human: the engine ends too, with status 1, and writes nothing.
TEST_F(ScriptedGame, EngineEndsWithTheProgramThatStartedIt) {
  engine.Stop();  // this engine's parent is the test, which stays
  ChildStreams streams(tree.Data());
  streams.output = tree.Data().parent_path() / "engine.pid";
  ChildProcess parent;
  ASSERT_TRUE(parent.Start(BuildBin().parent_path() / "tests" / "mirq_parent_stub", {EnginePath()},
                           streams));
  long pid = 0;
  for (int i = 0; i < 5000 && !pid; ++i) {
    std::string text = ReadBytes(streams.output);
    if (text.find('\n') != std::string::npos) pid = std::stol(text);
    std::this_thread::sleep_for(2ms);
  }
  ASSERT_GT(pid, 0) << "the stand-in game program did not start the engine";
  ChildProcess orphan;
  if (!orphan.Adopt(pid)) GTEST_SKIP() << "no way here to wait for another's child";
  std::this_thread::sleep_for(500ms);  // the engine waits for a request now

  auto start = Clock::now();
  parent.Stop();
  int status = -1;
  bool ended = orphan.Wait(10000, status);
  auto took = Clock::now() - start;
  orphan.Stop();
  ASSERT_TRUE(ended) << "the engine outlived the program that started it";
  EXPECT_LT(took, 3s);
  EXPECT_EQ(status, 1);
  for (const char* f : TURN_FILES) EXPECT_FALSE(tree.Written(f)) << f;
}

// Nothing the game program leaves in the folder can block the engine: a
// FIFO or a folder where a turn file belongs is a missing file.
TEST_F(ScriptedGame, FifoOrFolderTurnFilesCountAsMissing) {
  tree.Remove("$setup.mvdf");
  fs::create_directory(tree.File("$setup.mvdf"));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(Alive());
  fs::remove(tree.File("$setup.mvdf"));
#ifndef _WIN32
  ASSERT_EQ(mkfifo(tree.File("$setup.mvdf").c_str(), 0600), 0);
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(Alive());
  fs::remove(tree.File("$setup.mvdf"));
  tree.Remove("$setTe.mvdf");
  ASSERT_EQ(mkfifo(tree.File("$setTe.mvdf").c_str(), 0600), 0);
  tree.Write("$setup.mvdf", "3");
  EXPECT_EQ(Answer(10), "1") << "a FIFO move file is a missing one";
  fs::remove(tree.File("$setTe.mvdf"));
#endif
  for (const char* f : {"$points.mvdf", "$enemyTe.mvdf"}) EXPECT_FALSE(tree.Written(f)) << f;
  EXPECT_EQ(Move("7877"), "2") << "the engine stopped looking at the request file";
}

// "$enemy.mvdf" cannot be created for the "0" of a move request.
TEST_F(ScriptedGame, AnswerThatCannotBeWrittenEndsTheEngineAfterRetrying) {
  tree.Remove("$enemy.mvdf");
  fs::create_directory(tree.File("$enemy.mvdf"));
  tree.Write("$setTe.mvdf", "7877");
  auto start = Clock::now();
  tree.Write("$setup.mvdf", "3");
  int status = -1;
  ASSERT_TRUE(engine.Wait(30000, status)) << "the engine retries without end";
  EXPECT_GT(Clock::now() - start, 9s) << "gave up without retrying";
  EXPECT_EQ(status, 1);
  EXPECT_EQ(tree.Read("$setup.mvdf"), "3") << "no answer";
}

TEST_F(ScriptedGame, MissingTurnFolderEndsTheEngine) {
  std::this_thread::sleep_for(300ms);
  fs::path folder = tree.File("$setup.mvdf").parent_path();
  std::error_code ec;
  for (int i = 0; i < 500 && fs::exists(folder); ++i) {
    fs::remove_all(folder, ec);  // Windows: the engine may hold a file open
    std::this_thread::sleep_for(2ms);
  }
  int status = -1;
#ifdef _WIN32
  // Wine keeps a folder that a process watches; then only the start
  // without a folder is tried.
  if (fs::exists(folder)) {
    engine.Stop();
    fs::remove_all(folder, ec);
  } else
#endif
  {
    ASSERT_FALSE(fs::exists(folder));
    auto start = Clock::now();
    ASSERT_TRUE(engine.Wait(10000, status)) << "the engine waits for a folder that is gone";
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_EQ(status, 1);
  }

  ASSERT_FALSE(fs::exists(folder));
  ASSERT_TRUE(engine.Start(EnginePath(), {}, ChildStreams(tree.Data())));
  ASSERT_TRUE(engine.Wait(10000, status)) << "started without a turn folder, the engine waits";
  EXPECT_EQ(status, 1);
  EXPECT_FALSE(fs::exists(folder)) << "the engine made the folder";
}

class WholeGame : public ScriptedGame, public ::testing::WithParamInterface<unsigned> {};

TEST_P(WholeGame, RandomHumanMovesReachAResult) {
  std::mt19937 random(GetParam());
  auto deadline = Clock::now() + std::chrono::seconds(75);
  std::string result;
  int plies = 0;
  while (result.empty()) {
    ASSERT_LT(Clock::now(), deadline) << "game unfinished after " << plies << " plies";
    Position p = board;
    for (int k = FU; k <= HI; ++k) p.Motigoma[SELF + k] = 1;
    ::Move list[MAX_MOVES];
    int n = GenerateMoves(p, SELF, list);
    if (n == 0) {
      // The engine's move mated: its result follows that move's "1".
      result = EngineResult();
      EXPECT_EQ(result, "6") << "the human has no move in " << FormatSfen(p, SELF);
      break;
    }
    // Mostly board moves, so that the game is one of pieces on the board.
    std::vector<::Move> boardMoves, drops;
    for (int i = 0; i < n; ++i) (IsDrop(list[i]) ? drops : boardMoves).push_back(list[i]);
    bool drop = boardMoves.empty() || (!drops.empty() && random() % 5 == 0);
    const std::vector<::Move>& pool = drop ? drops : boardMoves;
    ::Move m = pool[random() % pool.size()];
    std::string answer = Move(Line(m));
    if (answer.empty() && !Alive()) {
      // The engine's last move repeated the position a fourth time.
      result = tree.Read("$enemy.mvdf");
      break;
    }
    ASSERT_EQ(answer, "2") << "legal move " << FormatUsiMove(m) << " in " << FormatSfen(p, SELF);
    board = p;
    MakeMove(board, SELF, m);
    ++plies;
    std::string status = EngineStatus();
    ASSERT_FALSE(status.empty()) << "no reply after " << FormatUsiMove(m);
    if (status != "1") {
      result = status;
      break;
    }
    ::Move reply;
    std::string text = tree.Read("$enemyTe.mvdf");
    ASSERT_TRUE(EngineMoveIsLegal(text, reply))
        << "engine move '" << text << "' in " << FormatSfen(board, ENEMY);
    MakeMove(board, ENEMY, reply);
    for (int k = FU; k <= HI; ++k) board.Motigoma[ENEMY + k] = 0;
    ++plies;
  }
  EXPECT_TRUE(result == "5" || result == "6" || result == "7") << "result '" << result << "'";
  int status = -1;
  ASSERT_TRUE(engine.Wait(10000, status)) << "the engine exits after the result";
  EXPECT_TRUE(status == 0 || (status == 1 && result != "7")) << "exit status " << status;
  std::printf("game of %d plies, result %s\n", plies, result.c_str());
}

INSTANTIATE_TEST_SUITE_P(Seeds, WholeGame, ::testing::Values(20261208u, 7u, 1234567u));

}  // namespace
