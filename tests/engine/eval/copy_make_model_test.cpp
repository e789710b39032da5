// The routines that answer from the board without copying the position or
// listing every move, against the plain methods they stand for, on random
// playouts with promotions and full hands.
#include <gtest/gtest.h>

#include <random>

#include "eval/exchange.h"
#include "eval/exchange_lists.h"
#include "eval/ordering.h"
#include "eval_fixture.h"
#include "position/checks.h"
#include "position/makemove.h"
#include "position/pieces.h"

namespace {

using namespace eval_test;

const char* const Starts[] = {
    "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/9/LNSGKGSNL b RBGSNLPrbgsnlp 1",
    "l4k2l/2+R3g2/p1n1ppsp1/2p+B3p1/1p1P5/4P1P2/PPS2PN1P/2G2S1+r1/LN2K3L w GNPbp 1",
    "8k/1+P+P1+S1+P2/9/9/9/9/2+p1+s+p+p2/9/4K4 b RBGSNLPrbgsnlp 1",
};

// The capture line on a copy, each capture made on it.
int32_t ModelLine(Position& copy, int side, Move* own, int ownCount, Move* other, int otherCount) {
  const int32_t m0 = copy.material;
  int i = 0;
  while (i < ownCount && !MoveFits(copy, own[i])) ++i;
  if (i == ownCount) return m0;
  Move m = own[i];
  for (int k = i; k > 0; --k) own[k] = own[k - 1];
  own[0] = m;
  m.capture = copy.Ban(m.to);
  MakeMove(copy, side, m);
  const int32_t v = ModelLine(copy, Opponent(side), other, otherCount, own + 1, ownCount - 1);
  return side == SELF ? std::max(v, m0) : std::min(v, m0);
}

int32_t ModelExchange(const Position& p, int sq) {
  const int x = p.Ban(sq);
  if (x == EMP || x == WALL) return 0;
  if ((x & SELF) && p.Map(ENEMY)[sq] == 0) return 0;
  if ((x & ENEMY) && p.Map(SELF)[sq] == 0) return 0;
  AttackerLists l;
  CollectAttackers(p, sq, l);
  Position copy = p;
  if ((x & ENEMY) && l.selfCount > 0)
    return ModelLine(copy, SELF, l.self, l.selfCount, l.enemy, l.enemyCount) - p.material;
  if ((x & SELF) && l.enemyCount > 0)
    return p.material - ModelLine(copy, ENEMY, l.enemy, l.enemyCount, l.self, l.selfCount);
  return 0;
}

// The generated moves after which side's map shows the other king attacked.
int ModelChecks(const Position& p, int side, Move* list) {
  const int n = GenerateMoves(p, side, list);
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    Position copy = p;
    MakeMove(copy, side, list[i]);
    if (CheckWord(copy, side)) list[kept++] = list[i];
  }
  return kept;
}

// A move's ordering score from the made move: the evaluation's change, the
// exchanges on the squares the moved piece and the sliders it unmasked
// bear on, checks and the capture bonus, in 16 bits.
int16_t ModelScore(const EvalState& e, int side, const Move& m) {
  const Position& before = e.pos;
  EvalState made = e;
  MakeMoveEval(made, side, m);
  const Position& after = made.pos;
  const int a = m.promote ? (m.piece | PROMOTED) : m.piece;
  const int opp = Opponent(side);
  int16_t score = static_cast<int16_t>(Evaluate(made) - Evaluate(e));
  if (side == ENEMY) score = static_cast<int16_t>(-score);
  int32_t risk = ExchangeValue(after, m.to) - (IsDrop(m) ? 0 : ExchangeValue(before, m.from));
  const int32_t bonus = after.Map(opp)[m.to] == 0 ? 1500 : (after.Map(side)[m.to] ? 1000 : 500);
  int32_t gain = 0, protect = 0;
  auto scan = [&](int from, int d) {
    int n = from + Direction[d];
    while (after.Ban(n) == EMP) n += Direction[d];
    return n;
  };
  auto target = [&](int n, bool checks) {
    const int c = after.Ban(n);
    if (c == WALL) return;
    if (checks && c == (opp | OU))
      gain += bonus;
    else if (!(c & side))
      gain += ExchangeValue(after, n);
    else
      protect += ExchangeValue(before, n) - ExchangeValue(after, n);
  };
  for (int d = 0; d < DIRECTIONS; ++d)
    if (CanStep[d][a]) target(m.to + Direction[d], true);
  if (!IsDrop(m))
    for (int d = 0; d < KING_DIRECTIONS; ++d)
      if (before.Map(side)[m.from] >> (SLIDE_BIT + d) & 1) target(scan(m.from, d), false);
  for (int d = 0; d < KING_DIRECTIONS; ++d)
    if (CanSlide[d][a]) target(scan(m.to, d), true);
  score = static_cast<int16_t>(score + protect - risk);
  if (before.Ban(m.to) != EMP) score = static_cast<int16_t>(score + 1500);
  return static_cast<int16_t>(score + gain / 10);
}

