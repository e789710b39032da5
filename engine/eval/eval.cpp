// Evaluation sums: start-up, castle selection, incremental update with each
// move, and the score.
#include "eval/eval.h"

#include <cstdlib>

#include "eval/eval_tables.h"
#include "position/after_board.h"
#include "position/makemove.h"
#include "position/position.h"

int32_t SquareTable[48][CELL_COUNT];
int32_t SelfAttackRel[CELL_COUNT][CELL_COUNT];
int32_t SelfDefenceRel[CELL_COUNT][CELL_COUNT];
int32_t EnemyAttackRel[CELL_COUNT][CELL_COUNT];
int32_t EnemyDefenceRel[CELL_COUNT][CELL_COUNT];
int LastCastleTypes[2];
uint32_t EvalTablesVersion = 0;

namespace {

// Castle types the square table was last filled for; -1 when it was
// cleared since.
int FilledTypes[2] = {-1, -1};

// Ranks 1-4 are SELF's attack zone (the ENEMY camp), ranks 6-9 ENEMY's.
constexpr int SELF_ZONE_LAST_RANK = 4;
constexpr int ENEMY_ZONE_FIRST_RANK = 6;
constexpr int PHASE_MAX = 16;
constexpr int PHASE_POINTS = 200;

// The eight sums without the position: what ordering follows for a move
// it reads from the board instead of making.
struct EvalSums {
  int32_t PhaseEnemy, PhaseSelf, TableSelf, TableEnemy;
  int32_t KingAttackSelf, KingAttackEnemy, KingDefenceSelf, KingDefenceEnemy;
};

template <class Sums>
int32_t& OwnPhase(Sums& e, int side) {
  return side == SELF ? e.PhaseSelf : e.PhaseEnemy;
}
template <class Sums>
int32_t& TableTotal(Sums& e, int side) {
  return side == SELF ? e.TableSelf : e.TableEnemy;
}

// Adds sign times the king-sum contributions of guard code on square sq,
// measured against the king squares given. Sums is an EvalState or the
// EvalSums that ordering follows.
template <class Sums>
void AddGuard(Sums& e, int code, int sq, int selfKing, int enemyKing, int sign) {
  if (code & SELF) {
    e.KingAttackSelf += sign * SelfAttackRel[sq][enemyKing];
    e.KingDefenceSelf += sign * SelfDefenceRel[sq][selfKing];
  } else {
    e.KingAttackEnemy += sign * EnemyAttackRel[sq][selfKing];
    e.KingDefenceEnemy += sign * EnemyDefenceRel[sq][enemyKing];
  }
}

// Phase terms of a piece of code standing on rank r: how much it adds to
// the SELF and the ENEMY attack phase.
inline __attribute__((always_inline)) void BoardPhaseTerms(int code, int r, int32_t& self,
                                                           int32_t& enemy) {
  int k = code & 15;
  self = 0;
  enemy = 0;
  if (r <= SELF_ZONE_LAST_RANK) self = (code & SELF) ? PhaseAttacker[k] : PhaseDefender[k];
  if (r >= ENEMY_ZONE_FIRST_RANK) enemy = (code & ENEMY) ? PhaseAttacker[k] : PhaseDefender[k];
}

int ClampPhase(int32_t p) {
  return p < 0 ? 0 : (p > PHASE_MAX ? PHASE_MAX : p);
}

// A bishop or rook square for castle selection: 1 when the piece is only in
// hand (one in hand and none found, or both in hand).
int PieceOrHand(int sq, int32_t inHand) {
  if ((inHand == 1 && sq == 0) || inHand == 2) return 1;
  return sq;
}

int FirstSquareOf(const Position& p, int code) {
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r)
      if (p.Ban(MakeSquare(f, r)) == code) return MakeSquare(f, r);
  return 0;
}

// The four king sums from scratch on a board (a Position or an
// AfterBoard) with the king squares given.
template <class Sums, class Board>
void KingSumsOf(Sums& e, const Board& board, int selfKing, int enemyKing) {
  e.KingAttackSelf = 0;
  e.KingAttackEnemy = 0;
  e.KingDefenceSelf = 0;
  e.KingDefenceEnemy = 0;
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) {
      int sq = MakeSquare(f, r);
      int code = CodeOn(board, sq);
      if (IsGuard(code)) AddGuard(e, code, sq, selfKing, enemyKing, +1);
    }
}

