// Mate search: AND/OR depth-first search over checking moves, iterative
// deepening on the attacker's depth, results kept by board and hand.
#include "search/mate.h"

#include <cstring>

#include "position/copy.h"
#include "position/makemove.h"
#include "position/movegen.h"

MateEntry MateTable[MATE_SIZE];
uint64_t MateNodes = 0;

namespace {

Move MateWork[MATE_WORK_MOVES];

// n low bits of a field width bits wide, n clamped to 0..width.
uint64_t Run(int32_t n, int width) {
  if (n <= 0) return 0;
  if (n > width) n = width;
  return (uint64_t{1} << n) - 1;
}

uint32_t ProbeSlot(HashKey v, int i) {
  return (static_cast<uint32_t>(v) + static_cast<uint32_t>(i) * MATE_STRIDE) & MATE_MASK;
}

// First slot of the probe sequence holding board, or -1.
int FirstOf(HashKey board) {
  for (int i = 0; i < MATE_PROBES; ++i) {
    uint32_t s = ProbeSlot(board, i);
    if (MateTable[s].key == board) return static_cast<int>(s);
  }
  return -1;
}

void Fill(MateEntry& e, HashKey board, uint64_t mask, int result, const Move& m) {
  e.key = board;
  e.handMask = mask;
  e.result = result;
  e.move = m;
}

}  // namespace

uint64_t HandMask(const int32_t* motigoma, int side) {
  // Pawns skip bit 7 from eight on, so eighteen pawns fill bits 0-18.
  int32_t pawns = motigoma[side | FU];
  uint64_t mask = pawns >= 8 ? Run(pawns + 1, 19) : Run(pawns, 19);
  mask |= Run(motigoma[side | KY], 4) << MASK_LANCE_SHIFT;
  mask |= Run(motigoma[side | KE], 4) << MASK_KNIGHT_SHIFT;
  mask |= Run(motigoma[side | GI], 4) << MASK_SILVER_SHIFT;
  mask |= Run(motigoma[side | KI], 4) << MASK_GOLD_SHIFT;
  mask |= Run(motigoma[side | KA], 2) << MASK_BISHOP_SHIFT;
  mask |= Run(motigoma[side | HI], 2) << MASK_ROOK_SHIFT;
  return mask;
}

void MateStore(HashKey board, HashKey hand, const int32_t* motigoma, int side, int result,
               const Move& m) {
  uint64_t mask = HandMask(motigoma, side);
  for (int i = 0; i < MATE_PROBES; ++i) {
    uint32_t s = ProbeSlot(board, i);
    MateEntry& e = MateTable[s];
    if (e.key == 0) {
      Fill(e, board, mask, result, m);
      e.next = 0;
      return;
    }
    if (e.key != board) continue;
    // The chain of this board: update the entry of this hand, or link a new
    // one placed by the secondary sequence of the full position key.
    MateEntry* last = &e;
    for (;;) {
      if (last->handMask == mask) {
        Fill(*last, board, mask, result, m);
        return;
      }
      if (last->next == 0) break;
      last = &MateTable[last->next];
    }
    HashKey kyokumen = board ^ hand;
    for (int j = 0; j < MATE_PROBES; ++j) {
      uint32_t t = ProbeSlot(kyokumen, j);
      // Slot 0 cannot be linked: next == 0 means the end of a chain.
      if (t == 0 || MateTable[t].key != 0) continue;
      Fill(MateTable[t], board, mask, result, m);
      MateTable[t].next = 0;
      last->next = static_cast<int32_t>(t);
      return;
    }
    return;
  }
}

const MateEntry* MateFindExact(HashKey board, const int32_t* motigoma, int side) {
  uint64_t mask = HandMask(motigoma, side);
  for (int s = FirstOf(board); s >= 0; s = MateTable[s].next ? MateTable[s].next : -1) {
    if (MateTable[s].handMask == mask) return &MateTable[s];
  }
  return nullptr;
}

const MateEntry* MateFindDominating(HashKey board, const int32_t* motigoma, int side) {
  uint64_t mask = HandMask(motigoma, side);
  for (int s = FirstOf(board); s >= 0; s = MateTable[s].next ? MateTable[s].next : -1) {
    const MateEntry& e = MateTable[s];
    if (e.handMask == mask && e.result != MATE_PROVEN) return nullptr;
    if ((e.handMask & mask) == e.handMask && e.result == MATE_PROVEN) return &e;
  }
  return nullptr;
}

int MateSearch(const Position& p, int side, int maxDepth, Move* out) {
  const MateEntry* known = MateFindExact(p.Hash, p.Motigoma, side);
  if (known) {
    if (known->result == MATE_PROVEN) *out = known->move;
    return known->result;
  }
  int r = MATE_UNKNOWN;
  for (int d = 1; d <= maxDepth; d += 2) {
    r = MateAttack(p, side, 0, d, MateWork, out);
    if (r != MATE_UNKNOWN) break;
  }
  return r;
}

int MateAttack(const Position& p, int side, int ply, int depth, Move* work, Move* out) {
  ++MateNodes;
  // The probe below comes after the move generation: start loading its
  // slots now.
  for (int i = 0; i < MATE_PROBES; ++i) __builtin_prefetch(&MateTable[ProbeSlot(p.Hash, i)]);
  int n = CheckingMoves(p, side, work);
  if (n == 0) {
    MateStore(p.Hash, p.Hand, p.Motigoma, side, MATE_NONE, Move{});
    return MATE_NONE;
  }
  if (const MateEntry* known = MateFindDominating(p.Hash, p.Motigoma, side)) {
    *out = known->move;
    return MATE_PROVEN;
  }
  int best = MATE_NONE;
  for (int i = 0; i < n; ++i) {
    Position child;
    CopyRecord(child, p);
    MakeMove(child, side, work[i]);
    int r = MateDefend(child, Opponent(side), ply + 1, depth, work + n);
    if (r > best) best = r;
    if (best == MATE_PROVEN) {
      *out = work[i];
      break;
    }
  }
  if (best == MATE_PROVEN) {
    MateStore(p.Hash, p.Hand, p.Motigoma, side, MATE_PROVEN, *out);
  } else if (best == MATE_NONE) {
    MateStore(p.Hash, p.Hand, p.Motigoma, side, MATE_NONE, Move{});
  }
  return best;
}

int MateDefend(const Position& p, int side, int ply, int depth, Move* work) {
  ++MateNodes;
  // Past the depth only whether the defender can move at all matters.
  if (ply >= depth + 1) return HasLegalMove(p, side) ? MATE_UNKNOWN : MATE_PROVEN;
  int n = GenerateMoves(p, side, work);
  if (n == 0) return MATE_PROVEN;
  int result = MATE_PROVEN;
  for (int i = 0; i < n; ++i) {
    Position child;
    CopyRecord(child, p);
    MakeMove(child, side, work[i]);
    Move scratch{};
    int r = MateAttack(child, Opponent(side), ply + 1, depth, work + n, &scratch);
    if (r < result) result = r;
    if (result != MATE_PROVEN) break;
  }
  return result;
}

void ClearMateTable() {
  std::memset(MateTable, 0, sizeof MateTable);
}
