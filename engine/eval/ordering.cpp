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

// Exchange values on the pieces a slider reaches by a move that takes
// nothing. The boards after the quiet moves of one piece from one square
// (or the drops of one code) differ only in where the slider stands; on
// the line from such a piece n back to the slider, the slider is the first
// piece seen and the cells up to the next piece are empty whichever of
// them it stands on, so the exchange on n is the same for all those moves
// and is worked out once per list. (A capture removes the piece beyond the
// slider, so it is not shared.) Entries are told apart by the list's
// stamp, so nothing is cleared between lists.
struct LineValues {
  struct Entry {
    uint32_t stamp;
    int16_t from;  // AfterBoard::NO_CELL for a drop
    int16_t code;
    int32_t value;
  };
  static Entry at[CELL_COUNT][KING_DIRECTIONS];
  static uint32_t stamp;

  LineValues() { ++stamp; }

  // The exchange on n, reached from the slider along direction d.
  int32_t On(const AfterBoard& after, int n, int d) {
    Entry& e = at[n][d];
    if (e.stamp != stamp || e.from != after.from || e.code != after.placed) {
      e.stamp = stamp;
      e.from = static_cast<int16_t>(after.from);
      e.code = static_cast<int16_t>(after.placed);
      e.value = ExchangeValueAfter(after, n);
    }
    return e.value;
  }
};

LineValues::Entry LineValues::at[CELL_COUNT][KING_DIRECTIONS];
uint32_t LineValues::stamp = 0;

// What a piece newly bearing on n means: a check, a threat against an
// opponent piece, or cover for an own piece. lines, when given, holds the
// exchange on n, reached by the moved slider along direction d.
inline __attribute__((always_inline)) void ScoreTarget(BeforeValues& before,
                                                       const AfterBoard& after, int side, int n,
                                                       int32_t checkBonus, Terms& t,
                                                       LineValues* lines = nullptr, int d = 0) {
  const int cell = after.At(n);
  if (cell == (Opponent(side) | OU)) {
    t.gain += checkBonus;
  } else if (IsOpenCell(cell, side)) {
    t.gain += lines ? lines->On(after, n, d) : ExchangeValueAfter(after, n);
  } else if (IsOwnCell(cell, side)) {
    t.protect += before.At(n) - (lines ? lines->On(after, n, d) : ExchangeValueAfter(after, n));
  }
}

// The move's score, read from the board after it without making it.
int16_t ScoreMove(const EvalState& e, int side, int32_t e0, BeforeValues& values, LineValues& lines,
                  GuardList& guards, const Move& m) {
  const Position& before = e.pos;
  const AfterBoard after(before, m);
  const int arriving = after.placed;

  int16_t score = Wrap16(EvaluateAfter(e, side, m, after, &guards) - e0);
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

  LineValues* shared = before.Ban(m.to) == EMP ? &lines : nullptr;
  for (uint32_t set = PieceSets.slide[arriving]; set; set &= set - 1) {
    const int d = LowestBit(set);
    ScoreTarget(values, after, side, after.Scan(m.to, Direction[d]), checkBonus, t, shared, d);
  }

  score = Wrap16(score + (t.protect - risk));
  if (before.Ban(m.to) != EMP) score = Wrap16(score + CAPTURE_BONUS);
  score = Wrap16(score + t.gain / GAIN_DIVISOR);
  return score;
}

}  // namespace

void OrderMoves(const EvalState& e, int side, Move* list, int count) {
  const int32_t e0 = Evaluate(e);
  BeforeValues values(e.pos);
  LineValues lines;
  GuardList guards;
  for (int i = 0; i < count; ++i)
    list[i].score = ScoreMove(e, side, e0, values, lines, guards, list[i]);
  std::sort(list, list + count, [](const Move& a, const Move& b) { return a.score > b.score; });
}
