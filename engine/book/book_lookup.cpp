// Replaying book lines from the start position to propose continuations.
#include <cstring>

#include "book/book.h"
#include "book/book_codes.h"
#include "position/makemove.h"
#include "position/position.h"

Move DecodeBookEntry(uint8_t dest, uint8_t origin, int side, const Position& board) {
  Move m = {};
  if (origin > BOOK_OFFSET) {
    m.from = 0;
    m.piece = static_cast<uint8_t>(side + (origin - BOOK_OFFSET));
  } else {
    m.from = static_cast<uint8_t>(SquareOfBookCode(origin));
    m.piece = board.Ban(m.from);
  }
  int d = dest;
  if (d > BOOK_OFFSET) {
    m.promote = 1;
    d -= BOOK_OFFSET;
  }
  m.to = static_cast<uint8_t>(SquareOfBookCode(d));
  m.capture = board.Ban(m.to);
  return m;
}

namespace {

// The book is not validated, but a line must never make the engine touch
// memory outside a position: codes off the board, drop kinds other than
// 1..7 and the capture of a king (whose hand slot does not exist) end the
// line instead.
bool EntryIsSafe(uint8_t dest, uint8_t origin, const Position& board) {
  int d = dest > BOOK_OFFSET ? dest - BOOK_OFFSET : dest;
  if (d < 1 || d > BOOK_SQUARE_CODES) return false;
  bool drop = origin > BOOK_OFFSET;
  if (drop ? origin > BOOK_OFFSET + HI : (origin < 1 || origin > BOOK_SQUARE_CODES)) return false;
  return KindOf(board.Ban(SquareOfBookCode(d))) != OU;
}

// Replays the first n entries of record from start; false if the line ends
// (or turns unsafe) before n moves were made.
bool ReplayLine(const uint8_t* record, const Position& start, int firstSide, int n, Position& out,
                int& side) {
  out = start;
  side = firstSide;
  for (int j = 0; j < n; ++j) {
    if (j >= BOOK_RECORD_ENTRIES) return false;
    uint8_t dest = record[2 * j], origin = record[2 * j + 1];
    if (EndsLine(dest) || !EntryIsSafe(dest, origin, out)) return false;
    Move m = DecodeBookEntry(dest, origin, side, out);
    // The book knows nothing of purchases: a dropped piece is taken as
    // bought on the spot, so hand counts never go negative.
    if (IsDrop(m) && out.Motigoma[m.piece] <= 0) out.Motigoma[m.piece] = 1;
    MakeMove(out, side, m);
    side = Opponent(side);
  }
  return true;
}

bool SameBoard(const Position& a, const Position& b) {
  for (int file = 1; file <= 9; ++file)
    for (int rank = 1; rank <= 9; ++rank)
      if (a.Ban(MakeSquare(file, rank)) != b.Ban(MakeSquare(file, rank))) return false;
  return true;
}

// One node's candidates appended to the list; returns the new count.
int LookupNode(const OpeningBook* node, const Position& start, int firstSide, const Position& p,
               int n, Move* candidates, int32_t* counts) {
  int found = 0;
  Position line;
  for (int r = 0; r < node->count; ++r) {
    const uint8_t* record = node->records[r];
    int side;
    if (!ReplayLine(record, start, firstSide, n, line, side)) continue;
    if (!SameBoard(line, p)) continue;
    if (n >= BOOK_RECORD_ENTRIES) continue;
    uint8_t dest = record[2 * n], origin = record[2 * n + 1];
    if (EndsLine(dest) || !EntryIsSafe(dest, origin, line)) continue;
    Move m = DecodeBookEntry(dest, origin, side, line);
    int i = 0;
    while (i < found && !(candidates[i].from == m.from && candidates[i].to == m.to &&
                          candidates[i].piece == m.piece && candidates[i].promote == m.promote))
      ++i;
    if (i < found) {
      ++counts[i];
    } else if (found < MAX_MOVES) {
      candidates[found] = m;
      counts[found] = 1;
      ++found;
    }
  }
  return found;
}

}  // namespace

int LookupBook(const OpeningBook* node, const Position& start, int firstSide, const Position& p,
               int n, Move* candidates, int32_t* counts) {
  if (n < 0 || n >= GAME_PLY_LIMIT) return 0;
  // Replaying writes the shared histories at plies 1..n; the game's own
  // entries are put back afterwards so that repetition tests after a
  // lookup see the game and not the last replayed line.
  static HashKey savedKeys[GAME_PLY_LIMIT + 1];
  static uint32_t savedChecks[GAME_PLY_LIMIT + 1];
  std::memcpy(savedKeys, KeyHistory, (n + 1) * sizeof(HashKey));
  std::memcpy(savedChecks, CheckHistory, (n + 1) * sizeof(uint32_t));

  int found = 0;
  for (; node && found == 0; node = node->next)
    found = LookupNode(node, start, firstSide, p, n, candidates, counts);

  std::memcpy(KeyHistory, savedKeys, (n + 1) * sizeof(HashKey));
  std::memcpy(CheckHistory, savedChecks, (n + 1) * sizeof(uint32_t));
  return found;
}
