#include "autoplay.h"

#include <algorithm>
#include <vector>

#include "position/usi.h"

std::string AutoPlayer::NextLine(const GameState& game) {
  const int ply = game.Board().ply;
  std::vector<Move> moves = game.LegalMoves();
  // When only a drop can answer, buying is the move; otherwise one turn in
  // four, once per turn.
  const bool mustBuy = moves.empty();
  if (ply != lastBuyPly_) buysThisTurn_ = 0;
  if ((mustBuy && buysThisTurn_ < 3) || (ply != lastBuyPly_ && rng_() % 4 == 0)) {
    lastBuyPly_ = ply;
    ++buysThisTurn_;
    std::vector<int> kinds =
        mustBuy ? game.DropKindsThatHelp() : std::vector<int>{FU, KY, KE, GI, KI, KA, HI};
    std::vector<std::string> offers;
    for (int kind : kinds)
      for (int a = 0; a <= std::min(9, game.Points(1)); ++a)
        for (int b = 0; b <= std::min(9, game.Points(2)); ++b)
          for (int c = 0; c <= std::min(9, game.Points(3)); ++c) {
            const int pay[3] = {a, b, c};
            if (PaymentAccepted(kind, pay))
              offers.push_back("buy " + std::to_string(kind) + " " + std::to_string(a) + " " +
                               std::to_string(b) + " " + std::to_string(c));
          }
    if (!offers.empty()) return offers[rng_() % offers.size()];
  }
  if (moves.empty()) return "";
  const Move& m = moves[rng_() % moves.size()];
  return rng_() % 2 ? FormatUsiMove(m) : FormatMoveLine(m);
}
