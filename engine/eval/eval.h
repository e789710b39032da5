// Static evaluation kept incrementally with the position.
#pragma once

#include "position/after_board.h"
#include "position/types.h"

// A Position followed by the eight evaluation sums, copied as one value.
struct EvalState {
  Position pos;
  int32_t PhaseEnemy;        // ENEMY attack phase (raw)
  int32_t PhaseSelf;         // SELF attack phase (raw)
  int32_t TableSelf;         // square-table total of SELF pieces
  int32_t TableEnemy;        // square-table total of ENEMY pieces (negative values)
  int32_t KingAttackSelf;    // SELF guards toward the ENEMY king
  int32_t KingAttackEnemy;   // ENEMY guards toward the SELF king (negative values)
  int32_t KingDefenceSelf;   // SELF guards around the SELF king
  int32_t KingDefenceEnemy;  // ENEMY guards around the ENEMY king (negative values)
};
static_assert(offsetof(EvalState, PhaseEnemy) == sizeof(Position), "sums follow the position");
static_assert(sizeof(EvalState) == sizeof(Position) + 32, "EvalState layout");

// Changes whenever the square table or the king tables are rebuilt, so
// that what was computed with the old tables is known to be stale.
extern uint32_t EvalTablesVersion;

// Fills the four king-relation tables (start-up).
void BuildKingTables();
// Clears the square table, builds the king tables, recomputes phases and
// king sums (start-up, after set-up).
void InitEvaluation(EvalState& e);
// Chooses both castle types from the position, rebuilds the square table
// and recomputes both table totals (top of every turn).
void SelectCastleTables(EvalState& e);
void RecomputePhases(EvalState& e);
void RecomputeKingSums(EvalState& e);
// Castle types (SELF, ENEMY) for rook squares a, b and bishop squares d, c
// (1 = only in hand).
void ChooseCastleTypes(int a, int b, int d, int c, int& selfType, int& enemyType);
// Both table totals from scratch with the active square table.
void RecomputeTableTotals(EvalState& e);
// Updates the eight sums for side's move, then makes the move.
void MakeMoveEval(EvalState& e, int side, const Move& m);
// Sets e up on start, makes count moves with evaluation for alternating
// sides (side first), then chooses the castle tables for the final
// position, as the top of a turn does.
void ReplayWithEval(EvalState& e, const Position& start, int side, const Move* moves, size_t count);
// Score from SELF's point of view.
int32_t Evaluate(const EvalState& e);
// The guards standing on a board, listed once for all the king moves of a
// list: a king move changes every guard's distance to that king.
struct GuardList {
  int count = -1;  // -1: not listed yet
  uint8_t square[81];
  uint8_t code[81];
};

// Evaluate of the state after side's move m, read from the state before it
// and the board after the move (`after`, of the same move) without making it.
// guards, when given, is the GuardList of e's board or not listed yet.
int32_t EvaluateAfter(const EvalState& e, int side, const Move& m, const AfterBoard& after,
                      GuardList* guards = nullptr);
// EvaluateAfter(e, side, m, after, guards) - e0, where e0 is Evaluate(e).
int32_t EvaluationChange(const EvalState& e, int32_t e0, int side, const Move& m,
                         const AfterBoard& after, GuardList* guards);
