// The board after a move, read from the board before it. Move ordering
// looks at every generated move this way instead of copying the position
// and making the move.
#pragma once

#include <cstring>

#include "position/types.h"

struct AfterBoard {
  // `from` of a drop: no cell is vacated.
  static constexpr int NO_CELL = -1000;

  const Position& before;
  int from;    // the cell the move empties, NO_CELL for a drop
  int to;      // the cell it fills
  int placed;  // the code arriving on `to`
  // The board's cells after the move: a copy of the 192 bytes reads
  // faster than testing for the two changed cells at every look.
  uint8_t cells[GUARD_CELLS + CELL_COUNT];

  AfterBoard(const Position& p, const Move& m)
      : before(p),
        from(IsDrop(m) ? NO_CELL : m.from),
        to(m.to),
        placed(m.promote ? (m.piece | PROMOTED) : m.piece) {
    std::memcpy(cells, p.Cells, sizeof cells);
    if (from != NO_CELL) cells[GUARD_CELLS + from] = EMP;
    cells[GUARD_CELLS + to] = static_cast<uint8_t>(placed);
  }

  // The code on cell c after the move, for c in -16..175.
  int At(int c) const { return cells[GUARD_CELLS + c]; }

  // From square, steps by offset to the first cell that is not EMP.
  int Scan(int square, int offset) const {
    int c = square + offset;
    while (At(c) == EMP) c += offset;
    return c;
  }
};

// The code on cell c of either board, for code shared by both.
inline int CodeOn(const Position& p, int c) {
  return p.Ban(c);
}
inline int CodeOn(const AfterBoard& b, int c) {
  return b.At(c);
}
