// The board-order walk over one side's pieces, shared by generation,
// counting and the exchange threats.
#pragma once

#include <cstdint>
#include <cstring>

#include "position/types.h"

// Calls visit(sq) for every piece of side in board order, files 1..9
// outer, ranks inner, while visit returns true. A file's ranks 1..8 are
// read as one word; a byte of it holds a piece of side exactly when it has
// the side's bit (no wall lies on a square). ban is the cell of square 0.
template <class Visit>
inline void ForEachPiece(const uint8_t* ban, int side, Visit visit) {
  const uint64_t sideBytes = 0x0101010101010101ull * static_cast<uint64_t>(side);
  for (int file = 1; file <= 9; ++file) {
    const int first = MakeSquare(file, 1);
    uint64_t ranks;
    std::memcpy(&ranks, ban + first, sizeof ranks);
    for (uint64_t own = ranks & sideBytes; own; own &= own - 1)
      if (!visit(first + __builtin_ctzll(own) / 8)) return;
    if ((ban[first + 8] & side) && !visit(first + 8)) return;
  }
}
