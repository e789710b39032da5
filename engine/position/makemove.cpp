// Copy-make: applies a move in place and keeps board, hands, material, both
// attack maps, king squares, keys, ply and the histories exact. Also the two
// legality tests for moves from outside the generator, and checking moves.
#include "position/makemove.h"

#include "position/checks.h"
#include "position/keys.h"
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
  for (uint32_t set = PieceSets.slide[code]; set; set &= set - 1) SetRay(p, map, sq, LowestBit(set));
  for (uint32_t set = PieceSets.step[code]; set; set &= set - 1) {
    const int d = LowestBit(set);
    const int c = sq + Direction[d];
    if (c >= 0) map[c] |= 1u << d;  // cell -1 (SELF knight on 0x11) has no word
  }
}

inline void RemoveAttacks(const Position& p, uint32_t* map, int sq, int code) {
  for (uint32_t set = PieceSets.slide[code]; set; set &= set - 1) ClearRay(p, map, sq, LowestBit(set));
  for (uint32_t set = PieceSets.step[code]; set; set &= set - 1) {
    const int d = LowestBit(set);
    const int c = sq + Direction[d];
    if (c >= 0) map[c] &= ~(1u << d);
  }
}

// Extends (open) or cuts (close) every slider ray of map that reaches cell c.
inline void OpenRaysThrough(const Position& p, uint32_t* map, int c) {
  for (uint32_t set = (map[c] >> SLIDE_BIT) & 0xFF; set; set &= set - 1) SetRay(p, map, c, LowestBit(set));
}

inline void CloseRaysThrough(const Position& p, uint32_t* map, int c) {
  for (uint32_t set = (map[c] >> SLIDE_BIT) & 0xFF; set; set &= set - 1) ClearRay(p, map, c, LowestBit(set));
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

  if (IsDrop(m)) {
    ToggleHandKey(p, piece, p.Motigoma[piece]);
    --p.Motigoma[piece];
    p.material += BoardValue[piece] - HandValue[piece];
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
    p.material += HandValue[h] - BoardValue[captured];
    ToggleHandKey(p, h, ++p.Motigoma[h]);
    RemoveAttacks(p, other, to, captured);
  } else {
    CloseRaysThrough(p, own, to);
    CloseRaysThrough(p, other, to);
  }
  p.Hash ^= BoardKey[captured][to];

  int placed = piece;
  if (m.promote) {
    placed = piece | PROMOTED;
    p.material += BoardValue[placed] - BoardValue[piece];
  }
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
    const int king = p.King[SideIndex(ENEMY)];
    const int selfKing = p.King[SideIndex(SELF)];
    if (m.piece == SFU) {
      if (FileHasPiece(p, FileOf(to), SFU)) return 0;
      if (king && to == king + 1) {
        PinTable pins;
        ComputePins(p, pins);
        Position scratch = p;
        if (PawnDropMates(scratch, SELF, to, pins)) return 0;
      }
    } else if (m.piece == EFU) {
      if (FileHasPiece(p, FileOf(to), EFU)) return 0;
      if (selfKing && to == selfKing - 1) {
        PinTable pins;
        ComputePins(p, pins);
        Position scratch = p;
        if (PawnDropMates(scratch, ENEMY, to, pins)) return 0;
      }
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
  Position copy = p;
  MakeMove(copy, side, m);
  return CheckWord(copy, Opponent(side)) ? 0 : 1;
}

int CheckingMoves(const Position& p, int side, Move* list, const int32_t* pins) {
  const int count = GenerateMoves(p, side, list, pins);
  Position scratch;
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    scratch = p;
    MakeMove(scratch, side, list[i]);
    if (CheckWord(scratch, side)) list[kept++] = list[i];
  }
  return kept;
}
