// Static exchange evaluation: play out the captures on one square, cheapest
// attacker first, each side free to stop.
#include "eval/exchange.h"

#include <utility>

#include "eval/exchange_lists.h"
#include "position/lines.h"
#include "position/pieces.h"
#include "position/position.h"
#include "position/tables.h"

namespace {

inline void Append(AttackerLists& lists, int code, int from, int target) {
  Move m{static_cast<uint8_t>(from),
         static_cast<uint8_t>(target),
         static_cast<uint8_t>(code),
         0,
         0,
         0,
         0};
  if (code & ENEMY) {
    if (lists.enemyCount < ATTACKER_ROOM) lists.enemy[lists.enemyCount++] = m;
  } else {
    if (lists.selfCount < ATTACKER_ROOM) lists.self[lists.selfCount++] = m;
  }
}

bool IsKing(int code) {
  return code == SOU || code == EOU;
}

// Steppers from the attack maps, then every slider behind them along the
// same line, then knights.
void CollectUnsorted(const Position& p, int t, AttackerLists& lists) {
  const uint32_t* selfMap = p.Map(SELF);
  const uint32_t* enemyMap = p.Map(ENEMY);
  // Only lines with a step or slide bit at t can hold an attacker.
  const uint32_t word = selfMap[t] | enemyMap[t];
  for (uint32_t lines = (word | word >> SLIDE_BIT) & 0xFF; lines; lines &= lines - 1) {
    const int d = LowestBit(lines);
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

// The board of an exchange: the position with the captures on the target
// played out, kept as the cells vacated so far and the piece now on the
// target, so the position is never copied. Only material changes with it.
struct ExchangeBoard {
  const Position& p;
  int target;
  int onTarget;
  uint64_t gone[3];
  int32_t material;

  int At(int c) const {
    if (c == target) return onTarget;
    if (c >= 0 && (gone[c >> 6] >> (c & 63) & 1)) return EMP;
    return p.Ban(c);
  }

  // Whether side attacks the target on this board: the attack map's word
  // there is nonzero exactly then, as the maps follow the board.
  bool Attacked(int side) const {
    for (int d = 0; d < DIRECTIONS; ++d) {
      const int k = Direction[d];
      int y = target - k;
      int code = At(y);
      if ((code & side) && CanStep[d][code]) return true;
      if (d >= KING_DIRECTIONS) continue;
      while (code == EMP) {
        y -= k;
        code = At(y);
      }
      if ((code & side) && CanSlide[d][code]) return true;
    }
    return false;
  }

  // The geometric test of a capture on the target: a king may not take a
  // defended piece, other pieces but knights need a clear path.
  bool Fits(const Move& m) const {
    const int from = m.from;
    const int code = At(from);
    if (code == SOU || code == EOU) return !Attacked(code == SOU ? ENEMY : SELF);
    if (code == SKE || code == EKE) return true;
    // Every other attacker stands on a line through the target.
    const int d = LineDirection(from, target);
    if (d < 0) return false;  // the same square
    const int step = Direction[d];
    for (int c = from + step; c != target; c += step)
      if (At(c) != EMP) return false;
    return true;
  }

  void Capture(int side, const Move& m) {
    const int x = onTarget;
    const int h = side | (x & KIND_MASK);
    material += HandValue[h] - BoardValue[x];
    gone[m.from >> 6] |= uint64_t{1} << (m.from & 63);
    onTarget = m.piece;
  }
};

// Material after side starts capturing with its list, the other side
// answering with its own; SELF keeps the larger, ENEMY the smaller of
// stopping now and capturing.
int32_t CaptureLine(ExchangeBoard& board, int side, Move* own, int ownCount, Move* other,
                    int otherCount) {
  const int32_t m0 = board.material;
  int i = 0;
  while (i < ownCount && !board.Fits(own[i])) ++i;
  if (i == ownCount) return m0;
  Move m = own[i];
  for (int k = i; k > 0; --k) own[k] = own[k - 1];
  own[0] = m;
  board.Capture(side, m);
  int32_t v = CaptureLine(board, Opponent(side), other, otherCount, own + 1, ownCount - 1);
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

  ExchangeBoard board{p, square, x, {0, 0, 0}, p.material};
  if ((x & ENEMY) && lists.selfCount > 0)
    return CaptureLine(board, SELF, lists.self, lists.selfCount, lists.enemy, lists.enemyCount) -
           p.material;
  if ((x & SELF) && lists.enemyCount > 0)
    return p.material -
           CaptureLine(board, ENEMY, lists.enemy, lists.enemyCount, lists.self, lists.selfCount);
  return 0;
}

int32_t BestCaptureThreat(const Position& p, int side) {
  int32_t best = 0;
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) {
      const int sq = MakeSquare(f, r);
      const int x = p.Ban(sq);
      // Only an opponent piece that side attacks has a value.
      if (x == EMP || (x & side) || p.Map(side)[sq] == 0) continue;
      const int32_t v = ExchangeValue(p, sq);
      if (v > best) best = v;
    }
  return side == ENEMY ? -best : best;
}