// The king sums after a king move to cell to, from the guards of the board
// before it: the board after differs only in the king's two cells, and a
// guard on `to` is taken. The same sums as KingSumsOf on the board after.
void KingSumsAfterKingMove(EvalSums& e, const Position& p, GuardList& guards, int to, int selfKing,
                           int enemyKing) {
  if (guards.count < 0) {
    guards.count = 0;
    for (int f = 1; f <= 9; ++f)
      for (int r = 1; r <= 9; ++r) {
        const int sq = MakeSquare(f, r);
        const int code = p.Ban(sq);
        if (!IsGuard(code)) continue;
        guards.square[guards.count] = static_cast<uint8_t>(sq);
        guards.code[guards.count] = static_cast<uint8_t>(code);
        ++guards.count;
      }
  }
  e.KingAttackSelf = 0;
  e.KingAttackEnemy = 0;
  e.KingDefenceSelf = 0;
  e.KingDefenceEnemy = 0;
  for (int i = 0; i < guards.count; ++i)
    if (guards.square[i] != to)
      AddGuard(e, guards.code[i], guards.square[i], selfKing, enemyKing, +1);
}

// Every sum but the king sums of a king move follows side's move m from
// the board before it (steps 1-5 of the update).
template <class Sums>
void AddMoveToSums(Sums& e, const Position& p, int side, const Move& m) {
  const int other = Opponent(side);
  const bool drop = IsDrop(m);
  const int piece = m.piece;
  // The board decides what is captured, as in MakeMove.
  const int capture = p.Ban(m.to);
  const int arriving = m.promote ? (piece | PROMOTED) : piece;
  const bool kingMove = piece == SOU || piece == EOU;
  const int selfKing = p.King[SideIndex(SELF)];
  const int enemyKing = p.King[SideIndex(ENEMY)];

  // 1. King sums of guards leaving, captured and arriving.
  if (!kingMove) {
    if (!drop && IsGuard(piece)) AddGuard(e, piece, m.from, selfKing, enemyKing, -1);
    if (IsGuard(capture)) AddGuard(e, capture, m.to, selfKing, enemyKing, -1);
    if (IsGuard(arriving)) AddGuard(e, arriving, m.to, selfKing, enemyKing, +1);
  }

  // 2. Square-table value of the departure.
  if (!drop) TableTotal(e, side) -= SquareTable[piece][m.from];

  // 3. Phase terms of the departure (a drop leaves the hand).
  if (!drop) {
    int32_t s, en;
    BoardPhaseTerms(piece, RankOf(m.from), s, en);
    e.PhaseSelf -= s;
    e.PhaseEnemy -= en;
  } else {
    OwnPhase(e, side) -= PhaseHand[piece & 15];
  }

  // 4. The captured piece leaves the board for the mover's hand.
  if (capture != EMP) {
    int32_t s, en;
    BoardPhaseTerms(capture, RankOf(m.to), s, en);
    e.PhaseSelf -= s;
    e.PhaseEnemy -= en;
    OwnPhase(e, side) += PhaseHand[capture & 7];
    TableTotal(e, other) -= SquareTable[capture][m.to];
  }

  // 5. Arrival.
  {
    int32_t s, en;
    BoardPhaseTerms(arriving, RankOf(m.to), s, en);
    e.PhaseSelf += s;
    e.PhaseEnemy += en;
    TableTotal(e, side) += SquareTable[arriving][m.to];
  }
}

template <class Sums>
int32_t Score(const Sums& e, int32_t material) {
  const int32_t pE = ClampPhase(e.PhaseEnemy);
  const int32_t pS = ClampPhase(e.PhaseSelf);
  // Integer division truncates toward zero, as the king terms require.
  return (pS - pE) * PHASE_POINTS + e.KingAttackSelf * pS / 16 + e.KingDefenceSelf * pE / 16 +
         e.KingAttackEnemy * pE / 16 + e.KingDefenceEnemy * pS / 16 + e.TableSelf + e.TableEnemy +
         material;
}

}  // namespace

