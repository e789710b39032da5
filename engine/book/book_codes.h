// The book file's square codes: 1..81 rank by rank from rank 1, each rank
// from file 1 (code 9 * (rank - 1) + file). Entries add 100 to mark a
// promotion (destination byte) or a drop (origin byte, 100 + kind).
#pragma once

#include "position/types.h"

constexpr int BOOK_SQUARE_CODES = 81;
constexpr int BOOK_OFFSET = 100;  // promotion mark / drop mark

inline constexpr int SquareOfBookCode(int n) {
  return MakeSquare((n - 1) % 9 + 1, (n + 8) / 9);
}
inline constexpr int BookCodeOfSquare(int sq) {
  return 9 * (RankOf(sq) - 1) + FileOf(sq);
}

// An entry whose destination byte is 0 or 0xFF ends the line.
inline constexpr bool EndsLine(uint8_t dest) {
  return dest == 0 || dest == 0xFF;
}
