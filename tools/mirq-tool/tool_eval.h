// The evaluation state of a POSITION argument, shared by the commands that
// evaluate or search it.
#pragma once

#include "eval/eval.h"
#include "tool.h"

// Sets up the evaluation on the start position, makes the moves with
// evaluation for alternating sides, then chooses the castle tables for the
// final position, as the engine does at the top of a turn.
void ReplayWithEval(const ToolPosition& tp, EvalState& e);
