// Constant tables: directions, material values and names.
#include "position/tables.h"

const int Direction[DIRECTIONS] = {+17, +1, -15, +16, -16, +15, -1, -17, +14, -18, +18, -14};

// Board values: kinds 1..8 as listed, promoted kinds 0; ENEMY negated.
const int32_t BoardValue[64] = {
    0, 0,    0,    0,    0,     0,     0,     0,     0,      0, 0, 0, 0, 0, 0, 0,
    0, 100,  600,  700,  1000,  1200,  1800,  2000,  10000,  0, 0, 0, 0, 0, 0, 0,
    0, -100, -600, -700, -1000, -1200, -1800, -2000, -10000, 0, 0, 0, 0, 0, 0, 0,
    0, 0,    0,    0,    0,     0,     0,     0,     0,      0, 0, 0, 0, 0, 0, 0,
};

// Hand values: 5 % above the board value, pawn..rook only.
const int32_t HandValue[64] = {
    0, 0,    0,    0,    0,     0,     0,     0,     0, 0, 0, 0, 0, 0, 0, 0,
    0, 105,  630,  735,  1050,  1260,  1890,  2100,  0, 0, 0, 0, 0, 0, 0, 0,
    0, -105, -630, -735, -1050, -1260, -1890, -2100, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0,    0,    0,    0,     0,     0,     0,     0, 0, 0, 0, 0, 0, 0, 0,
};

const char* const KindName[16] = {"  ", "FU", "KY", "KE", "GI", "KI", "KA", "HI",
                                  "OU", "TO", "NY", "NK", "NG", "  ", "UM", "RY"};
