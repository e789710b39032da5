// The game program's copy of the game: local checks of typed moves, the
// engine's moves applied, points and purchases, and the end it foresees.
#include "game_state.h"

#include <gtest/gtest.h>

#include "game_steps.h"
#include "position/usi.h"

namespace {

std::string Refusal(const GameState& g, const std::string& text) {
  Move m{};
  std::string why;
  if (g.CheckMove(ParseCommand(text), m, why)) return "accepted as " + FormatUsiMove(m);
  return why;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(LocalMoveCheck, LegalMovesInBothNotationsNameTheSameMove) {
  GameState g;
  Move a{}, b{};
  std::string why;
  ASSERT_TRUE(g.CheckMove(ParseCommand("7877"), a, why)) << why;
  ASSERT_TRUE(g.CheckMove(ParseCommand("7h7g"), b, why)) << why;
  EXPECT_EQ(a.from, 0x78);
  EXPECT_EQ(a.to, 0x77);
  EXPECT_EQ(a.piece, SFU);
  EXPECT_EQ(b.from, a.from);
  EXPECT_EQ(b.to, a.to);
}

TEST(LocalMoveCheck, MovesTheEngineWouldRefuseAreExplained) {
  GameState g;
  EXPECT_TRUE(Contains(Refusal(g, "7776"), "no piece of yours on 7g")) << Refusal(g, "7776");
  EXPECT_TRUE(Contains(Refusal(g, "5152"), "no piece of yours")) << "the engine's king is not ours";
  EXPECT_TRUE(Contains(Refusal(g, "5958"), "your own piece stands on 5h")) << Refusal(g, "5958");
  EXPECT_TRUE(Contains(Refusal(g, "7875"), "cannot reach 7e")) << Refusal(g, "7875");
  EXPECT_TRUE(Contains(Refusal(g, "7877+"), "never promote")) << Refusal(g, "7877+");
  EXPECT_TRUE(Contains(Refusal(g, "7h7g+"), "never promote")) << Refusal(g, "7h7g+");
}

TEST(LocalMoveCheck, DropOfAnUnboughtPieceIsRefusedLocally) {
  GameState g;
  std::string why = Refusal(g, "0455");
  EXPECT_TRUE(Contains(why, "not bought a silver")) << why;
  why = Refusal(g, "S*5e");
  EXPECT_TRUE(Contains(why, "not bought a silver")) << why;
  for (const Move& m : g.LegalMoves())
    EXPECT_FALSE(IsDrop(m)) << "listed the drop " << FormatUsiMove(m) << " with nothing bought";
}

TEST(LocalMoveCheck, BoughtPiecesCanBeDroppedOnceEach) {
  GameState g;
  const int free[3] = {0, 0, 0};
  g.Buy(GI, free);
  Move m{};
  std::string why;
  ASSERT_TRUE(g.CheckMove(ParseCommand("0455"), m, why)) << why;
  EXPECT_EQ(m.from, 0);
  EXPECT_EQ(m.piece, SGI);
  EXPECT_EQ(m.to, 0x55);
  PlayAcceptedMove(g, m, "000");
  EXPECT_EQ(g.Bought(GI), 0) << "the dropped silver is still counted as bought";
  EXPECT_EQ(g.Board().Ban(0x55), SGI);
  PlayEngine(g, "3233");
  EXPECT_TRUE(Contains(Refusal(g, "0456"), "not bought a silver")) << "a second silver was allowed";
}

TEST(LocalMoveCheck, IllegalDropsOfBoughtPiecesAreExplained) {
  GameState g;
  const int free[3] = {0, 0, 0};
  g.Buy(FU, free);
  g.Buy(KE, free);
  EXPECT_TRUE(Contains(Refusal(g, "0158"), "occupied")) << Refusal(g, "0158");
  EXPECT_TRUE(Contains(Refusal(g, "0155"), "pawn on file 5")) << Refusal(g, "0155");
  EXPECT_TRUE(Contains(Refusal(g, "P*5e"), "pawn on file 5")) << Refusal(g, "P*5e");
  Move m{};
  std::string why;
  EXPECT_TRUE(g.CheckMove(ParseCommand("N*5e"), m, why)) << "a bought knight on 5e: " << why;
}

TEST(EngineMoves, BoardMovesAndBoughtDropsAreApplied) {
  GameState g;
  PlayHuman(g, "7877");
  PlayEngine(g, "3233");
  EXPECT_EQ(g.Board().Ban(0x33), EFU);
  EXPECT_EQ(g.Board().Ban(0x32), EMP);
  ASSERT_NE(g.LastMove(), nullptr);
  EXPECT_EQ(g.LastMove()->side, ENEMY);
  PlayHuman(g, "9897");
  PlayEngine(g, "0455");
  EXPECT_EQ(g.Board().Ban(0x55), EGI) << "the engine's bought silver was not dropped";
  EXPECT_EQ(g.UsiMoves(), "7h7g 3b3c 9h9g S*5e");
}

TEST(EngineMoves, MovesThatDoNotFitTheBoardAreReported) {
  GameState g;
  PlayHuman(g, "7877");
  Move played{};
  std::string why;
  EXPECT_FALSE(g.PlayEngineMove("5155", played, why)) << "a king jump was applied";
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(g.PlayEngineMove("zz", played, why));
  EXPECT_FALSE(why.empty());
}

TEST(EngineMoves, APieceMovingAsOnlyItsPromotedFormCanHadPromoted) {
  // The engine's pawn walks into its promotion zone; its move file cannot
  // say that an opening-book line promoted it, its next sideways step does.
  GameState g;
  const char* human[] = {"9897", "9796", "9695", "1817", "1716", "1615"};
  const char* engine[] = {"3233", "3334", "3435", "3536", "3637", "3747"};
  for (int i = 0; i < 6; ++i) {
    PlayHuman(g, human[i]);
    PlayEngine(g, engine[i]);
  }
  EXPECT_EQ(g.Board().Ban(0x47), ETO);
  EXPECT_EQ(g.Board().Ban(0x37), EMP);
}

TEST(GameEnd, FourfoldRepetitionIsForeseenOnTheFourthOccurrence) {
  // Both sides step a gold back and forth; each cycle of four plies
  // returns to the position after the pawn moves.
  GameState g;
  PlayHuman(g, "6867");
  PlayEngine(g, "6263");  // first occurrence (ply 2)
  for (int cycle = 2; cycle <= 4; ++cycle) {
    EXPECT_FALSE(g.FourfoldRepetition()) << "ended after " << cycle - 1 << " occurrence(s)";
    PlayHuman(g, "6968");
    PlayEngine(g, "6162");
    PlayHuman(g, "6869");
    PlayEngine(g, "6261");
  }
  EXPECT_TRUE(g.FourfoldRepetition()) << "the fourth occurrence was not seen";
}

TEST(PointsAndPurchases, ReportsAddPointsAndPurchasesSpendThem) {
  GameState g;
  PlayHuman(g, "4847");
  PlayEngine(g, "3233");
  PlayHuman(g, "5948", "010");
  PlayEngine(g, "3334");
  PlayHuman(g, "4859", "100");
  EXPECT_EQ(g.Points(1), 1);
  EXPECT_EQ(g.Points(2), 1);
  EXPECT_EQ(g.Points(3), 0);
  std::string why;
  const int tooMuchBlue[3] = {0, 0, 1};
  EXPECT_FALSE(g.CanAfford(tooMuchBlue, why));
  EXPECT_TRUE(Contains(why, "blue")) << why;
  const int redAndGreen[3] = {1, 1, 0};
  ASSERT_TRUE(g.CanAfford(redAndGreen, why)) << why;
  g.Buy(KY, redAndGreen);
  EXPECT_EQ(g.Points(1), 0);
  EXPECT_EQ(g.Points(2), 0);
  EXPECT_EQ(g.Bought(KY), 1);
}

TEST(PointsAndPurchases, PaymentTableMatchesTheEnginesRule) {
  struct Case {
    int kind, a, b, c;
    bool ok;
  } cases[] = {
      {FU, 1, 0, 0, true},  {FU, 0, 0, 1, true},  {FU, 0, 0, 0, false}, {KY, 2, 0, 0, true},
      {KY, 1, 1, 0, true},  {KY, 1, 0, 0, false}, {KE, 1, 1, 1, true},  {KE, 2, 1, 0, false},
      {GI, 2, 1, 1, true},  {GI, 4, 0, 0, false}, {KI, 4, 0, 0, true},  {KI, 3, 1, 0, true},
      {KI, 2, 1, 1, false}, {KA, 3, 2, 2, true},  {KA, 5, 1, 1, true},  {KA, 7, 0, 0, false},
      {HI, 7, 0, 0, true},  {HI, 4, 3, 0, true},  {HI, 3, 2, 2, true},  {HI, 2, 2, 3, true},
      {HI, 1, 2, 3, false}, {0, 1, 0, 0, false},  {8, 1, 0, 0, false},
  };
  for (const Case& t : cases) {
    const int pay[3] = {t.a, t.b, t.c};
    EXPECT_EQ(PaymentAccepted(t.kind, pay), t.ok)
        << "kind " << t.kind << " paid " << t.a << "," << t.b << "," << t.c;
  }
}

TEST(PointsAndPurchases, AffordablePaymentsAreFoundOnlyWithinThePointsHeld) {
  int pay[3] = {-1, -1, -1};
  const int oneEach[3] = {1, 1, 1};
  ASSERT_TRUE(CheapestPayment(KE, oneEach, pay));
  EXPECT_EQ(pay[0] + pay[1] + pay[2], 3);
  EXPECT_TRUE(PaymentAccepted(KE, pay));
  EXPECT_FALSE(CheapestPayment(KI, oneEach, pay)) << "a gold needs 3 points of one colour";
  const int manyRed[3] = {12, 0, 0};
  ASSERT_TRUE(CheapestPayment(HI, manyRed, pay));
  EXPECT_EQ(pay[0], 7) << "a rook from red points alone";
  EXPECT_FALSE(CheapestPayment(KA, manyRed, pay)) << "a bishop needs every colour";

  GameState g;
  std::vector<int> kinds = g.DropKindsThatHelp();
  EXPECT_EQ(kinds, (std::vector<int>{KY, KE, GI, KI, KA, HI}))
      << "at the start every kind but the pawn (no file free of pawns) can be dropped";
  EXPECT_FALSE(g.CanBuyAnyOf(kinds)) << "bought something with no points";
  PlayHuman(g, "4847");
  PlayEngine(g, "3233");
  PlayHuman(g, "5948", "100");
  PlayEngine(g, "3334");
  EXPECT_TRUE(g.CanBuyAnyOf({FU}));
  EXPECT_FALSE(g.CanBuyAnyOf({KY, KE, GI}));
}

TEST(GameEnd, APlayerWhoseOnlyAnswersAreUnboughtDropsIsStuck) {
  // The lance on 1a checks the king on 1i; the king cannot step aside and
  // no piece on the board can block, so only a drop on file 1 answers.
  GameState g;
  std::string why;
  ASSERT_TRUE(g.Load("k7l/9/9/9/9/9/9/7L1/7LK b - 1", why)) << why;
  EXPECT_FALSE(g.PlayerHasNoMoves()) << "the engine counts drops as answers";
  EXPECT_TRUE(g.LegalMoves().empty());
  EXPECT_EQ(g.DropKindsThatHelp().size(), 7u);
  EXPECT_TRUE(g.PlayerIsStuck()) << "no points, nothing bought, yet not stuck";

  const int free[3] = {0, 0, 0};
  g.Buy(GI, free);
  EXPECT_FALSE(g.PlayerIsStuck()) << "a bought silver can block";
  Move m{};
  EXPECT_TRUE(g.CheckMove(ParseCommand("S*1e"), m, why)) << why;
  EXPECT_TRUE(Contains(Refusal(g, "2h2g"), "in check")) << Refusal(g, "2h2g");

  EXPECT_FALSE(g.Load("k7l/9/9/9/9/9/9/7L1/7LK w - 1", why)) << "engine to move was accepted";
}

}  // namespace
