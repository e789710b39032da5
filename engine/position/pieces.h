// The moves of every piece code as sets of direction indexes, usable in
// constant expressions. CanStep/CanSlide are built from these at compile
// time, and the hot loops of attack maps and make-move iterate the sets
// directly.
#pragma once

#include "position/types.h"

// Tables of cases, one piece code a line.
// clang-format off
constexpr uint16_t DirBits(int a) { return static_cast<uint16_t>(1u << a); }

// Bit d set when the code steps one square in direction d.
constexpr uint16_t StepSet(int code) {
  switch (code) {
    case SFU: return DirBits(6);
    case SKE: return DirBits(8) | DirBits(9);
    case SGI: return DirBits(0) | DirBits(2) | DirBits(5) | DirBits(6) | DirBits(7);
    case SKI: case STO: case SNY: case SNK: case SNG: case SNG + 1:
      return DirBits(1) | DirBits(3) | DirBits(4) | DirBits(5) | DirBits(6) | DirBits(7);
    case EFU: return DirBits(1);
    case EKE: return DirBits(10) | DirBits(11);
    case EGI: return DirBits(0) | DirBits(1) | DirBits(2) | DirBits(5) | DirBits(7);
    case EKI: case ETO: case ENY: case ENK: case ENG: case ENG + 1:
      return DirBits(0) | DirBits(1) | DirBits(2) | DirBits(3) | DirBits(4) | DirBits(6);
    case SOU: case EOU: return 0xFF;
    case SUM: case EUM: return DirBits(1) | DirBits(3) | DirBits(4) | DirBits(6);
    case SRY: case ERY: return DirBits(0) | DirBits(2) | DirBits(5) | DirBits(7);
    default: return 0;
  }
}

// Bit d set when the code slides any distance along direction d.
constexpr uint16_t SlideSet(int code) {
  switch (code) {
    case SKY: return DirBits(6);
    case EKY: return DirBits(1);
    case SKA: case EKA: case SUM: case EUM:
      return DirBits(0) | DirBits(2) | DirBits(5) | DirBits(7);
    case SHI: case EHI: case SRY: case ERY:
      return DirBits(1) | DirBits(3) | DirBits(4) | DirBits(6);
    default: return 0;
  }
}

// The same sets as run-time tables indexed by code 0..63.
struct PieceSetTable {
  uint16_t step[64];
  uint16_t slide[64];
};

constexpr PieceSetTable MakePieceSets() {
  PieceSetTable t{};
  for (int c = 0; c < 64; ++c) {
    t.step[c] = StepSet(c);
    t.slide[c] = SlideSet(c);
  }
  return t;
}

inline constexpr PieceSetTable PieceSets = MakePieceSets();

// The same sets unpacked by direction, for code that asks about one
// direction at a time.
struct DirectionFlags {
  bool at[DIRECTIONS][64];
};

constexpr DirectionFlags UnpackByDirection(uint16_t (*set)(int)) {
  DirectionFlags t{};
  for (int d = 0; d < DIRECTIONS; ++d)
    for (int c = 0; c < 64; ++c) t.at[d][c] = ((set(c) >> d) & 1) != 0;
  return t;
}

inline constexpr DirectionFlags StepFlags = UnpackByDirection(StepSet);
inline constexpr DirectionFlags SlideFlags = UnpackByDirection(SlideSet);

// CanStep[d][code] / CanSlide[d][code]: the shogi moves in direction indexes.
inline constexpr const bool (&CanStep)[DIRECTIONS][64] = StepFlags.at;
inline constexpr const bool (&CanSlide)[DIRECTIONS][64] = SlideFlags.at;

// Kinds that may promote: pawn, lance, knight, silver, bishop and rook.
inline constexpr bool CanPromoteKind(int kind) {
  return kind >= FU && kind <= HI && kind != KI;
}

// The side's promotion zone: ranks 1..3 for SELF, 7..9 for ENEMY.
inline constexpr bool InPromotionZone(int side, int sq) {
  return side == SELF ? RankOf(sq) <= 3 : RankOf(sq) >= 7;
}

// Whether side's board move m may carry the promotion flag: its piece can
// promote and the move starts or ends in the zone. The generator never
// promotes; this is the rule for moves read from people and books.
inline bool MayPromote(int side, const Move& m) {
  return !IsDrop(m) && CanPromoteKind(KindOf(m.piece)) &&
         (InPromotionZone(side, m.from) || InPromotionZone(side, m.to));
}

// Lowest set bit of a nonzero word.
inline int LowestBit(uint32_t w) { return __builtin_ctz(w); }
// clang-format on
