// The end the board shows, the replayable record of a game, and hints.
#include "game_record.h"

#include <gtest/gtest.h>

#include "game_steps.h"
#include "hint.h"
#include "position/usi.h"

namespace {

const int kFree[3] = {0, 0, 0};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Both sides' purchases, the player's points and both kinds of drop.
void PlayGameWithPurchases(GameState& g) {
  PlayHuman(g, "4847");
  PlayEngine(g, "3233");
  PlayHuman(g, "5948", "100");
  PlayEngine(g, "3334");
  PlayHuman(g, "4859", "010");
  PlayEngine(g, "0255");  // the engine bought a lance
  const int pay[3] = {1, 1, 0};
  g.Buy(KY, pay);
  PlayHuman(g, "L*4e");
  PlayEngine(g, "3435");
}

TEST(GameRecord, PurchasesPointsAndDropsReplayToTheSamePosition) {
  GameState played;
  PlayGameWithPurchases(played);
  const GameOutcome o{6, Ending::Resigned};
  std::string line = FormatGameRecord(0, played, o, true);
  EXPECT_TRUE(Contains(line, " lost resigned demo startpos moves 4h4g 3b3c 5i4h point red"))
      << line;
  EXPECT_TRUE(Contains(line, " buy L L*5e buy L 1 1 0 L*4e 3d3e")) << line;

  GameRecord r;
  std::string why;
  ASSERT_TRUE(ParseGameRecord(line, r, why)) << why;
  EXPECT_EQ(r.result, 6);
  EXPECT_EQ(r.how, Ending::Resigned);
  EXPECT_TRUE(r.demo);
  GameState replayed;
  ASSERT_TRUE(ReplayGameRecord(r, replayed, why)) << why << "\n" << line;
  EXPECT_EQ(FormatSfen(replayed.Board(), SELF), FormatSfen(played.Board(), SELF));
  EXPECT_EQ(RecordEvents(replayed), RecordEvents(played));
  EXPECT_EQ(replayed.Points(1) + replayed.Points(2) + replayed.Points(3), 0);
  EXPECT_EQ(ReachedOutcome(r, replayed).how, Ending::Resigned)
      << "a resignation is the record's, the board shows none";
}

TEST(GameRecord, RecordsThatDoNotFitTheGameAreRefusedWithThePlace) {
  auto refusal = [](const std::string& moves) {
    GameRecord r;
    GameState g;
    std::string why;
    if (!ParseGameRecord("2026-12-09 03:00:00 lost startpos moves " + moves, r, why)) return why;
    return ReplayGameRecord(r, g, why) ? std::string("replayed") : why;
  };
  // The old records: a drop of a bought piece with no purchase before it.
  std::string why = refusal("7h7g 3b3c G*5f");
  EXPECT_TRUE(Contains(why, "word 3 'G*5f'") && Contains(why, "not bought a gold")) << why;
  why = refusal("buy P 1 0 0 7h7g");
  EXPECT_TRUE(Contains(why, "word 1") && Contains(why, "0 red")) << why;
  EXPECT_TRUE(Contains(refusal("7h7g S*5e"), "did not buy")) << refusal("7h7g S*5e");
  EXPECT_TRUE(Contains(refusal("7h7g buy S 3b3c"), "did not drop")) << refusal("7h7g buy S 3b3c");
  EXPECT_TRUE(Contains(refusal("7h7g point red"), "king")) << refusal("7h7g point red");

  GameRecord r;
  EXPECT_FALSE(ParseGameRecord("hello world", r, why));
  EXPECT_FALSE(ParseGameRecord("2026-12-09 03:00:00 lost sometimes startpos", r, why));
  ASSERT_TRUE(ParseGameRecord("2026-12-09 03:00:00 won startpos moves 7h7g", r, why))
      << "a record from before endings were written: " << why;
  EXPECT_EQ(r.how, Ending::None);
}

TEST(GameEnd, TheBoardShowsMatePerpetualCheckAndRepetition) {
  GameState g;
  std::string why;
  ASSERT_TRUE(g.Load("4k4/9/4P4/9/9/9/9/9/4K4 b - 1", why)) << why;
  g.Buy(KI, kFree);
  EXPECT_EQ(JudgeBoard(g).result, 0);
  PlayHuman(g, "G*5b");
  EXPECT_EQ(JudgeBoard(g).result, 5);
  EXPECT_EQ(JudgeBoard(g).how, Ending::Mate);

  // The rook checks from file 1 and file 2 in turn; the king steps aside.
  ASSERT_TRUE(g.Load("8k/9/9/9/9/9/9/9/K6R1 b - 1", why)) << why;
  for (int cycle = 0; cycle < 4; ++cycle) {
    EXPECT_EQ(JudgeBoard(g).result, 0) << "over after " << cycle << " cycles";
    PlayHuman(g, "2919");
    PlayEngine(g, "1121");
    PlayHuman(g, "1929");
    PlayEngine(g, "2111");
  }
  EXPECT_EQ(JudgeBoard(g).result, 6) << "the player checked all the way and loses";
  EXPECT_EQ(JudgeBoard(g).how, Ending::PerpetualCheck);

  g.Reset();
  PlayHuman(g, "6867");
  PlayEngine(g, "6263");
  for (int cycle = 0; cycle < 3; ++cycle) {
    PlayHuman(g, "6968");
    PlayEngine(g, "6162");
    PlayHuman(g, "6869");
    PlayEngine(g, "6261");
  }
  EXPECT_EQ(JudgeBoard(g).result, 7);
  EXPECT_EQ(JudgeBoard(g).how, Ending::Repetition);
}

TEST(Hint, TheSearchFindsTheMateAndThePieceToBuyForIt) {
  GameState g;
  std::string why;
  ASSERT_TRUE(g.Load("4k4/9/4P4/9/9/9/9/9/4K4 b - 1", why)) << why;
  Hint h = SuggestMove(g);
  EXPECT_FALSE(IsEmptyMove(h.move)) << "no hint without points";
  EXPECT_EQ(h.buyKind, 0) << "suggested a purchase the player cannot pay";

  // Three red points and a green one: enough for a gold, not a silver.
  const char* reports[] = {"100", "100", "100", "010"};
  for (int i = 0; i < 4; i += 2) {
    PlayHuman(g, "5958", reports[i]);
    PlayEngine(g, "5141");
    PlayHuman(g, "5859", reports[i + 1]);
    PlayEngine(g, "4151");
  }
  h = SuggestMove(g);
  EXPECT_EQ(FormatUsiMove(h.move), "G*5b");
  EXPECT_EQ(h.buyKind, KI);
  EXPECT_TRUE(PaymentAccepted(KI, h.pay) && g.CanAfford(h.pay, why)) << why;
}

}  // namespace
