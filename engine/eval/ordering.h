// Move-ordering scores and the sort.
#pragma once

#include "eval/eval.h"

// Writes each move's 16-bit score and sorts the list, highest first.
void OrderMoves(const EvalState& e, int side, Move* list, int count);
