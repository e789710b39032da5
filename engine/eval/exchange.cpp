// Static exchange evaluation: play out the captures on one square, cheapest
// attacker first, each side free to stop.
#include "eval/exchange.h"

#include <utility>

#include "eval/exchange_lists.h"
#include "position/after_board.h"
#include "position/lines.h"
#include "position/makemove.h"
#include "position/piece_walk.h"
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
template <bool ASCENDING>
inline void SortCheapestFirst(Move* list, int count) {
  if (count < 2) return;
  int value[ATTACKER_ROOM];
  for (int i = 0; i < count; ++i) value[i] = BoardValue[list[i].piece];
  for (int j = 0; j + 1 < count; ++j) {
    int best = j;
    for (int i = j + 1; i < count; ++i)
      if (ASCENDING ? value[i] < value[best] : value[i] > value[best]) best = i;
    std::swap(list[j], list[best]);
    std::swap(value[j], value[best]);
  }
}

inline void SortLists(AttackerLists& lists) {
  SortCheapestFirst<true>(lists.self, lists.selfCount);
  SortCheapestFirst<false>(lists.enemy, lists.enemyCount);
}

// The board of an exchange: a base board (the Position, or the board after
// a move that ordering reads without making it) with the captures on the
// target played out, kept as the cells vacated so far and the piece now on
// the target, so nothing is copied. Only material changes with it.
template <class Base>
struct ExchangeBoard {
  const Base& base;
  int target;
  int onTarget;
  uint64_t gone[3];
  int32_t material;

  int At(int c) const {
    if (c == target) return onTarget;
    if (c >= 0 && (gone[c >> 6] >> (c & 63) & 1)) return EMP;
    return CodeOn(base, c);
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
    material += CaptureChange(side, onTarget);
    gone[m.from >> 6] |= uint64_t{1} << (m.from & 63);
    onTarget = m.piece;
  }
};

// Material after side starts capturing with its list, the other side
// answering with its own; SELF keeps the larger, ENEMY the smaller of
// stopping now and capturing. The captures are played forward, each
// side's material before its capture kept, then the choices to stop are
// made backward from the last.
template <class Base>
int32_t CaptureLine(ExchangeBoard<Base>& board, int side, Move* own, int ownCount, Move* other,
                    int otherCount) {
  int32_t before[2 * ATTACKER_ROOM + 1];
  int depth = 0;
  int mover = side;
  for (;;) {
    before[depth] = board.material;
    int i = 0;
    while (i < ownCount && !board.Fits(own[i])) ++i;
    if (i == ownCount) break;
    // The capturer goes to the front, the entries it passed keep their order.
    const Move m = own[i];
    for (int k = i; k > 0; --k) own[k] = own[k - 1];
    own[0] = m;
    board.Capture(mover, m);
    Move* const next = other;
    const int nextCount = otherCount;
    other = own + 1;
    otherCount = ownCount - 1;
    own = next;
    ownCount = nextCount;
    mover = Opponent(mover);
    ++depth;
  }
  int32_t v = before[depth];
  for (int level = depth - 1; level >= 0; --level) {
    const int32_t m0 = before[level];
    const bool self = (level % 2 == 0) == (side == SELF);
    v = self ? (v > m0 ? v : m0) : (v < m0 ? v : m0);
  }
  return v;
}

// Which attacker lines of a square pass through a cell: indexed by
// square - cell + LINE_BIAS, bit d (0..7) when the cell is on line d
// (square - n * Direction[d]), bit d (8..11) when it is the knight cell
// square - Direction[d].
struct RelationTable {
  uint16_t bits[2 * LINE_BIAS + 1];
};

constexpr RelationTable MakeRelations() {
  RelationTable t{};
  for (int i = 0; i <= 2 * LINE_BIAS; ++i) {
    const int d = LineTo.dir[i];
    if (d >= 0) t.bits[i] = static_cast<uint16_t>(1u << d);
  }
  constexpr int knights[DIRECTIONS - KING_DIRECTIONS] = {+14, -18, +18, -14};
  for (int k = 0; k < DIRECTIONS - KING_DIRECTIONS; ++k)
    t.bits[knights[k] + LINE_BIAS] |= static_cast<uint16_t>(1u << (KING_DIRECTIONS + k));
  return t;
}

constexpr RelationTable Relations = MakeRelations();

// Lines through t and knight cells of t whose contents the move changes:
// those of its two cells.
uint32_t ChangedLines(const AfterBoard& b, int t) {
  uint32_t lines = Relations.bits[t - b.to + LINE_BIAS];
  if (b.from != AfterBoard::NO_CELL) lines |= Relations.bits[t - b.from + LINE_BIAS];
  return lines;
}

// The step and slide bits of the lines in `lines` (bits 0..11).
uint32_t MapBitsOf(uint32_t lines) {
  return lines | (lines & 0xFF) << SLIDE_BIT;
}

