// Move ordering: score every move by the change of the evaluation, the
// exchange threats it creates and removes, checks and captures, then sort.
#include "eval/ordering.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "eval/exchange.h"
#include "position/after_board.h"
#include "position/makemove.h"
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
  int32_t* value;

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
  static uint32_t lists;  // lists begun so far

  uint32_t stamp;  // this list's: the search orders other lists in between

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
uint32_t LineValues::lists = 0;

// What a piece newly bearing on n means: a check (when checks is set), a
// threat against an opponent piece, or cover for an own piece. lines, when
// given, holds the exchange on n, reached by the moved slider along
// direction d.
inline __attribute__((always_inline)) void ScoreTarget(BeforeValues& before,
                                                       const AfterBoard& after, int side, int n,
                                                       bool checks, int32_t checkBonus, Terms& t,
                                                       LineValues* lines = nullptr, int d = 0) {
  const int cell = after.At(n);
  if (checks && cell == (Opponent(side) | OU)) {
    t.gain += checkBonus;
  } else if (IsOpenCell(cell, side)) {
    t.gain += lines ? lines->On(after, n, d) : ExchangeValueAfter(after, n);
  } else if (IsOwnCell(cell, side)) {
    t.protect += before.At(n) - (lines ? lines->On(after, n, d) : ExchangeValueAfter(after, n));
  }
}

// What every move of one list reads, kept in the caller's OrderState.
struct ListState {
  const EvalState& e;
  const int side;
  const int32_t e0;
  BeforeValues values;
  LineValues lines;
  GuardList& guards;

  explicit ListState(OrderState& o)
      : e(*o.e),
        side(o.side),
        e0(o.e0),
        values{o.e->pos, o.before},
        lines{o.lineStamp},
        guards(o.guards) {}
};

void StartList(OrderState& o, const EvalState& e, int side) {
  o.e = &e;
  o.side = side;
  o.e0 = Evaluate(e);
  for (int32_t& v : o.before) v = -1;
  // After 2^32 lists the stamps come round again: old entries go first.
  if (++LineValues::lists == 0) {
    for (auto& square : LineValues::at)
      for (LineValues::Entry& entry : square) entry.stamp = 0;
    LineValues::lists = 1;
  }
  o.lineStamp = LineValues::lists;
  o.guards.count = -1;
}

// The evaluation's part of a move's score: its change, from the mover's view.
int16_t EvaluationPart(ListState& list, const Move& m, const AfterBoard& after) {
  const int16_t score =
      Wrap16(EvaluationChange(list.e, list.e0, list.side, m, after, &list.guards));
  return list.side == ENEMY ? Wrap16(-score) : score;
}

// The move's score, read from the board after it (after) without making
// it; evaluation is EvaluationPart of the move.
int16_t ScoreMove(ListState& list, const Move& m, const AfterBoard& after, int16_t evaluation) {
  const int side = list.side;
  BeforeValues& values = list.values;
  const Position& before = list.e.pos;
  const int arriving = after.placed;
  int16_t score = evaluation;

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
    ScoreTarget(values, after, side, m.to + Direction[LowestBit(set)], true, checkBonus, t);

  // Own sliders the piece was screening now reach further (no check bonus
  // here: a discovered check counts as an ordinary target).
  if (!IsDrop(m)) {
    for (uint32_t set = (before.Map(side)[m.from] >> SLIDE_BIT) & 0xFF; set; set &= set - 1)
      ScoreTarget(values, after, side, after.Scan(m.from, Direction[LowestBit(set)]), false,
                  checkBonus, t);
  }

  LineValues* shared = before.Ban(m.to) == EMP ? &list.lines : nullptr;
  for (uint32_t set = PieceSets.slide[arriving]; set; set &= set - 1) {
    const int d = LowestBit(set);
    ScoreTarget(values, after, side, after.Scan(m.to, Direction[d]), true, checkBonus, t, shared,
                d);
  }

  score = Wrap16(score + (t.protect - risk));
  if (before.Ban(m.to) != EMP) score = Wrap16(score + CAPTURE_BONUS);
  score = Wrap16(score + t.gain / GAIN_DIVISOR);
  return score;
}

// The most the opponent can win by capturing a piece first: what the first
// capture gains, since the capturer may stop there and the other side may
// stop before answering. Every exchange on a piece lies between 0 and this.
struct GainTable {
  int32_t of[64];  // by piece code
};

GainTable MakeGains() {
  GainTable t{};
  for (int code = SFU; code <= ERY; ++code) {
    const int owner = code & (SELF | ENEMY);
    const int32_t change = CaptureChange(Opponent(owner), code);
    t.of[code] = owner == SELF ? -change : change;
  }
  return t;
}

const GainTable CaptureGains = MakeGains();

int32_t CaptureGain(int code) {
  return CaptureGains.of[code];
}

// No score range reaches this: the move's score is needed exactly.
constexpr int32_t UNBOUNDED = INT32_MAX;

