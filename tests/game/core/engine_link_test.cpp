// The turn-file exchange, with the test playing the engine on a thread.
#include "engine_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/files.h"
#include "support/scratch_dir.h"

namespace {

using namespace std::chrono_literals;

// Waits until the request file holds the request character.
bool AwaitRequest(const TurnFiles& files, char request) {
  for (int i = 0; i < 5000; ++i) {
    if (files.FirstChar(turn::kSetup) == request) return true;
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

class EngineLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(files.WriteInitial(why)) << why;
  }
  ScratchDir dir;
  TurnFiles files{(dir.path() / "save_data").string()};
  std::atomic<bool> alive{true};
  EngineLink link{files, [this] { return alive.load(); }};
};

TEST_F(EngineLinkTest, NewGameFilesHoldTheShippedContents) {
  const std::pair<const char*, const char*> shipped[] = {
      {"$setup.mvdf", "2"},    {"$setTe.mvdf", "7161"},   {"$setKoma.mvdf", "5031"},
      {"$points.mvdf", "000"}, {"$enemyTe.mvdf", "6272"}, {"$enemy.mvdf", "0"}};
  for (const auto& [name, content] : shipped)
    EXPECT_EQ(ReadBytes(dir.path() / "save_data" / name), content) << name;
}

TEST_F(EngineLinkTest, AcceptedMoveCarriesThePointReport) {
  std::string seenMove;
  std::thread engine([&] {
    if (!AwaitRequest(files, '3')) return;
    files.Read(turn::kSetTe, seenMove);  // must be complete when "3" appears
    files.Write(turn::kEnemy, "0");
    files.Write(turn::kSetup, "");
    files.Write(turn::kPoints, "010");
    files.Write(turn::kSetup, "2");
  });
  LinkReply r = link.RequestMove("7877");
  engine.join();
  EXPECT_EQ(seenMove, "7877") << "the move line was not complete before the request";
  ASSERT_EQ(r.outcome, LinkOutcome::Accepted);
  EXPECT_EQ(r.points, "010");
}

TEST_F(EngineLinkTest, RejectedMoveIsReportedAsSuch) {
  std::thread engine([&] {
    if (!AwaitRequest(files, '3')) return;
    files.Write(turn::kEnemy, "0");
    files.Write(turn::kSetup, "1");
  });
  LinkReply r = link.RequestMove("7776");
  engine.join();
  EXPECT_EQ(r.outcome, LinkOutcome::Rejected);
}

TEST_F(EngineLinkTest, PurchaseIsAcceptedOrRejectedByTheEngine) {
  std::vector<std::string> seen;
  std::thread engine([&] {
    for (int i = 0; i < 2; ++i) {
      if (!AwaitRequest(files, '4')) return;
      std::string line;
      files.Read(turn::kSetKoma, line);
      seen.push_back(line);
      files.Write(turn::kSetup, line == "5310" ? "2" : "1");
    }
  });
  LinkReply accepted = link.RequestPurchase("5310");
  LinkReply rejected = link.RequestPurchase("5211");
  engine.join();
  EXPECT_EQ(accepted.outcome, LinkOutcome::Accepted);
  EXPECT_EQ(rejected.outcome, LinkOutcome::Rejected);
  EXPECT_EQ(seen, (std::vector<std::string>{"5310", "5211"}));
  EXPECT_EQ(ReadBytes(dir.path() / "save_data" / "$enemy.mvdf"), "0")
      << "a purchase touched $enemy";
}

TEST_F(EngineLinkTest, EngineMoveIsReadOnceAnnounced) {
  std::thread engine([&] {
    std::this_thread::sleep_for(20ms);
    files.Write(turn::kEnemyTe, "3233");
    files.Write(turn::kEnemy, "1");
  });
  LinkReply r = link.AwaitEngineMove();
  engine.join();
  ASSERT_EQ(r.outcome, LinkOutcome::Accepted);
  EXPECT_EQ(r.engineMove, "3233");
}

TEST_F(EngineLinkTest, ResultEndsTheWaitForTheEnginesMove) {
  std::thread engine([&] {
    std::this_thread::sleep_for(20ms);
    files.Write(turn::kEnemy, "6");
    alive = false;
  });
  LinkReply r = link.AwaitEngineMove();
  engine.join();
  ASSERT_EQ(r.outcome, LinkOutcome::GameOver);
  EXPECT_EQ(r.result, 6);
  EXPECT_STREQ(ResultWord(r.result), "lost");
}

TEST_F(EngineLinkTest, AnEngineThatDiesWithoutAnsweringDoesNotHangTheGame) {
  std::thread engine([&] {
    if (AwaitRequest(files, '3')) alive = false;
  });
  auto start = std::chrono::steady_clock::now();
  LinkReply r = link.RequestMove("7877");
  engine.join();
  EXPECT_EQ(r.outcome, LinkOutcome::EngineStopped);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);

