// The root driver: the opening book first, else iterative deepening to the
// level's depth with the full root window.
#include "search/root.h"

#include <cstring>

#include "book/book.h"
#include "position/movegen.h"
#include "position/pieces.h"
#include "search/level.h"
#include "search/search.h"

namespace {

Move BookMoves[MAX_MOVES];
int32_t BookCounts[MAX_MOVES];

// Book lines are not checked when a book is read, so a proposal need not be
// a move of this position at all: a piece that is not on its square, a
// drop of a piece the side does not hold, a promotion the piece cannot
// make, a piece of the side not to move. Playing one would corrupt the
// game. A proposal is playable when the generator lists it for the side the
// book has to move at this ply (SELF at even plies, as its lines start), or
// lists it without the promotion and the piece may promote on this move.
bool PlayableBookMove(const Position& p, const Move& m) {
  int side = p.ply % 2 == 0 ? SELF : ENEMY;
  MoveList list;
  int n = GenerateMoves(p, side, list);
  for (int i = 0; i < n; ++i) {
    const Move& g = list[i];
    if (g.from != m.from || g.to != m.to || g.piece != m.piece || g.promote) continue;
    return !m.promote || MayPromote(side, m);
  }
  return false;
}

}  // namespace

int AskBook(const Position& p, Move* choice) {
  int n = LookupBook(&Book, BookStartPosition, SELF, p, p.ply, BookMoves, BookCounts);
  int best = -1;
  for (int i = 0; i < n; ++i) {
    if (!PlayableBookMove(p, BookMoves[i])) continue;
    if (best < 0 || BookCounts[i] > BookCounts[best]) best = i;
  }
  if (best < 0) return 0;
  *choice = BookMoves[best];
  choice->score = 0;
  return n;
}

Move SelectMove(Move* pv, int side, EvalState e) {
  Move choice{};
  if (AskBook(e.pos, &choice) > 0) return choice;
  std::memset(pv, 0, PV_SIZE * PV_SIZE * sizeof(Move));
  DeepenSearch(pv, side, e, -VALUE_WINDOW, VALUE_WINDOW, 0, Level->rootDepth);
  return pv[0];
}
