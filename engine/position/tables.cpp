// Constant tables: directions, piece moves, material values and names.
#include "position/tables.h"

#include "position/pieces.h"

const int Direction[DIRECTIONS] = {+17, +1, -15, +16, -16, +15, -1, -17, +14, -18, +18, -14};

// CanStep/CanSlide rows written out entry by entry from StepSet/SlideSet, so
// the tables are constant data with no start-up step.
#define MIRQ_E4(F, d, c) F(d, c), F(d, c + 1), F(d, c + 2), F(d, c + 3)
#define MIRQ_E16(F, d, c) MIRQ_E4(F, d, c), MIRQ_E4(F, d, c + 4), MIRQ_E4(F, d, c + 8), MIRQ_E4(F, d, c + 12)
#define MIRQ_ROW(F, d) {MIRQ_E16(F, d, 0), MIRQ_E16(F, d, 16), MIRQ_E16(F, d, 32), MIRQ_E16(F, d, 48)}
#define MIRQ_TABLE(F)                                                                 \
  {MIRQ_ROW(F, 0), MIRQ_ROW(F, 1), MIRQ_ROW(F, 2), MIRQ_ROW(F, 3), MIRQ_ROW(F, 4),    \
   MIRQ_ROW(F, 5), MIRQ_ROW(F, 6), MIRQ_ROW(F, 7), MIRQ_ROW(F, 8), MIRQ_ROW(F, 9),    \
   MIRQ_ROW(F, 10), MIRQ_ROW(F, 11)}
#define MIRQ_STEPS(d, c) (((StepSet(c) >> (d)) & 1) != 0)
#define MIRQ_SLIDES(d, c) (((SlideSet(c) >> (d)) & 1) != 0)

const bool CanStep[DIRECTIONS][64] = MIRQ_TABLE(MIRQ_STEPS);
const bool CanSlide[DIRECTIONS][64] = MIRQ_TABLE(MIRQ_SLIDES);

#undef MIRQ_E4
#undef MIRQ_E16
#undef MIRQ_ROW
#undef MIRQ_TABLE
#undef MIRQ_STEPS
#undef MIRQ_SLIDES

// Board values: kinds 1..8 as listed, promoted kinds 0; ENEMY negated.
const int32_t BoardValue[64] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 100, 600, 700, 1000, 1200, 1800, 2000, 10000, 0, 0, 0, 0, 0, 0, 0,
    0, -100, -600, -700, -1000, -1200, -1800, -2000, -10000, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// Hand values: 5 % above the board value, pawn..rook only.
const int32_t HandValue[64] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 105, 630, 735, 1050, 1260, 1890, 2100, 0, 0, 0, 0, 0, 0, 0, 0,
    0, -105, -630, -735, -1050, -1260, -1890, -2100, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

const char* const KindName[16] = {"  ", "FU", "KY", "KE", "GI", "KI", "KA", "HI",
                                  "OU", "TO", "NY", "NK", "NG", "  ", "UM", "RY"};
