// Transposition table: probe, store with its replacement rule, hash moves,
// and the trace written when the root's own store is refused.
#include "search/tt.h"

#include <cstring>

#include "position/makemove.h"

TranspositionEntry TranspositionTable[TT_SIZE];
FILE* SearchTrace = stdout;

int ProbeTable(const Position& p, int ply, int limit, int32_t alpha, int32_t beta, int32_t* value) {
  const TranspositionEntry& t = TableSlot(p.Kyokumen);
  if (t.key != p.Kyokumen) return PROBE_MISS;
  // Only an entry from the same root (or a later one, which cannot happen
  // during a game), the same side to move, no shallower ply and enough
  // depth may decide the node.
  bool usable = p.ply <= t.gamePly && ((p.ply ^ t.gamePly) & 1) == 0 && ply >= t.ply &&
                t.depthLeft >= limit - ply;
  if (usable) {
    if (t.value >= beta && t.bound != BOUND_UPPER) {
      *value = t.value;
      return PROBE_CUT;
    }
    if (t.value <= alpha && t.bound != BOUND_LOWER) {
      *value = t.value;
      return PROBE_CUT;
    }
  }
  return PROBE_HIT;
}

bool StoreTable(const Position& p, int ply, int limit, int32_t alpha, int32_t beta, int32_t best,
                const Move& line) {
  TranspositionEntry& slot = TableSlot(p.Kyokumen);
  TranspositionEntry t = slot;
  if (t.key == p.Kyokumen) {
    t.second = t.best;
  } else {
    // A deeper result of another position from the same root keeps its slot.
    if (t.gamePly - t.ply == p.ply - ply && t.depthLeft > limit - ply) {
      if (ply == 0) {
        char text[16];
        int n = FormatTraceMove(line, text);
        std::fwrite(text, 1, n, SearchTrace);
        std::fflush(SearchTrace);
      }
      return false;
    }
    t.key = p.Kyokumen;
    t.second = Move{};
  }
  t.best = best > alpha ? line : Move{};
  if (IsEmptyMove(t.best)) t.best = Move{};
  t.value = best;
  t.bound = best <= alpha ? BOUND_UPPER : (best >= beta ? BOUND_LOWER : BOUND_EXACT);
  t.ply = static_cast<int16_t>(ply);
  t.depthLeft = static_cast<int16_t>(limit - ply);
  t.gamePly = p.ply;
  slot = t;
  return true;
}

int HashMoves(const Position& p, int side, const Move& reply, Move* buf) {
  const TranspositionEntry& t = TableSlot(p.Kyokumen);
  if (t.key != p.Kyokumen) return 0;
  if (((t.gamePly ^ p.ply) & 1) != 0) return 0;
  int n = 0;
  Move m = t.best;
  if (!IsEmptyMove(m) && IsLegal(p, side, m)) buf[n++] = m;
  m = t.second;
  if (!IsEmptyMove(m) && IsLegal(p, side, m)) buf[n++] = m;
  m = reply;
  if (!IsEmptyMove(m) && IsLegal(p, side, m)) buf[n++] = m;
  return n;
}

namespace {

// Shift-JIS names of the piece codes, two bytes each.
// clang-format off
const char* TraceName(int code) {
  switch (code) {
    case SFU: case EFU: return "\x95\xe0";                    // fu (pawn)
    case SKY: case EKY: return "\x8d\x81";                    // kyo (lance)
    case SKE: case EKE: return "\x8c\x6a";                    // kei (knight)
    case SGI: case EGI: return "\x8b\xe2";                    // gin (silver)
    case SKI: case EKI: case 29: case 45: return "\x8b\xe0";  // kin (gold)
    case SKA: case EKA: return "\x8a\x70";                    // kaku (bishop)
    case SHI: case EHI: return "\x94\xf2";                    // hisha (rook)
    case SOU: case EOU: return "\x89\xa4";                    // ou (king)
    case STO: case ETO: return "\x82\xc6";                    // to
    case SNY: case ENY: return "\x88\xc7";                    // promoted lance
    case SNK: case ENK: return "\x8c\x5c";                    // promoted knight
    case SNG: case ENG: return "\x91\x53";                    // promoted silver
    case SUM: case EUM: return "\x94\x6e";                    // horse
    case SRY: case ERY: return "\x97\xb4";                    // dragon
    default: return "  ";
  }
}
// clang-format on

const char kNari[] = "\x90\xac";       // promotes
const char kUtsu[] = "\x91\xc5";       // drop
const char kWideSpace[] = "\x81\x40";  // ideographic space

}  // namespace

int FormatTraceMove(const Move& m, char* out) {
  int n = std::snprintf(out, 16, "%02x", m.to);
  std::memcpy(out + n, TraceName(m.piece), 2);
  n += 2;
  if (m.promote) {
    std::memcpy(out + n, kNari, 2);
    n += 2;
  }
  if (m.from < 8) {
    std::memcpy(out + n, kUtsu, 2);
    std::memcpy(out + n + 2, kWideSpace, 2);
    n += 4;
  } else {
    n += std::snprintf(out + n, 16 - n, "(%02x)", m.from);
  }
  if (!m.promote) {
    std::memcpy(out + n, kWideSpace, 2);
    n += 2;
  }
  return n;
}

void ClearTranspositionTable() {
  std::memset(TranspositionTable, 0, sizeof TranspositionTable);
}