void BuildKingTables() {
  ++EvalTablesVersion;
  for (int pf = 1; pf <= 9; ++pf)
    for (int pr = 1; pr <= 9; ++pr)
      for (int kf = 1; kf <= 9; ++kf)
        for (int kr = 1; kr <= 9; ++kr) {
          int P = MakeSquare(pf, pr);
          int K = MakeSquare(kf, kr);
          int df = std::abs(pf - kf);
          SelfAttackRel[P][K] = KingAttackTable[pr - kr + 8][df];
          SelfDefenceRel[P][K] = KingDefenceTable[pr - kr + 8][df];
          EnemyAttackRel[P][K] = -KingAttackTable[kr - pr + 8][df];
          EnemyDefenceRel[P][K] = -KingDefenceTable[kr - pr + 8][df];
        }
}

void InitEvaluation(EvalState& e) {
  FilledTypes[0] = FilledTypes[1] = -1;
  for (int code = SFU; code <= ERY; ++code)
    for (int c = 0; c < CELL_COUNT; ++c) SquareTable[code][c] = 0;
  BuildKingTables();
  RecomputePhases(e);
  RecomputeKingSums(e);
  // The square table is empty now, so both totals are 0.
  e.TableSelf = 0;
  e.TableEnemy = 0;
}

void RecomputePhases(EvalState& e) {
  const Position& p = e.pos;
  int32_t self = 0;
  int32_t enemy = 0;
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) {
      int code = p.Ban(MakeSquare(f, r));
      if (code == EMP) continue;
      int32_t s, en;
      BoardPhaseTerms(code, r, s, en);
      self += s;
      enemy += en;
    }
  for (int k = FU; k <= HI; ++k) {
    self += PhaseHand[k] * p.Motigoma[SELF | k];
    enemy += PhaseHand[k] * p.Motigoma[ENEMY | k];
  }
  e.PhaseSelf = self;
  e.PhaseEnemy = enemy;
}

void RecomputeKingSums(EvalState& e) {
  KingSumsOf(e, e.pos, e.pos.King[SideIndex(SELF)], e.pos.King[SideIndex(ENEMY)]);
}

void RecomputeTableTotals(EvalState& e) {
  e.TableSelf = 0;
  e.TableEnemy = 0;
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) {
      int sq = MakeSquare(f, r);
      int code = e.pos.Ban(sq);
      if (code & SELF)
        e.TableSelf += SquareTable[code][sq];
      else if (code & ENEMY)
        e.TableEnemy += SquareTable[code][sq];
    }
}

void ChooseCastleTypes(int a, int b, int d, int c, int& selfType, int& enemyType) {
  // 80 = 0x50 and 96 = 0x60 bound file 5; the first rule that holds wins.
  if (a <= 80 && b <= 80) {
    selfType = 0, enemyType = 3;
  } else if (80 <= b && b <= 95 && a <= 80) {
    selfType = 1, enemyType = 4;
  } else if (a <= 95 && b <= 95) {
    selfType = 2, enemyType = 2;
  } else if (a >= 96 && b >= 96) {
    selfType = 3, enemyType = 0;
  } else if (d == 1 && c == 1) {
    selfType = 5, enemyType = 5;
  } else if (32 <= a && a <= 47 && 128 <= b && b <= 143) {
    selfType = 6, enemyType = 6;
  } else {
    selfType = 7, enemyType = 7;
  }
}

