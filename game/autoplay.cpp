#include "autoplay.h"

#include <vector>

#include "position/usi.h"

std::string AutoPlayer::NextLine(const GameState& game) {
  const int ply = game.Board().ply;
  // One purchase at most per turn, one turn in four.
  if (ply != lastBuyPly_ && rng_() % 4 == 0) {
    lastBuyPly_ = ply;
    std::vector<std::string> offers;
    for (int kind = FU; kind <= HI; ++kind)
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
  std::vector<Move> moves = game.LegalMoves();
  if (moves.empty()) return "";
  const Move& m = moves[rng_() % moves.size()];
  return rng_() % 2 ? FormatUsiMove(m) : FormatMoveLine(m);
}