  alive = false;
  EXPECT_EQ(link.RequestPurchase("1100").outcome, LinkOutcome::EngineStopped);
  EXPECT_EQ(link.AwaitEngineMove().outcome, LinkOutcome::EngineStopped);
  files.Write(turn::kEnemy, "5");
  LinkReply late = link.AwaitEngineMove();
  EXPECT_EQ(late.outcome, LinkOutcome::GameOver) << "a result written before exit was missed";
  EXPECT_EQ(late.result, 5);
}

TEST_F(EngineLinkTest, WaitingSleepsUntilAFileChanges) {
  std::atomic<int> looks{0};
  EngineLink counting(files, [&] {
    ++looks;
    return true;
  });
  LinkReply r = counting.AwaitResult(0.3);
  EXPECT_EQ(r.outcome, LinkOutcome::Accepted) << "a result appeared from nowhere";
  EXPECT_LT(looks.load(), 10) << "the wait polls instead of sleeping";

  std::thread engine([&] {
    std::this_thread::sleep_for(30ms);
    files.Write(turn::kEnemy, "7");
  });
  r = counting.AwaitResult(30);
  engine.join();
  EXPECT_EQ(r.outcome, LinkOutcome::GameOver) << "a write during the wait was missed";
}

// The engine writes its move and "1", then the result; a wait may see only
// the result.
TEST_F(EngineLinkTest, ResultCarriesTheEnginesLastMoveOnlyWhenItMoved) {
  std::string before;
  auto answer = [&](bool moves, const char* result) {
    return std::thread([&, moves, result] {
      if (!AwaitRequest(files, '3')) return;
      files.Read(turn::kEnemyTe, before);
      files.Write(turn::kEnemy, "0");
      files.Write(turn::kSetup, "2");
      if (moves) files.Write(turn::kEnemyTe, "3233");
      files.Write(turn::kEnemy, result);
    });
  };
  std::thread engine = answer(true, "6");
  ASSERT_EQ(link.RequestMove("7877").outcome, LinkOutcome::Accepted);
  LinkReply r = link.AwaitEngineMove();
  engine.join();
  EXPECT_EQ(before, EngineLink::kNoEngineMove) << "no marker before the request";
  ASSERT_EQ(r.outcome, LinkOutcome::GameOver);
  EXPECT_EQ(r.engineMove, "3233");
  EXPECT_TRUE(link.AwaitResult(1).engineMove.empty()) << "the same move handed out twice";

  files.Write(turn::kEnemy, "0");
  engine = answer(false, "5");  // the player's move ended the game
  ASSERT_EQ(link.RequestMove("5958").outcome, LinkOutcome::Accepted);
  r = link.AwaitEngineMove();
  engine.join();
  ASSERT_EQ(r.outcome, LinkOutcome::GameOver);
  EXPECT_EQ(r.engineMove, "") << "the last move's line taken for a new one";
}

TEST_F(EngineLinkTest, MissingTurnFolderIsAWriteFailureNotAHang) {
  TurnFiles nowhere((dir.path() / "no" / "such" / "folder").string());
  EngineLink broken(nowhere, [] { return true; });
  EXPECT_EQ(broken.RequestMove("7877").outcome, LinkOutcome::WriteFailed);
}

}  // namespace
