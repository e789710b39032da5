// In-process games from constructed positions: the engine's purchases, the
// empty move, the ply limit and the ends that follow a move.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "driver/game.h"
#include "driver/points.h"
#include "position/movegen.h"
#include "position/position.h"
#include "position/usi.h"
#include "scratch_game_tree.h"
#include "support/positions.h"

namespace {

// What the stand-in search answers: for the plain position and for a
// position holding a bought piece, a move with a chosen score or the
// empty move.
struct Script {
  bool baselineEmpty = false;
  int baselineScore = 0;
  bool purchaseEmpty = false;
  int purchaseScore = 0;
  int to = 0;  // if set, the plain move must go to this square
  int calls = 0;
};
Script script;

bool HoldsBoughtPiece(const Position& p) {
  for (int k = FU; k <= HI; ++k)
    if (p.Motigoma[ENEMY + k] > 0) return true;
  return false;
}

Move StandIn(Move*, int side, EvalState e) {
  ++script.calls;
  bool bought = HoldsBoughtPiece(e.pos);
  if (bought ? script.purchaseEmpty : script.baselineEmpty) return Move{};
  Move list[MAX_MOVES];
  int n = GenerateMoves(e.pos, side, list);
  for (int i = 0; i < n; ++i) {
    // A bought piece is dropped; otherwise the first board move (to the
    // scripted square if one is set).
    if (bought != IsDrop(list[i])) continue;
    if (!bought && script.to && list[i].to != script.to) continue;
    Move m = list[i];
    m.score = static_cast<int16_t>(bought ? script.purchaseScore : script.baselineScore);
    return m;
  }
  return Move{};
}

EvalState FromSfen(const std::string& sfen) {
  EvalState e;
  int side;
  LoadEvalState(sfen, e, side);
  return e;
}

class InProcessGame : public ::testing::Test {
 protected:
  InProcessGame()
      : tree(::testing::UnitTest::GetInstance()->current_test_info()->name()), folder(tree.Data()) {
    script = Script{};
    StartUp(7);
    tree.Age();
  }

  // Runs the game on its own thread, acting as the game program here.
  void Start(const EvalState& e, int side, int p0, int p1, int p2) {
    BeginGame(e, side);
    EnginePoints[0] = p0;
    EnginePoints[1] = p1;
    EnginePoints[2] = p2;
    game = std::async(std::launch::async, [] { return PlayGame(StandIn); });
  }

  // Waits until file reads one of the wanted contents.
  bool WaitFor(const std::string& file, const std::string& wanted) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      std::string s = tree.Read(file);
      if (!s.empty() && wanted.find(s) != std::string::npos && s.size() == 1) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }

  // The game's exit status, once it has ended.
  int Finish() {
    if (game.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      ADD_FAILURE() << "the game did not end";
      std::abort();  // a polling thread cannot be joined
    }
    return game.get();
  }

  // Ends a game that is polling for the human's move: a line with one
  // number stops the engine with status 1.
  int Stop() {
    tree.Write("$setTe.mvdf", "7");
    tree.Write("$setup.mvdf", "3");
    return Finish();
  }

  ScratchGameTree tree;
  WorkingFolder folder;
  std::future<int> game;
};

// The start position without the engine's pawn on file 1 (so that a bought
// pawn can be dropped there), the engine to move.
EvalState EngineToMove() {
  return FromSfen("lnsgkgsnl/pppppppp1/9/9/9/9/PPPPPPPPP/9/LNSGKGSNL w - 1");
}

TEST_F(InProcessGame, RealPurchaseBeatsAnEmptyBaseline) {
  script.baselineEmpty = true;
  script.purchaseScore = 500;
  Start(EngineToMove(), ENEMY, 1, 0, 0);
  ASSERT_TRUE(WaitFor("$enemy.mvdf", "1"));
  std::string move = tree.Read("$enemyTe.mvdf");
  EXPECT_EQ(move.substr(0, 2), "01") << "a bought pawn dropped, got " << move;
  EXPECT_EQ(script.calls, 2) << "baseline plus the one affordable kind";
  EXPECT_EQ(Stop(), 1);
  EXPECT_EQ(EnginePoints[0], 0) << "the pawn was paid for";
}

TEST_F(InProcessGame, EmptyPurchaseResultNeverWins) {
  script.baselineScore = 5;
  script.purchaseEmpty = true;
  Start(EngineToMove(), ENEMY, 1, 0, 0);
  ASSERT_TRUE(WaitFor("$enemy.mvdf", "1"));
  std::string move = tree.Read("$enemyTe.mvdf");
  EXPECT_NE(move[0], '0') << "the baseline board move is played, got " << move;
  EXPECT_EQ(Stop(), 1);
  EXPECT_EQ(EnginePoints[0], 1) << "nothing was bought";
}

