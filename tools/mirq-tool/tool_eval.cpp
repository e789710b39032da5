// Replaying a POSITION argument with evaluation.
#include "tool_eval.h"

void ReplayWithEval(const ToolPosition& tp, EvalState& e) {
  e.pos = tp.start;
  InitEvaluation(e);
  int side = tp.startSide;
  for (const Move& m : tp.moves) {
    MakeMoveEval(e, side, m);
    side = Opponent(side);
  }
  SelectCastleTables(e);
}
