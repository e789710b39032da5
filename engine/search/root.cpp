// The root driver: the opening book first, else iterative deepening to a
// fixed depth with the full root window.
#include "root.h"

#include <cstring>

#include "book/book.h"
#include "search/search.h"

int32_t DeepenSearch(Move* pv, int side, const EvalState& e, int32_t alpha, int32_t beta, int ply,
                     int limit) {
  int32_t value = 0;
  for (int d = ply + 1; d <= limit; ++d) value = Search(pv, side, e, alpha, beta, ply, d, false);
  return value;
}

namespace {

Move BookMoves[MAX_MOVES];
int32_t BookCounts[MAX_MOVES];

int AskBook(const Position& p, Move* choice) {
  int n = LookupBook(&Book, BookStartPosition, SELF, p, p.ply, BookMoves, BookCounts);
  if (n == 0) return 0;
  int best = 0;
  for (int i = 1; i < n; ++i) {
    if (BookCounts[i] > BookCounts[best]) best = i;
  }
  *choice = BookMoves[best];
  choice->score = 0;
  return n;
}

}  // namespace

Move SelectMove(Move* pv, int side, EvalState e) {
  Move choice{};
  if (AskBook(e.pos, &choice) > 0) return choice;
  std::memset(pv, 0, PV_SIZE * PV_SIZE * sizeof(Move));
  DeepenSearch(pv, side, e, -VALUE_WINDOW, VALUE_WINDOW, 0, ROOT_DEPTH);
  return pv[0];
}
