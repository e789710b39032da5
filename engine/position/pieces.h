// The moves of every piece code as sets of direction indexes, usable in
// constant expressions. CanStep/CanSlide are built from these, and the hot
// loops of attack maps and make-move iterate the sets directly.
#pragma once

#include "position/types.h"

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

// Lowest set bit of a nonzero word.
inline int LowestBit(uint32_t w) { return __builtin_ctz(w); }