TEST_F(InProcessGame, PurchaseNeedsAStrictlyLowerScore) {
  script.baselineScore = 10;
  script.purchaseScore = 10;
  Start(EngineToMove(), ENEMY, 1, 1, 1);
  ASSERT_TRUE(WaitFor("$enemy.mvdf", "1"));
  EXPECT_NE(tree.Read("$enemyTe.mvdf")[0], '0');
  EXPECT_EQ(script.calls, 4) << "pawn, lance and knight are affordable with 1,1,1";
  EXPECT_EQ(Stop(), 1);
  EXPECT_EQ(EnginePoints[0] + EnginePoints[1] + EnginePoints[2], 3);
}

TEST_F(InProcessGame, LowerScoringPurchaseIsBoughtAndPaid) {
  script.baselineScore = 10;
  script.purchaseScore = 9;
  Start(EngineToMove(), ENEMY, 1, 1, 1);
  ASSERT_TRUE(WaitFor("$enemy.mvdf", "1"));
  std::string move = tree.Read("$enemyTe.mvdf");
  EXPECT_EQ(move.substr(0, 2), "01") << "the first strictly better kind (pawn) wins, got " << move;
  EXPECT_EQ(Stop(), 1);
  EXPECT_EQ(EnginePoints[0], 0);
  EXPECT_EQ(EnginePoints[1], 1);
  EXPECT_EQ(EnginePoints[2], 1);
}

TEST_F(InProcessGame, EveryEmptySearchEndsTheGameAsNoLegalMove) {
  script.baselineEmpty = true;
  script.purchaseEmpty = true;
  Start(EngineToMove(), ENEMY, 5, 5, 5);
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(tree.Read("$enemy.mvdf"), "5") << "the human wins";
  EXPECT_FALSE(tree.Written("$enemyTe.mvdf")) << "no move is written";
  EXPECT_EQ(tree.Read("$enemyTe.mvdf"), "6272");
  EXPECT_EQ(script.calls, 7) << "baseline plus six affordable kinds (not gold) with 5,5,5";
}

TEST_F(InProcessGame, GameReachingTheLastPlyIsADraw) {
  EvalState e = FromSfen("lnsgkgsnl/ppppppppp/9/9/9/9/PPPPPPPPP/9/LNSGKGSNL w - 999");
  ASSERT_EQ(e.pos.ply, 998);
  Start(e, ENEMY, 0, 0, 0);
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(tree.Read("$enemy.mvdf"), "7");
  EXPECT_EQ(tree.Read("$enemyTe.mvdf").size(), 4u) << "the engine's move was written first";
}

TEST_F(InProcessGame, HumanMateEndsWithFiveRightAfterTheAnswer) {
  // Gold 4c to 5b, guarded by the pawn on 5c: the engine's king has no move.
  Start(FromSfen("4k4/9/4PG3/9/9/9/9/9/4K4 b - 1"), SELF, 0, 0, 0);
  tree.Write("$setTe.mvdf", "4352");
  tree.Write("$setup.mvdf", "3");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(tree.Read("$setup.mvdf"), "2");
  EXPECT_EQ(tree.Read("$points.mvdf"), "000");
  EXPECT_EQ(tree.Read("$enemy.mvdf"), "5");
  EXPECT_FALSE(tree.Written("$enemyTe.mvdf"));
}

TEST_F(InProcessGame, HumanWithoutMovesLosesAtOnce) {
  // The gold on 9h, guarded by the pawn on 9g, mates the king on 9i.
  Start(FromSfen("8k/9/9/9/9/9/p8/g8/K8 b - 1"), SELF, 0, 0, 0);
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(tree.Read("$enemy.mvdf"), "6");
}

TEST_F(InProcessGame, CheckThatADropCanBlockIsNotMate) {
  // The engine's rook goes 5e-1e and checks the king on 1i along file 1;
  // only a dropped piece can block, and the human is given one of each.
  script.to = 0x15;
  Start(FromSfen("k8/9/9/9/4r4/9/9/7P1/7LK w - 1"), ENEMY, 0, 0, 0);
  ASSERT_TRUE(WaitFor("$enemy.mvdf", "1"));
  EXPECT_EQ(tree.Read("$enemyTe.mvdf"), "5515");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(tree.Read("$enemy.mvdf"), "1") << "the game must go on";
  EXPECT_EQ(Stop(), 1);
}

}  // namespace
