// The root driver: book first, then iterative deepening to the level's
// depth (4 at normal).
#pragma once

#include "search/search.h"

// pv points to PV_SIZE * PV_SIZE moves. Returns PvTable[0][0] (all 8 bytes,
// score included), or the book's choice; the empty move if nothing was found.
Move SelectMove(Move* pv, int side, EvalState e);
// The book's answer for p at its ply: the playable candidate proposed by
// the most lines (the first among equals), with score 0. Returns the number
// of candidates, or 0 when none is a move that the side to move at that
// ply (SELF at even plies) may make in p.
int AskBook(const Position& p, Move* choice);