// An upper bound of ScoreMove, each exchange after the move replaced by the
// larger end of its range, or UNBOUNDED when the sums might leave 16 bits
// (then the wrapped score is not bounded by them). evaluation receives
// EvaluationPart of the move.
int32_t ScoreHigh(ListState& list, const Move& m, int16_t& evaluation) {
  const int side = list.side;
  BeforeValues& values = list.values;
  const Position& before = list.e.pos;
  const AfterBoard after(before, m);
  const int arriving = after.placed;
  const int16_t score = evaluation = EvaluationPart(list, m, after);

  // protect - risk and gain, each as a range [lo, hi].
  int32_t lo = 0, hi = 0, gainLo = 0, gainHi = 0;
  const int32_t fromValue = IsDrop(m) ? 0 : values.At(m.from);
  lo -= CaptureGain(arriving) - fromValue;
  hi += fromValue;
  auto target = [&](int n, bool checks) {
    const int cell = after.At(n);
    if (checks && cell == (Opponent(side) | OU)) {
      gainLo += CHECK_HANGING;
      gainHi += CHECK_SAFE;
    } else if (cell == WALL || cell == EMP) {
    } else if (!(cell & side)) {
      gainHi += CaptureGain(cell);
    } else {
      const int32_t b = values.At(n);
      lo += b - CaptureGain(cell);
      hi += b;
    }
  };
  for (uint32_t set = PieceSets.step[arriving]; set; set &= set - 1)
    target(m.to + Direction[LowestBit(set)], true);
  if (!IsDrop(m)) {
    for (uint32_t set = (before.Map(side)[m.from] >> SLIDE_BIT) & 0xFF; set; set &= set - 1)
      target(after.Scan(m.from, Direction[LowestBit(set)]), false);
  }
  for (uint32_t set = PieceSets.slide[arriving]; set; set &= set - 1)
    target(after.Scan(m.to, Direction[LowestBit(set)]), true);

  // The score's three wrapping sums, each kept inside 16 bits.
  const int32_t capture = before.Ban(m.to) != EMP ? CAPTURE_BONUS : 0;
  const auto fits = [](int32_t a, int32_t b) { return a >= INT16_MIN && b <= INT16_MAX; };
  if (!fits(score + lo, score + hi) || !fits(score + lo + capture, score + hi + capture) ||
      !fits(score + lo + capture + gainLo / GAIN_DIVISOR,
            score + hi + capture + gainHi / GAIN_DIVISOR))
    return UNBOUNDED;
  return score + hi + capture + gainHi / GAIN_DIVISOR;
}

void SortByScore(Move* list, int count) {
  std::sort(list, list + count, [](const Move& a, const Move& b) { return a.score > b.score; });
}

}  // namespace

void OrderMoves(const EvalState& e, int side, Move* list, int count) {
  if (count == 0) return;  // the search's candidates are often none
  OrderState o;
  StartList(o, e, side);
  ListState state(o);
  for (int i = 0; i < count; ++i) {
    const AfterBoard after(e.pos, list[i]);
    list[i].score = ScoreMove(state, list[i], after, EvaluationPart(state, list[i], after));
  }
  SortByScore(list, count);
}

int FirstInOrder(OrderState& o, const EvalState& e, int side, Move* list, int count) {
  StartList(o, e, side);
  ListState state(o);
  int top = 0;  // the highest bound
  for (int i = 0; i < count; ++i) {
    o.high[i] = ScoreHigh(state, list[i], o.evaluation[i]);
    o.exact[i] = 0;
    if (o.high[i] > o.high[top]) top = i;
  }
  auto exact = [&](int i) {
    list[i].score = ScoreMove(state, list[i], AfterBoard(e.pos, list[i]), o.evaluation[i]);
    o.exact[i] = 1;
    return list[i].score;
  };
  int best = top;
  int32_t bestScore = exact(top);
  // Every other move whose bound reaches the best score, highest bound
  // first; once a bound falls short, so do all after it.
  int16_t* const reach = o.reach;
  int n = 0;
  for (int i = 0; i < count; ++i)
    if (i != top && o.high[i] >= bestScore) reach[n++] = static_cast<int16_t>(i);
  // Highest bound first; few moves, mostly, so insertion.
  const auto higher = [&](int16_t a, int16_t b) { return o.high[a] > o.high[b]; };
  if (n > 32) {
    std::sort(reach, reach + n, higher);
  } else {
    for (int k = 1; k < n; ++k) {
      const int16_t r = reach[k];
      int j = k;
      for (; j > 0 && higher(r, reach[j - 1]); --j) reach[j] = reach[j - 1];
      reach[j] = r;
    }
  }
  bool shared = false;  // another move has the best score
  for (int k = 0; k < n && o.high[reach[k]] >= bestScore; ++k) {
    const int32_t v = exact(reach[k]);
    if (v > bestScore) {
      best = reach[k];
      bestScore = v;
      shared = false;
    } else if (v == bestScore) {
      shared = true;
    }
  }
  return shared ? -1 : best;
}

void FinishOrder(OrderState& o, Move* list, int count) {
  ListState state(o);
  for (int i = 0; i < count; ++i)
    if (!o.exact[i])
      list[i].score = ScoreMove(state, list[i], AfterBoard(o.e->pos, list[i]), o.evaluation[i]);
  SortByScore(list, count);
}
