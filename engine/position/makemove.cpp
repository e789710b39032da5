// Copy-make: applies a move in place and keeps board, hands, material, both
// attack maps, king squares, keys, ply and the histories exact. Also the two
// legality tests for moves from outside the generator, and checking moves.
#include "position/makemove.h"

#include "position/checks.h"
#include "position/copy.h"
#include "position/keys.h"
#include "position/lines.h"
#include "position/movegen.h"
#include "position/pieces.h"
#include "position/position.h"
#include "position/tables.h"

namespace {

// Walks from `start` along direction d, setting (or clearing) the slide bit
// of d in map at every cell up to and including the first occupied one.
inline void SetRay(const Position& p, uint32_t* map, int start, int d) {
  const uint32_t bit = 1u << (SLIDE_BIT + d);
  const int k = Direction[d];
  int c = start;
  do {
    c += k;
    map[c] |= bit;
  } while (p.Ban(c) == EMP);
}

inline void ClearRay(const Position& p, uint32_t* map, int start, int d) {
  const uint32_t bit = ~(1u << (SLIDE_BIT + d));
  const int k = Direction[d];
  int c = start;
  do {
    c += k;
    map[c] &= bit;
  } while (p.Ban(c) == EMP);
}

// Adds or removes every attack of `code` standing on sq.
inline void AddAttacks(const Position& p, uint32_t* map, int sq, int code) {
  for (uint32_t set = PieceSets.slide[code]; set; set &= set - 1)
    SetRay(p, map, sq, LowestBit(set));
  for (uint32_t set = PieceSets.step[code]; set; set &= set - 1) {
    const int d = LowestBit(set);
    const int c = sq + Direction[d];
    if (c >= 0) map[c] |= 1u << d;  // cell -1 (SELF knight on 0x11) has no word
  }
}

inline void RemoveAttacks(const Position& p, uint32_t* map, int sq, int code) {
  for (uint32_t set = PieceSets.slide[code]; set; set &= set - 1)
    ClearRay(p, map, sq, LowestBit(set));
  for (uint32_t set = PieceSets.step[code]; set; set &= set - 1) {
    const int d = LowestBit(set);
    const int c = sq + Direction[d];
    if (c >= 0) map[c] &= ~(1u << d);
  }
}

// Extends (open) or cuts (close) every slider ray of map that reaches cell c.
inline void OpenRaysThrough(const Position& p, uint32_t* map, int c) {
  for (uint32_t set = (map[c] >> SLIDE_BIT) & 0xFF; set; set &= set - 1)
    SetRay(p, map, c, LowestBit(set));
}

inline void CloseRaysThrough(const Position& p, uint32_t* map, int c) {
  for (uint32_t set = (map[c] >> SLIDE_BIT) & 0xFF; set; set &= set - 1)
    ClearRay(p, map, c, LowestBit(set));
}

// Hand keys exist for counts 1..HAND_MAX; counts beyond toggle nothing.
inline void ToggleHandKey(Position& p, int code, int count) {
  if (count >= 1 && count <= HAND_MAX) p.Hand ^= HandKey[code][count];
}

bool FileHasPiece(const Position& p, int file, int code) {
  for (int rank = 1; rank <= 9; ++rank)
    if (p.Ban(MakeSquare(file, rank)) == code) return true;
  return false;
}

}  // namespace

void MakeMove(Position& p, int side, const Move& m) {
  uint32_t* own = p.Map(side);
  uint32_t* other = p.Map(Opponent(side));
  const int piece = m.piece;
  const int to = m.to;
  p.material += MaterialChange(p, side, m);

  if (IsDrop(m)) {
    ToggleHandKey(p, piece, p.Motigoma[piece]);
    --p.Motigoma[piece];
  } else {
    const int from = m.from;
    RemoveAttacks(p, own, from, piece);
    p.Ban(from) = EMP;
    p.Hash ^= BoardKey[piece][from] ^ BoardKey[EMP][from];
    // Rays stopped at from now run on; `to` is unchanged, so a ray may pass
    // through an empty `to` here and be cut there below.
    OpenRaysThrough(p, own, from);
    OpenRaysThrough(p, other, from);
  }

  const int captured = p.Ban(to);
  if (captured != EMP) {
    const int h = side | (captured & KIND_MASK);
    ToggleHandKey(p, h, ++p.Motigoma[h]);
    RemoveAttacks(p, other, to, captured);
  } else {
    CloseRaysThrough(p, own, to);
    CloseRaysThrough(p, other, to);
  }
  p.Hash ^= BoardKey[captured][to];

  const int placed = m.promote ? (piece | PROMOTED) : piece;
  p.Ban(to) = static_cast<uint8_t>(placed);
  p.Hash ^= BoardKey[placed][to];
  AddAttacks(p, own, to, placed);

  if (piece == SOU || piece == EOU) p.King[SideIndex(side)] = to;

  p.Kyokumen = p.Hash ^ p.Hand;
  ++p.ply;
  KeyHistory[p.ply] = p.Kyokumen;
  CheckHistory[p.ply] = CheckWord(p, side);
}

