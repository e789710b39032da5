// Move-ordering scores and the sort.
#pragma once

#include "eval/eval.h"

// Writes each move's 16-bit score and sorts the list, highest first.
void OrderMoves(const EvalState& e, int side, Move* list, int count);

// The order of one list worked out only as far as the search looks at it.
// Most nodes are cut off by the first move of their list, so the search
// first asks which move OrderMoves would put first: every score is bounded
// cheaply and exact scores are computed only for the moves that could
// still come first. The state lives in the caller's frame; nothing else
// may change the list between the calls.
struct OrderState {
  const EvalState* e;
  int side;
  int32_t e0;                     // Evaluate of the state before the moves
  int32_t before[CELL_COUNT];     // exchange values before the move, -1 until asked
  uint32_t lineStamp;             // tells this list's shared slider exchanges apart
  GuardList guards;               // for the king moves
  int32_t high[MAX_MOVES];        // a bound of each score
  int16_t evaluation[MAX_MOVES];  // the evaluation's part of each score
  uint8_t exact[MAX_MOVES];       // 1 when the score is written into the move
  int16_t reach[MAX_MOVES];       // moves whose bound reaches the best score
};

// Starts the order of list (count > 0, in generated order). Returns the
// index of the move OrderMoves would put first, with its score written, or
// -1 when that is not certain (two moves share the highest score).
int FirstInOrder(OrderState& o, const EvalState& e, int side, Move* list, int count);

// Writes every remaining score and sorts list as OrderMoves does.
void FinishOrder(OrderState& o, Move* list, int count);
