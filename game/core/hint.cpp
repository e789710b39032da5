#include "hint.h"

#include <cstring>

#include "eval/eval.h"
#include "game_record.h"
#include "notation.h"
#include "search/root.h"
#include "search/search.h"

namespace {

// The search's move lines, apart from the engine driver's own buffer.
Move HintBuffer[PV_SIZE * PV_SIZE];

// The search's move and its value, from the player's view.
Move Think(const EvalState& e, int32_t& value) {
  std::memset(HintBuffer, 0, sizeof HintBuffer);
  value = DeepenSearch(HintBuffer, SELF, e, -VALUE_WINDOW, VALUE_WINDOW, 0, ROOT_DEPTH);
  return HintBuffer[0];
}

bool Playable(const std::vector<Move>& legal, const Move& m) {
  for (const Move& l : legal)
    if (l.from == m.from && l.to == m.to && l.piece == m.piece && l.promote == m.promote)
      return true;
  return false;
}

}  // namespace

Hint SuggestMove(const GameState& game) {
  // The player's hand holds what was bought; the engine's hand is emptied
  // before it moves, so it holds nothing.
  EvalState e;
  e.pos = game.Board();
  for (int kind = FU; kind <= HI; ++kind) {
    e.pos.Motigoma[SELF + kind] = game.Bought(kind);
    e.pos.Motigoma[ENEMY + kind] = 0;
  }
  InitEvaluation(e);
  SelectCastleTables(e);

  const std::vector<Move> legal = game.LegalMoves();
  Hint hint;
  int32_t best = 0;
  Move m = Think(e, best);
  if (Playable(legal, m)) hint.move = m;

  const int points[3] = {game.Points(1), game.Points(2), game.Points(3)};
  for (int kind = FU; kind <= HI; ++kind) {
    int pay[3];
    if (game.Bought(kind) > 0 || !CheapestPayment(kind, points, pay)) continue;
    EvalState bought = e;
    bought.pos.Motigoma[SELF + kind] += 1;
    int32_t value = 0;
    m = Think(bought, value);
    // A purchase is worth it when its piece is dropped at once and the
    // search values that strictly higher than anything else found.
    const bool dropsIt = !IsEmptyMove(m) && IsDrop(m) && KindOf(m.piece) == kind;
    if (!dropsIt || (!IsEmptyMove(hint.move) && value <= best)) continue;
    hint.move = m;
    hint.buyKind = kind;
    std::memcpy(hint.pay, pay, sizeof pay);
    best = value;
  }
  return hint;
}

std::string HintText(const Hint& h) {
  if (IsEmptyMove(h.move)) return "";
  std::string text;
  if (h.buyKind) {
    text = std::string("buy a ") + KindWord(h.buyKind) + " (buy " + KindLetter(h.buyKind) + " " +
           std::to_string(h.pay[0]) + " " + std::to_string(h.pay[1]) + " " +
           std::to_string(h.pay[2]) + "), then ";
  }
  return text + DescribeMove(h.move);
}