// The sides (bits SELF, ENEMY) among wanted that attack t on the board
// after the move: the maps before the move answer for every line the move
// leaves alone, the board after it for the others.
int SidesAttackingAfter(const AfterBoard& b, int wanted, int t, uint32_t changed) {
  const uint32_t unchanged = ~MapBitsOf(changed);
  int found = 0;
  if ((wanted & SELF) && (b.before.Map(SELF)[t] & unchanged)) found |= SELF;
  if ((wanted & ENEMY) && (b.before.Map(ENEMY)[t] & unchanged)) found |= ENEMY;
  for (uint32_t lines = changed; lines && found != wanted; lines &= lines - 1) {
    const int d = LowestBit(lines);
    const int k = Direction[d];
    int y = t - k;
    int code = b.At(y);
    if (CanStep[d][code]) found |= code & wanted;
    if (d >= KING_DIRECTIONS) continue;
    while (code == EMP) {
      y -= k;
      code = b.At(y);
    }
    if (CanSlide[d][code]) found |= code & wanted;
  }
  return found;
}

// The attackers of t along line d of board (steppers, then every slider
// lined up behind, closest first, either colour), as CollectUnsorted finds
// them from the attack maps.
template <class Board>
void CollectLine(const Board& board, int t, int d, AttackerLists& lists) {
  const int k = Direction[d];
  const int near = t - k;
  const int code = CodeOn(board, near);
  int c = t;
  if (CanStep[d][code]) {
    Append(lists, code, near, t);
    c = near;
  }
  // A king in front hides the sliders behind it.
  if (IsKing(code)) return;
  for (;;) {
    int s = c - k;
    while (CodeOn(board, s) == EMP) s -= k;
    const int slider = CodeOn(board, s);
    if (!CanSlide[d][slider]) return;
    Append(lists, slider, s, t);
    c = s;
  }
}

// The attackers of t on the board after a move, in the order
// CollectUnsorted finds them on the made move's attack maps. Only lines the
// maps before the move show, or that the move changed, can hold any; the
// unchanged ones are read from the board before the move.
void CollectAfter(const AfterBoard& b, int t, uint32_t changed, AttackerLists& lists) {
  const Position& p = b.before;
  const uint32_t word = p.Map(SELF)[t] | p.Map(ENEMY)[t];
  for (uint32_t lines = ((word | word >> SLIDE_BIT) | changed) & 0xFF; lines; lines &= lines - 1) {
    const int d = LowestBit(lines);
    if (changed >> d & 1)
      CollectLine(b, t, d, lists);
    else
      CollectLine(p, t, d, lists);
  }
  for (int d = KING_DIRECTIONS; d < DIRECTIONS; ++d) {
    const int from = t - Direction[d];
    const int code = b.At(from);
    if (CanStep[d][code]) Append(lists, code, from, t);
  }
}

// The exchange once both lists are sorted: what the side not owning x wins
// starting on the base board.
template <class Base>
int32_t PlayOut(const Base& base, int square, int x, AttackerLists& lists, int32_t material) {
  ExchangeBoard<Base> board{base, square, x, {0, 0, 0}, material};
  if ((x & ENEMY) && lists.selfCount > 0)
    return CaptureLine(board, SELF, lists.self, lists.selfCount, lists.enemy, lists.enemyCount) -
           material;
  if ((x & SELF) && lists.enemyCount > 0)
    return material -
           CaptureLine(board, ENEMY, lists.enemy, lists.enemyCount, lists.self, lists.selfCount);
  return 0;
}

}  // namespace

void CollectAttackers(const Position& p, int square, AttackerLists& lists) {
  lists.selfCount = 0;
  lists.enemyCount = 0;
  CollectUnsorted(p, square, lists);
  SortLists(lists);
}

int32_t ExchangeValue(const Position& p, int square) {
  const int x = p.Ban(square);
  if (x == EMP || x == WALL) return 0;
  if ((x & SELF) && p.Map(ENEMY)[square] == 0) return 0;
  if ((x & ENEMY) && p.Map(SELF)[square] == 0) return 0;

  AttackerLists lists;
  CollectAttackers(p, square, lists);
  return PlayOut(p, square, x, lists, p.material);
}

int32_t ExchangeValueOnPieceAfter(const AfterBoard& b, int square, int* attackers) {
  const int x = b.At(square);
  const uint32_t changed = ChangedLines(b, square);
  const int owner = x & (SELF | ENEMY);
  const int sides =
      SidesAttackingAfter(b, attackers ? SELF | ENEMY : Opponent(owner), square, changed);
  if (attackers) *attackers = sides;
  if (!(sides & Opponent(owner))) return 0;
  AttackerLists lists;
  CollectAfter(b, square, changed, lists);
  SortLists(lists);
  // The exchange's result does not depend on the material it starts from.
  return PlayOut(b, square, x, lists, 0);
}

int32_t BestCaptureThreat(const Position& p, int side) {
  int32_t best = 0;
  const uint32_t* map = p.Map(side);
  // The other side's pieces; only those side attacks have a value.
  ForEachPiece(p.Cells + GUARD_CELLS, Opponent(side), [&](int sq) {
    if (map[sq] != 0) {
      const int32_t v = ExchangeValue(p, sq);
      if (v > best) best = v;
    }
    return true;
  });
  return side == ENEMY ? -best : best;
}