int MoveFits(const Position& p, Move& m) {
  const int to = m.to;
  if (to >= CELL_COUNT) return 0;  // not a cell at all
  if (IsDrop(m)) {
    if (p.Ban(to) != EMP) return 0;
    if (m.piece == SFU || m.piece == EFU) {
      const int side = m.piece & (SELF | ENEMY);
      if (FileHasPiece(p, FileOf(to), m.piece)) return 0;
      // Only a drop right in front of the other king can be a mate.
      const int king = p.King[SideIndex(Opponent(side))];
      if (king && to == king + (side == SELF ? 1 : -1) && PawnDropMates(p, side, to, nullptr))
        return 0;
    }
    return 1;
  }

  const int from = m.from;
  if (from >= CELL_COUNT) return 0;
  const int code = p.Ban(from);
  if (code == SOU) {
    if (p.Map(ENEMY)[to]) return 0;
  } else if (code == EOU) {
    if (p.Map(SELF)[to]) return 0;
  } else if (code != SKE && code != EKE) {
    const int n = Distance(from, to);
    if (n == 0) return 0;
    const int step = (to - from) / n;
    for (int c = from + step; c != to && n > 1; c += step)
      if (p.Ban(c) != EMP) return 0;
  }
  m.capture = p.Ban(to);
  return 1;
}

int IsLegal(const Position& p, int side, Move& m) {
  // The piece must belong to side alone (a wall code carries both side bits).
  if ((m.piece & (SELF | ENEMY)) != side) return 0;
  if (m.to >= CELL_COUNT || m.from >= CELL_COUNT) return 0;
  if (m.from > 7) {
    if (p.Ban(m.from) != m.piece) return 0;
  } else {
    if (m.piece > EHI || p.Motigoma[m.piece] <= 0) return 0;
  }
  if (p.Ban(m.to) & side) return 0;
  if (!MoveFits(p, m)) return 0;
  Position copy;
  CopyRecord(copy, p);
  MakeMove(copy, side, m);
  return CheckWord(copy, Opponent(side)) ? 0 : 1;
}

namespace {

// The code on cell c after a board move from `from` to `to` placing `placed`
// (from = 0 for a drop).
inline int CellAfter(const Position& p, int c, int from, int to, int placed) {
  if (c == to) return placed;
  if (c == from) return EMP;
  return p.Ban(c);
}

// True when every cell strictly between a and b (b = a + n * k) is empty
// after the move.
inline bool ClearBetween(const Position& p, int a, int b, int k, int from, int to, int placed) {
  for (int c = a + k; c != b; c += k)
    if (CellAfter(p, c, from, to, placed) != EMP) return false;
  return true;
}

// Whether side's move m attacks the square king afterwards, read from the
// board instead of by making the move. Valid when side did not attack king
// before the move and m does not capture on king: then the only new
// attackers are the moved piece and a slider of side unmasked at `from`.
bool AttacksAfter(const Position& p, int side, const Move& m, int king) {
  const int to = m.to;
  const int from = IsDrop(m) ? 0 : m.from;
  const int placed = m.promote ? (m.piece | PROMOTED) : m.piece;
  if (PieceSets.step[placed] & StepDirection(to, king)) return true;
  const int d = LineDirection(to, king);
  if (d >= 0 && (PieceSets.slide[placed] >> d & 1) &&
      ClearBetween(p, to, king, Direction[d], from, to, placed))
    return true;
  if (from == 0) return false;
  // A slider of side whose ray stopped at from now runs on toward the king,
  // unless the piece landed between that slider and from.
  const int e = LineDirection(from, king);
  if (e < 0 || !(p.Map(side)[from] >> (SLIDE_BIT + e) & 1)) return false;
  const int k = Direction[e];
  if (!ClearBetween(p, from, king, k, from, to, placed)) return false;
  for (int c = from - k; p.Ban(c) == EMP; c -= k)
    if (c == to) return false;
  return true;
}

}  // namespace

int CheckingMoves(const Position& p, int side, Move* list, const int32_t* pins) {
  const int king = p.King[SideIndex(Opponent(side))];
  const int ownKing = p.King[SideIndex(side)];
  const bool inCheck = ownKing && p.Map(Opponent(side))[ownKing];
  // When side already attacks the king, or a move takes on the king's
  // square, the move is made on a copy and the map read, as the test is
  // defined; otherwise the board answers without a copy, and only drops
  // that can attack the king are generated at all.
  const bool attacked = king && p.Map(side)[king] != 0;
  int count = -1;
  if (king && !inCheck && !attacked) {
    count = GenerateCheckCandidates(p, side, king, list, pins);
    if (count < 0) count = GenerateMovesTowards(p, side, king, list, pins);
  }
  // The drops of those lists stand where the dropped piece attacks the king.
  const bool dropsCheck = count >= 0;
  if (count < 0) count = GenerateMoves(p, side, list, pins);
  if (king == 0) return 0;  // no king, no check word
  Position scratch;
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    bool check;
    if (dropsCheck && IsDrop(list[i])) {
      check = true;
    } else if (attacked || list[i].to == king) {
      CopyRecord(scratch, p);
      MakeMove(scratch, side, list[i]);
      check = CheckWord(scratch, side) != 0;
    } else {
      check = AttacksAfter(p, side, list[i], king);
    }
    if (check) list[kept++] = list[i];
  }
  return kept;
}