bool SameMoves(const Move* a, const Move* b, int n) {
  for (int i = 0; i < n; ++i)
    if (a[i].from != b[i].from || a[i].to != b[i].to || a[i].piece != b[i].piece ||
        a[i].capture != b[i].capture)
      return false;
  return true;
}

TEST(CopyMakeModel, ExchangeChecksAndMobilityMatchOnPlayouts) {
  std::mt19937 rng(2718);
  long squares = 0, checks = 0;
  for (int game = 0; game < 60; ++game) {
    int side = SELF;
    EvalState e = FromSfen(Starts[game % 3], &side);
    for (int ply = 0; ply < 120; ++ply) {
      const std::string where = FormatSfen(e.pos, side);
      for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq) {
        if (!IsSquare(sq)) continue;
        ASSERT_EQ(ExchangeValue(e.pos, sq), ModelExchange(e.pos, sq))
            << "on " << FormatUsiSquare(sq) << " in " << where;
        ++squares;
      }
      // Both sides: the side not to move may already attack the king.
      for (int s : {side, Opponent(side)}) {
        Move got[MAX_MOVES], want[MAX_MOVES];
        const int n = CheckingMoves(e.pos, s, got);
        ASSERT_EQ(n, ModelChecks(e.pos, s, want)) << "checks of " << s << " in " << where;
        ASSERT_TRUE(SameMoves(got, want, n)) << "checks of " << s << " in " << where;
        checks += n;
        const int all = GenerateMoves(e.pos, s, want);
        ASSERT_EQ(CountMoves(e.pos, s), all) << s << " in " << where;
        ASSERT_EQ(HasLegalMove(e.pos, s), all > 0) << s << " in " << where;
      }
      Move list[MAX_MOVES];
      const int n = GenerateMoves(e.pos, side, list);
      if (n == 0) break;
      Move m = list[rng() % n];
      const int k = KindOf(m.piece);
      if (!IsDrop(m) && k >= FU && k <= HI && k != KI && rng() % 3 == 0) m.promote = 1;
      MakeMoveEval(e, side, m);
      side = Opponent(side);
    }
  }
  EXPECT_GT(squares, 300000);
  EXPECT_GT(checks, 20000);
}

