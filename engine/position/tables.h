// Constant tables of the game: material values and piece names.
#pragma once

#include "position/types.h"

// Material by piece code; ENEMY values are negative. Promoted codes are 0 on
// the board, and hand values are 5 % above board values.
extern const int32_t BoardValue[64];
extern const int32_t HandValue[64];

// Two-letter romanised names ("FU", "KY", ...) by kind 0..15, "  " for none.
extern const char* const KindName[16];
