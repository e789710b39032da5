// The main search. Repetition is judged only one ply below the root; leaves
// are the static evaluation plus the best capture the side to move could
// start; plies 0 and 1 first ask the mate search.
#include "search/search.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "eval/exchange.h"
#include "eval/ordering.h"
#include "position/copy.h"
#include "position/movegen.h"
#include "position/position.h"
#include "search/mate.h"
#include "search/ordered_lists.h"
#include "search/tt.h"

Move CurrentLine[MAX_PLY];
uint64_t SearchNodes = 0;

namespace {

// The order of the list of the node at each ply, kept while its first
// move is searched. Nodes on the current path stand at different plies
// (a node that deepens returns what the deepening found without ordering
// anything), so one per ply serves, and the search's frames stay small.
OrderState OrderStates[MAX_PLY];

// Value of a position repeated at ply 1, or 1 when it is no fourth occurrence.
constexpr int32_t NOT_REPEATED = 1;

int32_t RepetitionValue(const Position& p) {
  const int m = p.ply;
  const HashKey k = p.Kyokumen;
  int count = 0;
  for (int n = m; n > 0; n -= 2) {
    if (KeyHistory[n] == k) ++count;
  }
  if (count < 4) return NOT_REPEATED;
  // The side that moved into this position checked with every move.
  count = 0;
  for (int n = m; count < 4 && n > 0 && CheckHistory[n] != 0; n -= 2) {
    if (KeyHistory[n] == k) ++count;
  }
  if (count >= 4) return VALUE_PERPETUAL;
  // The side to move checked with every move.
  count = 0;
  for (int n = m; count < 4 && n > 1 && CheckHistory[n - 1] != 0; n -= 2) {
    if (KeyHistory[n] == k) ++count;
  }
  if (count >= 4) return -VALUE_PERPETUAL;
  return 0;
}

// The node's running state while its moves are searched.
struct Node {
  Move* pv;
  int side;
  const EvalState* e;
  int32_t alpha;
  int32_t beta;
  int ply;
  int limit;
  int32_t best;
  EvalState child;
};

// Searches one move of the node; bound limits the recapture extension.
void SearchMove(Node& n, const Move& m, int32_t bound) {
  CurrentLine[n.ply] = m;
  CopyRecord(n.child, *n.e);
  MakeMoveEval(n.child, n.side, m);
  const int opp = Opponent(n.side);
  const int32_t childBeta = -std::max(n.alpha, n.best);
  int32_t v = -Search(n.pv, opp, n.child, -n.beta, childBeta, n.ply + 1, n.limit, true);
  // A recapture after a move the opponent's ordering thought a sacrifice
  // is looked at two plies deeper; the raised limit stays below MAX_PLY.
  if (n.ply >= 2) {
    const Move& prev = CurrentLine[n.ply - 1];
    if (prev.score < 0 && m.to == prev.to && v <= bound &&
        n.limit + RECAPTURE_EXTENSION < MAX_PLY) {
      v = -Search(n.pv, opp, n.child, -n.beta, childBeta, n.ply + 1, n.limit + RECAPTURE_EXTENSION,
                  true);
    }
  }
  if (v > n.best) {
    n.best = v;
    Move* row = n.pv + n.ply * PV_SIZE;
    const Move* below = n.pv + (n.ply + 1) * PV_SIZE;
    row[n.ply] = m;
    for (int j = n.ply + 1; j < n.limit; ++j) row[j] = below[j];
  }
}

}  // namespace

int32_t DeepenSearch(Move* pv, int side, const EvalState& e, int32_t alpha, int32_t beta, int ply,
                     int limit) {
  int32_t value = 0;
  for (int d = ply + 1; d <= limit; ++d) value = Search(pv, side, e, alpha, beta, ply, d, false);
  return value;
}

int32_t Search(Move* pv, int side, const EvalState& e, int32_t alpha, int32_t beta, int ply,
               int limit, bool deepen) {
  ++SearchNodes;
  if (ply == 1) {
    int32_t r = RepetitionValue(e.pos);
    if (r != NOT_REPEATED) return r;
  }
  if (ply == limit) {
    int32_t v = Evaluate(e) + BestCaptureThreat(e.pos, side);
    return side == SELF ? v : -v;
  }
  int32_t cut = 0;
  int probe = ProbeTable(e.pos, ply, limit, alpha, beta, &cut);
  if (probe == PROBE_CUT) return cut;
  if (probe == PROBE_MISS && limit - ply > 2 && deepen) {
    return DeepenSearch(pv, side, e, alpha, beta, ply, limit);
  }

  PrefetchOrderedMoves(e.pos, side);
  Node n;  // the child copy is written before each use
  n.pv = pv;
  n.side = side;
  n.e = &e;
  n.alpha = alpha;
  n.beta = beta;
  n.ply = ply;
  n.limit = limit;
  n.best = VALUE_START;
  Move moves[MAX_MOVES];

  Move mate{};
  if (ply <= 1 && MateSearch(e.pos, side, Level->mateDepth, &mate) == MATE_PROVEN) {
    pv[ply * PV_SIZE + ply] = mate;
    pv[ply * PV_SIZE + ply + 1] = Move{};
    n.best = VALUE_MATE;
  } else {
    const Move reply = ply > 1 ? pv[(ply - 1) * PV_SIZE + ply] : Move{};
    int count = HashMoves(e.pos, side, reply, moves);
    OrderMoves(e, side, moves, count);
    for (int i = 0; i < count && n.best < beta; ++i) {
      if (IsEmptyMove(moves[i])) continue;
      SearchMove(n, moves[i], n.best);
    }
    if (n.best < beta) {
      int searched = 0;  // moves of the ordered list searched already
      count = KeptOrderedMoves(e, side, moves);
      if (count < 0) {
        count = GenerateMoves(e.pos, side, moves);
        if (count == 0) return VALUE_NO_MOVE;
        // The full order only when the first move does not cut off.
        OrderState& order = OrderStates[ply];
        const int top = FirstInOrder(order, e, side, moves, count);
        Move first{};
        if (top >= 0) {
          first = moves[top];
          SearchMove(n, first, beta);
          searched = 1;
        }
        if (n.best < beta) {
          FinishOrder(order, moves, count);
          assert(searched == 0 || std::memcmp(&moves[0], &first, sizeof first) == 0);
          KeepOrderedMoves(e, side, moves, count);
        } else {
          count = searched;
        }
      }
      for (int i = searched; i < count; ++i) {
        if (i > 0 && n.best > VALUE_NO_MOVE && (moves[i].score < SCORE_CUT || i >= WIDTH_LIMIT)) {
          break;
        }
        SearchMove(n, moves[i], beta);
        if (n.best >= beta) break;
      }
    }
  }

  StoreTable(e.pos, ply, limit, alpha, beta, n.best, pv[ply * PV_SIZE + ply]);
  return n.best;
}
