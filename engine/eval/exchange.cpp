// Static exchange evaluation: play out the captures on one square, cheapest
// attacker first, each side free to stop.
#include "eval/exchange.h"

#include <utility>

#include "eval/exchange_lists.h"
#include "position/makemove.h"
#include "position/tables.h"

namespace {

void Append(AttackerLists& lists, int code, int from, int target) {
  Move m{static_cast<uint8_t>(from), static_cast<uint8_t>(target), static_cast<uint8_t>(code), 0, 0, 0, 0};
  if (code & ENEMY) {
    if (lists.enemyCount < ATTACKER_ROOM) lists.enemy[lists.enemyCount++] = m;
  } else {
    if (lists.selfCount < ATTACKER_ROOM) lists.self[lists.selfCount++] = m;
  }
}

bool IsKing(int code) { return code == SOU || code == EOU; }

// Steppers from the attack maps, then every slider behind them along the
// same line, then knights.
void CollectUnsorted(const Position& p, int t, AttackerLists& lists) {
  const uint32_t* selfMap = p.Map(SELF);
  const uint32_t* enemyMap = p.Map(ENEMY);
  for (int d = 0; d < KING_DIRECTIONS; ++d) {
    const int near = t - Direction[d];
    int c = t;
    if ((selfMap[t] >> d) & 1) {
      Append(lists, p.Ban(near), near, t);
      c = near;
    } else if ((enemyMap[t] >> d) & 1) {
      Append(lists, p.Ban(near), near, t);
      c = near;
    }
    // A king in front hides the sliders behind it.
    if (IsKing(p.Ban(near))) continue;
    while (((selfMap[c] | enemyMap[c]) >> (SLIDE_BIT + d)) & 1) {
      c -= Direction[d];
      while (p.Ban(c) == EMP) c -= Direction[d];
      if (p.Ban(c) == WALL) break;
      Append(lists, p.Ban(c), c, t);
    }
  }
  for (int d = KING_DIRECTIONS; d < DIRECTIONS; ++d) {
    const int from = t - Direction[d];
    if ((selfMap[t] >> d) & 1) Append(lists, p.Ban(from), from, t);
    if ((enemyMap[t] >> d) & 1) Append(lists, p.Ban(from), from, t);
  }
}

// Selection sort, cheapest first: SELF values ascend, ENEMY values (negative)
// descend. The first entry of extreme value is taken, so equal pieces keep
// their collection order as far as the swaps allow.
void SortCheapestFirst(Move* list, int count, bool ascending) {
  for (int j = 0; j < count; ++j) {
    int best = j;
    for (int i = j + 1; i < count; ++i) {
      int vi = BoardValue[list[i].piece];
      int vb = BoardValue[list[best].piece];
      if (ascending ? vi < vb : vi > vb) best = i;
    }
    std::swap(list[j], list[best]);
  }
}

// Material after side starts capturing on the copy with its list, the other
// side answering with its own; SELF keeps the larger, ENEMY the smaller of
// stopping now and capturing.
int32_t CaptureLine(Position& copy, int side, Move* own, int ownCount, Move* other, int otherCount) {
  const int32_t m0 = copy.material;
  int i = 0;
  while (i < ownCount && !MoveFits(copy, own[i])) ++i;
  if (i == ownCount) return m0;
  Move m = own[i];
  for (int k = i; k > 0; --k) own[k] = own[k - 1];
  own[0] = m;
  m.capture = copy.Ban(m.to);
  MakeMove(copy, side, m);
  int32_t v = CaptureLine(copy, Opponent(side), other, otherCount, own + 1, ownCount - 1);
  if (side == SELF) return v > m0 ? v : m0;
  return v < m0 ? v : m0;
}

}  // namespace

void CollectAttackers(const Position& p, int square, AttackerLists& lists) {
  lists.selfCount = 0;
  lists.enemyCount = 0;
  CollectUnsorted(p, square, lists);
  SortCheapestFirst(lists.self, lists.selfCount, true);
  SortCheapestFirst(lists.enemy, lists.enemyCount, false);
}

int32_t ExchangeValue(const Position& p, int square) {
  const int x = p.Ban(square);
  if (x == EMP || x == WALL) return 0;
  if ((x & SELF) && p.Map(ENEMY)[square] == 0) return 0;
  if ((x & ENEMY) && p.Map(SELF)[square] == 0) return 0;

  AttackerLists lists;
  CollectAttackers(p, square, lists);

  Position copy = p;
  if ((x & ENEMY) && lists.selfCount > 0)
    return CaptureLine(copy, SELF, lists.self, lists.selfCount, lists.enemy, lists.enemyCount) - p.material;
  if ((x & SELF) && lists.enemyCount > 0)
    return p.material - CaptureLine(copy, ENEMY, lists.enemy, lists.enemyCount, lists.self, lists.selfCount);
  return 0;
}

int32_t BestCaptureThreat(const Position& p, int side) {
  int32_t best = 0;
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) {
      const int sq = MakeSquare(f, r);
      if (p.Ban(sq) & side) continue;
      const int32_t v = ExchangeValue(p, sq);
      if (v > best) best = v;
    }
  return side == ENEMY ? -best : best;
}
