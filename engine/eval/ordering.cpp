// Move ordering: score every move by the change of the evaluation, the
// exchange threats it creates and removes, checks and captures, then sort.
#include "eval/ordering.h"

#include <algorithm>

#include "eval/exchange.h"
#include "position/after_board.h"
#include "position/pieces.h"
#include "position/position.h"

namespace {

constexpr int32_t CAPTURE_BONUS = 1500;
constexpr int32_t CHECK_SAFE = 1500;      // the checking piece cannot be taken
constexpr int32_t CHECK_DEFENDED = 1000;  // it can be taken but is defended
constexpr int32_t CHECK_HANGING = 500;    // it can be taken for free
constexpr int32_t GAIN_DIVISOR = 10;

// Ordering scores are 16-bit and wrap.
int16_t Wrap16(int32_t v) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v)));
}

// Empty or an opponent's piece: a cell side can move to.
bool IsOpenCell(int cell, int side) {
  return cell != WALL && (cell & side) == 0;
}
// A piece of side.
bool IsOwnCell(int cell, int side) {
  return cell != WALL && (cell & side) != 0;
}

struct Terms {
  int32_t gain = 0;
  int32_t protect = 0;
};

// Exchange values of the position before the move, the same for every move
// of the list: each square is evaluated once, when first asked for.
struct BeforeValues {
  const Position& p;
  int32_t value[CELL_COUNT];

  explicit BeforeValues(const Position& before) : p(before) {
    for (int32_t& v : value) v = -1;
  }
  int32_t At(int sq) {
    if (value[sq] < 0) value[sq] = ExchangeValue(p, sq);
    return value[sq];
  }
};

// What a piece newly bearing on n means: a check, a threat against an
// opponent piece, or cover for an own piece.
void ScoreTarget(BeforeValues& before, const AfterBoard& after, int side, int n, int32_t checkBonus,
                 Terms& t) {
  const int cell = after.At(n);
  if (cell == (Opponent(side) | OU)) {
    t.gain += checkBonus;
  } else if (IsOpenCell(cell, side)) {
    t.gain += ExchangeValueAfter(after, n);
  } else if (IsOwnCell(cell, side)) {
    t.protect += before.At(n) - ExchangeValueAfter(after, n);
  }
}

// The move's score, read from the board after it without making it.
int16_t ScoreMove(const EvalState& e, int side, int32_t e0, BeforeValues& values, const Move& m) {
  const Position& before = e.pos;
  const AfterBoard after(before, m);
  const int arriving = after.placed;

  int16_t score = Wrap16(EvaluateAfter(e, side, m, after) - e0);
  if (side == ENEMY) score = Wrap16(-score);

  int attackers = 0;  // the sides attacking the moved piece afterwards
  int32_t risk = ExchangeValueAfter(after, m.to, &attackers);
  if (!IsDrop(m)) risk -= values.At(m.from);

  int32_t checkBonus;
  if (!(attackers & Opponent(side)))
    checkBonus = CHECK_SAFE;
  else if (attackers & side)
    checkBonus = CHECK_DEFENDED;
  else
    checkBonus = CHECK_HANGING;

  Terms t;
  for (uint32_t set = PieceSets.step[arriving]; set; set &= set - 1)
    ScoreTarget(values, after, side, m.to + Direction[LowestBit(set)], checkBonus, t);

  // Own sliders the piece was screening now reach further (no check bonus
  // here: a discovered check counts as an ordinary target).
  if (!IsDrop(m)) {
    for (uint32_t set = (before.Map(side)[m.from] >> SLIDE_BIT) & 0xFF; set; set &= set - 1) {
      const int d = LowestBit(set);
      const int n = after.Scan(m.from, Direction[d]);
      const int cell = after.At(n);
      if (cell == WALL) continue;
      if (IsOpenCell(cell, side))
        t.gain += ExchangeValueAfter(after, n);
      else if (IsOwnCell(cell, side))
        t.protect += values.At(n) - ExchangeValueAfter(after, n);
    }
  }

  for (uint32_t set = PieceSets.slide[arriving]; set; set &= set - 1)
    ScoreTarget(values, after, side, after.Scan(m.to, Direction[LowestBit(set)]), checkBonus, t);

  score = Wrap16(score + (t.protect - risk));
  if (before.Ban(m.to) != EMP) score = Wrap16(score + CAPTURE_BONUS);
  score = Wrap16(score + t.gain / GAIN_DIVISOR);
  return score;
}

}  // namespace

void OrderMoves(const EvalState& e, int side, Move* list, int count) {
  const int32_t e0 = Evaluate(e);
  BeforeValues values(e.pos);
  for (int i = 0; i < count; ++i) list[i].score = ScoreMove(e, side, e0, values, list[i]);
  std::sort(list, list + count, [](const Move& a, const Move& b) { return a.score > b.score; });
}
