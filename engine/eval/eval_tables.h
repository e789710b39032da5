// The evaluation's tables: constant weights and castle shapes, and the
// square and king-relation tables filled at start-up and castle selection.
#pragma once

#include "position/types.h"

// Phase weights by kind 0..15 (code & 15, promotion kept).
extern const int32_t PhaseAttacker[16];
extern const int32_t PhaseDefender[16];
extern const int32_t PhaseHand[16];  // kinds 1..7 only

// Rank values by piece code and rank 1..9 (index 0 unused).
extern const int32_t (&RankTable)[64][10];

// Castle shapes of a SELF piece, 81 values in diagram order (ranks 1..9,
// each from file 9 to file 1).
constexpr int CASTLE_TYPES = 8;
enum CastlePiece : int { CASTLE_SILVER = 0, CASTLE_GOLD = 1, CASTLE_KING = 2 };
struct CastleGrid {
  int8_t v[81];
};
extern const CastleGrid CastleTable[3][CASTLE_TYPES];

// King source tables by [rank offset + 8][file distance].
extern const int32_t KingDefenceTable[17][9];
extern const int32_t KingAttackTable[17][9];

// Active square table, rebuilt by SelectCastleTables; 0 off the board.
extern int32_t SquareTable[48][CELL_COUNT];

// King-relation tables [guard cell][king cell], filled by BuildKingTables.
extern int32_t SelfAttackRel[CELL_COUNT][CELL_COUNT];
extern int32_t SelfDefenceRel[CELL_COUNT][CELL_COUNT];
extern int32_t EnemyAttackRel[CELL_COUNT][CELL_COUNT];
extern int32_t EnemyDefenceRel[CELL_COUNT][CELL_COUNT];

// Castle types chosen by the last SelectCastleTables, [SELF, ENEMY].
extern int LastCastleTypes[2];

// Silvers, golds and the gold-movers promoted from pawn, lance, knight and
// silver: the pieces that enter the king sums.
// Codes 29 and 45 (kind 13) never occur but count as guards too.
inline bool IsGuard(int code) {
  int k = code & 15;
  return code < WALL && (k == GI || k == KI || (k >= 9 && k <= 13));
}
