// The transcribed evaluation tables, pinned entry by entry where a reader
// can check them by eye, and the king-relation tables built from them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "eval/eval.h"
#include "eval/eval_tables.h"
#include "position/position.h"

namespace {

int CastleAt(int piece, int type, int sq) {
  return CastleTable[piece][type].v[DiagramIndex(sq)];
}

int CountNotMinusTen(int piece, int type) {
  int n = 0;
  for (int i = 0; i < 81; ++i) n += CastleTable[piece][type].v[i] != -10;
  return n;
}

TEST(CastleTables, ListedEntriesSitOnTheirSquares) {
  EXPECT_EQ(CastleAt(CASTLE_SILVER, 0, 0x57), 10);
  EXPECT_EQ(CastleAt(CASTLE_SILVER, 0, 0x79), 0);
  EXPECT_EQ(CastleAt(CASTLE_SILVER, 0, 0x86), -7);
  EXPECT_EQ(CastleAt(CASTLE_SILVER, 1, 0x56), -7);
  EXPECT_EQ(CastleAt(CASTLE_SILVER, 5, 0x78), -8);
  EXPECT_EQ(CastleAt(CASTLE_SILVER, 6, 0x88), -5);
  EXPECT_EQ(CastleAt(CASTLE_SILVER, 7, 0x35), 5);
  EXPECT_EQ(CastleAt(CASTLE_GOLD, 3, 0x59), 1);
  EXPECT_EQ(CastleAt(CASTLE_GOLD, 4, 0x78), 10);
  EXPECT_EQ(CastleAt(CASTLE_GOLD, 4, 0x29), -7);
  EXPECT_EQ(CastleAt(CASTLE_GOLD, 7, 0x58), 5);
  EXPECT_EQ(CastleAt(CASTLE_KING, 0, 0x99), 10);
  EXPECT_EQ(CastleAt(CASTLE_KING, 0, 0x97), -7);
  EXPECT_EQ(CastleAt(CASTLE_KING, 2, 0x19), 10);
  EXPECT_EQ(CastleAt(CASTLE_KING, 5, 0x78), -2);
  EXPECT_EQ(CastleAt(CASTLE_KING, 6, 0x78), 0);
  EXPECT_EQ(CastleAt(CASTLE_KING, 6, 0x68), -4);
  // Unlisted squares, including the far corner of the board, are -10.
  EXPECT_EQ(CastleAt(CASTLE_KING, 0, 0x11), -10);
  EXPECT_EQ(CastleAt(CASTLE_GOLD, 0, 0x59), -10);
}

TEST(CastleTables, EveryTableHasExactlyItsListedEntries) {
  // Counts of the listed entries per table (none of them is -10).
  const int expected[3][8] = {
      {14, 15, 7, 12, 10, 13, 2, 9}, {4, 4, 7, 11, 19, 14, 5, 4}, {9, 9, 8, 8, 8, 13, 12, 12}};
  const char* names[3] = {"silver", "gold", "king"};
  for (int piece = 0; piece < 3; ++piece)
    for (int type = 0; type < CASTLE_TYPES; ++type)
      EXPECT_EQ(CountNotMinusTen(piece, type), expected[piece][type])
          << names[piece] << " " << type;
}

TEST(CastleTables, SharedKingShapesAreIdentical) {
  EXPECT_EQ(0, std::memcmp(&CastleTable[CASTLE_KING][1], &CastleTable[CASTLE_KING][0], 81));
  EXPECT_EQ(0, std::memcmp(&CastleTable[CASTLE_KING][3], &CastleTable[CASTLE_KING][2], 81));
  EXPECT_EQ(0, std::memcmp(&CastleTable[CASTLE_KING][4], &CastleTable[CASTLE_KING][2], 81));
  EXPECT_EQ(0, std::memcmp(&CastleTable[CASTLE_KING][7], &CastleTable[CASTLE_KING][6], 81));
  EXPECT_EQ(0, std::memcmp(&CastleTable[CASTLE_GOLD][1], &CastleTable[CASTLE_GOLD][0], 81));
}

TEST(KingSourceTables, PinnedEntries) {
  // [rank offset + 8][file distance]
  EXPECT_EQ(KingDefenceTable[8][0], 42);
  EXPECT_EQ(KingDefenceTable[8 - 3][2], 1);
  EXPECT_EQ(KingDefenceTable[8 - 1][1], 38);
  EXPECT_EQ(KingDefenceTable[8 + 2][3], -3);
  EXPECT_EQ(KingDefenceTable[8 - 5][5], -49);
  EXPECT_EQ(KingDefenceTable[8 + 8][0], -50);
  EXPECT_EQ(KingAttackTable[8][0], 80);
  EXPECT_EQ(KingAttackTable[8 + 1][1], 65);
  EXPECT_EQ(KingAttackTable[8 - 1][3], 2);
  EXPECT_EQ(KingAttackTable[8 + 3][3], 0);
  EXPECT_EQ(KingAttackTable[8 + 4][4], -22);
  EXPECT_EQ(KingAttackTable[8 - 6][0], -50);
  EXPECT_EQ(KingAttackTable[8 + 6][3], -48);
}

TEST(KingRelationTables, BuiltFromTheSourceTablesPerSide) {
  BuildKingTables();
  // SELF gold one rank below the ENEMY king, same file: attack[+1][0].
  EXPECT_EQ(SelfAttackRel[0x54][0x53], 70);
  // ENEMY gold one rank above the SELF king: minus attack[+1][0].
  EXPECT_EQ(EnemyAttackRel[0x56][0x57], -70);
  // SELF guard on 6h next to its king on 5i: defence[-1][1].
  EXPECT_EQ(SelfDefenceRel[0x68][0x59], 38);
  // ENEMY guard on 4b next to its king on 5a: minus defence[-1][1].
  EXPECT_EQ(EnemyDefenceRel[0x42][0x51], -38);
  // Three files apart, two ranks: attack[+2][3] = 14.
  EXPECT_EQ(SelfAttackRel[0x25][0x53], 14);
  // Cells that are not squares stay 0.
  EXPECT_EQ(SelfAttackRel[0][0x59], 0);
  EXPECT_EQ(SelfDefenceRel[0x59][0x5A], 0);
}

TEST(KingRelationTables, SecondBuildChangesNothing) {
  BuildKingTables();
  std::vector<int32_t> before(&SelfAttackRel[0][0], &SelfAttackRel[0][0] + CELL_COUNT * CELL_COUNT);
  std::vector<int32_t> enemyBefore(&EnemyDefenceRel[0][0],
                                   &EnemyDefenceRel[0][0] + CELL_COUNT * CELL_COUNT);
  BuildKingTables();
  EXPECT_TRUE(std::equal(before.begin(), before.end(), &SelfAttackRel[0][0]));
  EXPECT_TRUE(std::equal(enemyBefore.begin(), enemyBefore.end(), &EnemyDefenceRel[0][0]));
}

TEST(RankTable, PinnedEntriesAndMirror) {
  EXPECT_EQ(RankTable[SFU][2], 15);
  EXPECT_EQ(RankTable[SFU][5], 3);
  EXPECT_EQ(RankTable[SFU][6], 1);
  EXPECT_EQ(RankTable[SKY][9], 9);
  EXPECT_EQ(RankTable[SHI][7], -5);
  EXPECT_EQ(RankTable[EFU][6], -15);
  EXPECT_EQ(RankTable[EKY][1], -9);
  EXPECT_EQ(RankTable[EHI][3], 5);
  EXPECT_EQ(RankTable[SKI][5], 0);
  const int pairs[3][2] = {{SFU, EFU}, {SKY, EKY}, {SHI, EHI}};
  for (const auto& pr : pairs)
    for (int r = 1; r <= 9; ++r)
      EXPECT_EQ(RankTable[pr[1]][r], -RankTable[pr[0]][10 - r])
          << "code " << pr[1] << " rank " << r;
}

TEST(PhaseWeights, PinnedEntries) {
  EXPECT_EQ(PhaseAttacker[FU], 1);
  EXPECT_EQ(PhaseAttacker[KE], 2);
  EXPECT_EQ(PhaseAttacker[OU], 4);
  EXPECT_EQ(PhaseAttacker[15], 5);
  EXPECT_EQ(PhaseDefender[GI], -1);
  EXPECT_EQ(PhaseDefender[14], -2);
  EXPECT_EQ(PhaseDefender[15], 0);
  EXPECT_EQ(PhaseHand[FU], 0);
  EXPECT_EQ(PhaseHand[GI], 2);
  EXPECT_EQ(PhaseHand[HI], 3);
}

TEST(Guards, SilversGoldsAndGoldMovers) {
  for (int code : {SGI, SKI, STO, SNY, SNK, SNG, EGI, EKI, ETO, ENY, ENK, ENG})
    EXPECT_TRUE(IsGuard(code)) << code;
  for (int code : {EMP, SFU, SKY, SKE, SKA, SHI, SOU, SUM, SRY, EFU, EKA, EOU, ERY, WALL})
    EXPECT_FALSE(IsGuard(code)) << code;
}

}  // namespace