void SelectCastleTables(EvalState& e) {
  const Position& p = e.pos;
  int a = PieceOrHand(FirstSquareOf(p, SHI), p.Motigoma[SHI]);
  int b = PieceOrHand(FirstSquareOf(p, EHI), p.Motigoma[EHI]);
  int d = PieceOrHand(FirstSquareOf(p, SKA), p.Motigoma[SKA]);
  int c = PieceOrHand(FirstSquareOf(p, EKA), p.Motigoma[EKA]);
  int st, et;
  ChooseCastleTypes(a, b, d, c, st, et);
  // The table is a function of the two types.
  if (st != FilledTypes[0] || et != FilledTypes[1]) ++EvalTablesVersion;
  FilledTypes[0] = st;
  FilledTypes[1] = et;
  LastCastleTypes[0] = st;
  LastCastleTypes[1] = et;

  for (int code = SFU; code <= ERY; ++code)
    for (int f = 1; f <= 9; ++f)
      for (int r = 1; r <= 9; ++r) {
        int sq = MakeSquare(f, r);
        int own = DiagramIndex(sq);
        // ENEMY shapes are the SELF shapes turned half round.
        int mirrored = DiagramIndex(MakeSquare(10 - f, 10 - r));
        int32_t v;
        switch (code) {
          case SGI:
            v = CastleTable[CASTLE_SILVER][st].v[own];
            break;
          case SKI:
            v = CastleTable[CASTLE_GOLD][st].v[own];
            break;
          case SOU:
            v = CastleTable[CASTLE_KING][st].v[own];
            break;
          case EGI:
            v = -CastleTable[CASTLE_SILVER][et].v[mirrored];
            break;
          case EKI:
            v = -CastleTable[CASTLE_GOLD][et].v[mirrored];
            break;
          case EOU:
            v = -CastleTable[CASTLE_KING][et].v[mirrored];
            break;
          default:
            v = RankTable[code][r];
            break;
        }
        SquareTable[code][sq] = v;
      }
  RecomputeTableTotals(e);
}

void MakeMoveEval(EvalState& e, int side, const Move& m) {
  const bool kingMove = m.piece == SOU || m.piece == EOU;
  AddMoveToSums(e, e.pos, side, m);
  MakeMove(e.pos, side, m);
  // Every guard's distance to a moved king has changed.
  if (kingMove) RecomputeKingSums(e);
}

void ReplayWithEval(EvalState& e, const Position& start, int side, const Move* moves,
                    size_t count) {
  e.pos = start;
  InitEvaluation(e);
  for (size_t i = 0; i < count; ++i) {
    MakeMoveEval(e, side, moves[i]);
    side = Opponent(side);
  }
  SelectCastleTables(e);
}

int32_t Evaluate(const EvalState& e) {
  return Score(e, e.pos.material);
}

int32_t EvaluateAfter(const EvalState& e, int side, const Move& m, const AfterBoard& after,
                      GuardList* guards) {
  const Position& p = e.pos;
  EvalSums sums{e.PhaseEnemy,     e.PhaseSelf,       e.TableSelf,       e.TableEnemy,
                e.KingAttackSelf, e.KingAttackEnemy, e.KingDefenceSelf, e.KingDefenceEnemy};
  AddMoveToSums(sums, p, side, m);
  if (m.piece == SOU || m.piece == EOU) {
    int kings[2] = {p.King[0], p.King[1]};
    kings[SideIndex(side)] = m.to;
    if (guards)
      KingSumsAfterKingMove(sums, p, *guards, m.to, kings[0], kings[1]);
    else
      KingSumsOf(sums, after, kings[0], kings[1]);
  }
  return Score(sums, p.material + MaterialChange(p, side, m));
}

int32_t EvaluationChange(const EvalState& e, int32_t e0, int side, const Move& m,
                         const AfterBoard& after, GuardList* guards) {
  // A quiet board move of a piece that is no guard and stays in the same
  // phase zones changes one table total and nothing else the score reads.
  const int piece = m.piece;
  if (!IsDrop(m) && !m.promote && e.pos.Ban(m.to) == EMP && KindOf(piece) != OU &&
      !IsGuard(piece)) {
    int32_t selfFrom, enemyFrom, selfTo, enemyTo;
    BoardPhaseTerms(piece, RankOf(m.from), selfFrom, enemyFrom);
    BoardPhaseTerms(piece, RankOf(m.to), selfTo, enemyTo);
    if (selfFrom == selfTo && enemyFrom == enemyTo)
      return SquareTable[piece][m.to] - SquareTable[piece][m.from];
  }
  return EvaluateAfter(e, side, m, after, guards) - e0;
}
