// Helpers of the evaluation tests: EvalStates from SFEN and the start
// position, and the from-scratch sums to compare the incremental ones with.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "eval/eval.h"
#include "eval/eval_tables.h"
#include "position/keys.h"
#include "position/movegen.h"
#include "position/position.h"
#include "position/usi.h"
#include "support/positions.h"

namespace eval_test {

// Parses sfen into a fresh EvalState and runs the evaluation's start-up on
// it (which empties the square table).
inline EvalState FromSfen(const std::string& sfen, int* side = nullptr) {
  InitHashKeys();
  EvalState e;
  int s;
  LoadEvalState(sfen, e, s);
  if (side) *side = s;
  return e;
}

inline EvalState StartState() {
  InitHashKeys();
  EvalState e;
  std::memset(&e, 0, sizeof e);
  SetUpStartPosition(e.pos);
  InitEvaluation(e);
  return e;
}

// The eight sums computed from scratch with the active square table.
inline EvalState FromScratch(const EvalState& e) {
  EvalState f = e;
  RecomputePhases(f);
  RecomputeKingSums(f);
  RecomputeTableTotals(f);
  return f;
}

inline std::string Fields(const EvalState& e) {
  return std::to_string(e.PhaseEnemy) + " " + std::to_string(e.PhaseSelf) + " " +
         std::to_string(e.TableSelf) + " " + std::to_string(e.TableEnemy) + " " +
         std::to_string(e.KingAttackSelf) + " " + std::to_string(e.KingAttackEnemy) + " " +
         std::to_string(e.KingDefenceSelf) + " " + std::to_string(e.KingDefenceEnemy);
}

}  // namespace eval_test
