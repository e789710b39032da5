// Set-up of a Position from a diagram and hands, the start diagram, the
// attack-map rebuild, scans and the game-wide histories.
#include "position/position.h"

#include <cstdlib>
#include <cstring>

#include "position/checks.h"
#include "position/keys.h"
#include "position/pieces.h"
#include "position/tables.h"

HashKey KeyHistory[HISTORY_SIZE];
uint32_t CheckHistory[HISTORY_SIZE];

// Ranks 1..9, each row from file 9 to file 1.
// clang-format off
const uint8_t StartDiagram[81] = {
    EKY, EKE, EGI, EKI, EOU, EKI, EGI, EKE, EKY,
    EFU, EFU, EFU, EFU, EFU, EFU, EFU, EFU, EFU,
    EMP, EMP, EMP, EMP, EMP, EMP, EMP, EMP, EMP,
    EMP, EMP, EMP, EMP, EMP, EMP, EMP, EMP, EMP,
    EMP, EMP, EMP, EMP, EMP, EMP, EMP, EMP, EMP,
    EMP, EMP, EMP, EMP, EMP, EMP, EMP, EMP, EMP,
    EMP, EMP, EMP, EMP, EMP, EMP, EMP, EMP, EMP,
    SFU, SFU, SFU, SFU, SFU, SFU, SFU, SFU, SFU,
    SKY, SKE, SGI, SKI, SOU, SKI, SGI, SKE, SKY,
};
// clang-format on

void SetUpStartPosition(Position& p) {
  static const int32_t noHand[EHI + 1] = {};
  SetUp(p, 0, StartDiagram, noHand);
}

namespace {
// Marks the attacks of the piece on sq in its side's map.
void AddPieceAttacks(Position& p, int sq) {
  const int code = p.Ban(sq);
  uint32_t* map = p.Map(code & (SELF | ENEMY));
  for (uint32_t set = PieceSets.slide[code]; set; set &= set - 1) {
    const int d = LowestBit(set);
    const int k = Direction[d];
    int c = sq;
    do {
      c += k;
      map[c] |= 1u << (SLIDE_BIT + d);
    } while (p.Ban(c) == EMP);
  }
  for (uint32_t set = PieceSets.step[code]; set; set &= set - 1) {
    const int d = LowestBit(set);
    const int c = sq + Direction[d];
    // A SELF knight on 0x11 attacks cell -1, which has no map word.
    if (c >= 0) map[c] |= 1u << d;
  }
}
}  // namespace

void RebuildAttackMaps(Position& p) {
  std::memset(p.Attack, 0, sizeof p.Attack);
  for (int file = 1; file <= 9; ++file)
    for (int rank = 1; rank <= 9; ++rank) {
      const int sq = MakeSquare(file, rank);
      if (p.Ban(sq) != EMP) AddPieceAttacks(p, sq);
    }
}

void SetUp(Position& p, int ply, const uint8_t diagram[81], const int32_t hand[EHI + 1]) {
  std::memset(p.Cells, WALL, sizeof p.Cells);
  p.material = 0;
  p.ply = ply;
  p.King[0] = p.King[1] = 0;
  p.Hash = p.Hand = p.Kyokumen = 0;

  for (int rank = 1; rank <= 9; ++rank)
    for (int file = 1; file <= 9; ++file) {
      const int sq = MakeSquare(file, rank);
      const int code = diagram[DiagramIndex(sq)];
      p.Ban(sq) = static_cast<uint8_t>(code);
      p.Hash ^= BoardKey[code][sq];
      if (code == SOU) p.King[0] = sq;
      if (code == EOU) p.King[1] = sq;
      p.material += BoardValue[code];
    }

  for (int code = 0; code <= EHI; ++code) {
    const int count = hand[code];
    p.Motigoma[code] = count;
    p.material += HandValue[code] * count;
    // Keys exist for counts up to HAND_MAX; pieces beyond toggle none.
    for (int n = 1; n <= count && n <= HAND_MAX; ++n) p.Hand ^= HandKey[code][n];
  }

  p.Kyokumen = p.Hash ^ p.Hand;

  for (int i = 0; i < ply; ++i) {
    KeyHistory[i] = 0;
    CheckHistory[i] = 0;
  }
  KeyHistory[ply] = p.Kyokumen;

  RebuildAttackMaps(p);

  // The side that made the last move is ENEMY at odd plies, SELF at even.
  const int mover = (ply & 1) ? ENEMY : SELF;
  CheckHistory[ply] = CheckWord(p, mover);
}

int Scan(const Position& p, int square, int offset) {
  int c = square + offset;
  while (p.Ban(c) == EMP) c += offset;
  return c;
}

int Distance(int a, int b) {
  const int df = std::abs(FileOf(a) - FileOf(b));
  const int dr = std::abs(RankOf(a) - RankOf(b));
  return df > dr ? df : dr;
}