// Ordering reads every move from the board before it: the evaluation, the
// exchange values and who attacks each square must be those of the made
// move, promotions included.
TEST(CopyMakeModel, BoardAfterAMoveReadsAsTheMadeMove) {
  std::mt19937 rng(1414);
  long looks = 0;
  for (int game = 0; game < 9; ++game) {
    int side = SELF;
    EvalState e = FromSfen(Starts[game % 3], &side);
    for (int ply = 0; ply < 60; ++ply) {
      Move list[MAX_MOVES];
      const int n = GenerateMoves(e.pos, side, list);
      if (n == 0) break;
      for (int i = 0; i < n; ++i)
        for (int promote = 0; promote <= 1; ++promote) {
          Move m = list[i];
          m.promote = static_cast<uint8_t>(promote);
          if (promote && !MayPromote(side, m)) continue;
          EvalState made = e;
          MakeMoveEval(made, side, m);
          const std::string what = FormatUsiMove(m) + " in " + FormatSfen(e.pos, side);
          const AfterBoard after(e.pos, m);
          ASSERT_EQ(EvaluateAfter(e, side, m, after), Evaluate(made)) << what;
          for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq) {
            if (!IsSquare(sq)) continue;
            int attackers = -1;
            ASSERT_EQ(ExchangeValueAfter(after, sq, &attackers), ExchangeValue(made.pos, sq))
                << FormatUsiSquare(sq) << " after " << what;
            if (made.pos.Ban(sq) == EMP) continue;
            const int want =
                (made.pos.Map(SELF)[sq] ? SELF : 0) | (made.pos.Map(ENEMY)[sq] ? ENEMY : 0);
            ASSERT_EQ(attackers, want) << FormatUsiSquare(sq) << " after " << what;
            ++looks;
          }
        }
      MakeMoveEval(e, side, list[rng() % n]);
      side = Opponent(side);
    }
  }
  EXPECT_GT(looks, 500000);
}

// Ordering shares work between the moves of one list and may stop at the
// first move; every score and the order must be those of scoring each made
// move on its own.
TEST(CopyMakeModel, OrderingScoresAreThoseOfTheMadeMoves) {
  std::mt19937 rng(577);
  long moves = 0, certain = 0;
  // The last start has a king that can take a guard.
  const char* const starts[] = {Starts[0], Starts[1], Starts[2],
                                "9/9/9/9/9/9/6k2/4s4/4K4 b RBGSNLPrbgsnlp 1"};
  for (int game = 0; game < 8; ++game) {
    int side = SELF;
    EvalState e = FromSfen(starts[game % 4], &side);
    SelectCastleTables(e);
    for (int ply = 0; ply < 50; ++ply) {
      Move got[MAX_MOVES], want[MAX_MOVES];
      const int n = GenerateMoves(e.pos, side, got);
      if (n == 0) break;
      std::copy(got, got + n, want);
      OrderMoves(e, side, got, n);
      for (int i = 0; i < n; ++i) want[i].score = ModelScore(e, side, want[i]);
      std::sort(want, want + n, [](const Move& x, const Move& y) { return x.score > y.score; });
      const std::string where = FormatSfen(e.pos, side);
      for (int i = 0; i < n; ++i) {
        ASSERT_TRUE(SameMoves(got + i, want + i, 1)) << "place " << i << " in " << where;
        ASSERT_EQ(got[i].score, want[i].score) << FormatUsiMove(got[i]) << " in " << where;
      }
      // Ordered in two steps: the first move alone when it is certain,
      // then the rest, as OrderMoves orders them.
      Move part[MAX_MOVES];
      const int generated = GenerateMoves(e.pos, side, part);
      ASSERT_EQ(generated, n);
      OrderState o;
      const int top = FirstInOrder(o, e, side, part, n);
      if (top >= 0) {
        ASSERT_TRUE(SameMoves(part + top, got, 1)) << where;
        ASSERT_EQ(part[top].score, got[0].score) << where;
        ASSERT_TRUE(n == 1 || got[1].score < got[0].score) << where;
        ++certain;
      } else {
        ASSERT_TRUE(n > 1 && got[1].score == got[0].score) << where;
      }
      FinishOrder(o, part, n);
      for (int i = 0; i < n; ++i) {
        ASSERT_TRUE(SameMoves(part + i, got + i, 1)) << "place " << i << " in " << where;
        ASSERT_EQ(part[i].score, got[i].score) << FormatUsiMove(got[i]) << " in " << where;
      }
      moves += n;
      MakeMoveEval(e, side, got[rng() % n]);
      side = Opponent(side);
    }
  }
  EXPECT_GT(moves, 20000);
  EXPECT_GT(certain, 100);
}

}  // namespace
