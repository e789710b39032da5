// The engine's vocabulary: sides, squares, piece codes, directions, the
// Move and Position records and the fixed limits every subsystem shares.
#pragma once

#include <cstddef>
#include <cstdint>

// --- Sides ------------------------------------------------------------------
// A side is one bit of a piece code; WALL carries both, so (cell & side)
// rejects own pieces and walls with one test.
constexpr int SELF = 16;   // first player (the human), moves toward rank 1
constexpr int ENEMY = 32;  // second player (the engine), moves toward rank 9

inline constexpr int Opponent(int side) {
  return side ^ 48;
}
// Index 0 for SELF, 1 for ENEMY (attack maps, king squares).
inline constexpr int SideIndex(int side) {
  return side >> 5;
}

// --- Piece codes ------------------------------------------------------------
// code = side | kind; kinds 1..8 pawn..king, promotion adds 8.
// clang-format off
enum PieceCode : int {
  EMP = 0,
  SFU = 17, SKY, SKE, SGI, SKI, SKA, SHI, SOU, STO, SNY, SNK, SNG,
  SUM = 30, SRY = 31,
  EFU = 33, EKY, EKE, EGI, EKI, EKA, EHI, EOU, ETO, ENY, ENK, ENG,
  EUM = 46, ERY = 47,
  WALL = 48
};
// clang-format on

// Piece kinds as used for drops, purchases and hands.
enum PieceKind : int { FU = 1, KY, KE, GI, KI, KA, HI, OU };

constexpr int PROMOTED = 8;      // promotion bit of a code
constexpr int KIND_MASK = 0xC7;  // code & KIND_MASK: the kind as it enters a hand

inline constexpr int KindOf(int code) {
  return code & 15;
}

// --- Squares ----------------------------------------------------------------
// square = 16 * file + rank, files and ranks 1..9: squares 0x11..0x99.
constexpr int CELL_COUNT = 176;  // cells 0..175 of the board and attack maps
constexpr int GUARD_CELLS = 16;  // wall cells in front of cell 0
constexpr int SQ_MIN = 0x11;
constexpr int SQ_MAX = 0x99;

inline constexpr int MakeSquare(int file, int rank) {
  return 16 * file + rank;
}
inline constexpr int FileOf(int sq) {
  return sq >> 4;
}
inline constexpr int RankOf(int sq) {
  return sq & 15;
}
inline constexpr bool IsSquare(int c) {
  return c >= SQ_MIN && c <= SQ_MAX && FileOf(c) >= 1 && RankOf(c) >= 1 && RankOf(c) <= 9;
}

// --- Directions -------------------------------------------------------------
// Index d is also the bit number in the attack maps (step bit d, slide bit
// 16 + d). For d in 0..7 the opposite direction is 7 - d; 8, 9 are the SELF
// knight jumps and 10, 11 the ENEMY ones.
constexpr int DIRECTIONS = 12;
constexpr int KING_DIRECTIONS = 8;
constexpr int SLIDE_BIT = 16;
extern const int Direction[DIRECTIONS];  // +17 +1 -15 +16 -16 +15 -1 -17 +14 -18 +18 -14

// --- Limits -----------------------------------------------------------------
constexpr int MAX_MOVES = 600;  // room of every move list
constexpr int MAX_PLY = 32;     // search plies
constexpr int HAND_MAX = 18;    // hand keys exist for counts 0..18
// The game ends before ply 1000; the histories also hold the plies the
// deepest search can reach from there.
constexpr int GAME_PLY_LIMIT = 1000;
constexpr int HISTORY_SIZE = GAME_PLY_LIMIT + 2 * MAX_PLY + 8;

// --- Move -------------------------------------------------------------------
// 8 bytes, copied as a unit. from <= 16 (0 in practice) is a drop.
struct Move {
  uint8_t from;
  uint8_t to;
  uint8_t piece;    // code before the move (unpromoted when promoting); dropped code for a drop
  uint8_t capture;  // code on the destination before the move, EMP if none
  uint8_t promote;  // 1 if the piece promotes on arrival
  uint8_t spare;    // always 0
  int16_t score;    // ordering score, 0 from the generators
};
static_assert(sizeof(Move) == 8, "Move is 8 bytes");

inline bool IsEmptyMove(const Move& m) {
  return m.from == 0 && m.to == 0;
}
inline bool IsDrop(const Move& m) {
  return m.from <= 16;
}

// --- Keys -------------------------------------------------------------------
// A 64-bit key; in memory the low 32-bit half comes first (little-endian).
typedef uint64_t HashKey;

// --- Position ---------------------------------------------------------------
// Flat and fixed-size so that copying it is the search's undo.
struct Position {
  uint8_t Cells[GUARD_CELLS + CELL_COUNT];  // guard cells -16..-1, then Ban 0..175
  uint32_t Attack[2][CELL_COUNT];           // attack maps, [SideIndex(side)][cell]
  int32_t ply;                              // moves made since the set-up ply
  int32_t King[2];                          // king squares [SELF, ENEMY], 0 if none
  int32_t material;                         // positive favours SELF
  int32_t Motigoma[EHI + 1];                // pieces in hand by piece code
  HashKey Hash;                             // board key
  HashKey Hand;                             // hand key
  HashKey Kyokumen;                         // Hash ^ Hand

  // Ban(c) is the code on cell c, for c in -16..175.
  uint8_t& Ban(int c) { return Cells[GUARD_CELLS + c]; }
  uint8_t Ban(int c) const { return Cells[GUARD_CELLS + c]; }
  uint32_t* Map(int side) { return Attack[SideIndex(side)]; }
  const uint32_t* Map(int side) const { return Attack[SideIndex(side)]; }
};
static_assert(offsetof(Position, Attack) == 192, "board then attack maps");
static_assert(offsetof(Position, ply) == 192 + 2 * 176 * 4, "scalars after the maps");
static_assert(offsetof(Position, Motigoma) == 1616, "hand after the scalars");
static_assert(offsetof(Position, Hash) == 1776, "keys last");
static_assert(sizeof(Position) == 1800, "Position layout");

// A caller-owned move list: MAX_MOVES entries, filled from index 0.
typedef Move MoveList[MAX_MOVES];
