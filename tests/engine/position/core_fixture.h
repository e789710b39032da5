// Helpers of the position-core tests: hand-built boards, move lookup and
// text forms (SFEN board, USI moves) for failure messages.
#pragma once

#include <cstring>
#include <string>

#include "position/keys.h"
#include "position/movegen.h"
#include "position/position.h"
#include "position/types.h"

namespace core_test {

// A diagram filled piece by piece, then set up at a given ply.
struct Board {
  uint8_t diagram[81] = {};
  int32_t hand[EHI + 1] = {};

  Board& Put(int sq, int code) {
    diagram[DiagramIndex(sq)] = static_cast<uint8_t>(code);
    return *this;
  }
  Board& Hand(int code, int count) {
    hand[code] = count;
    return *this;
  }
  Position Build(int ply = 0) const {
    InitHashKeys();
    Position p;
    SetUp(p, ply, diagram, hand);
    return p;
  }
};

inline Position StartPosition() {
  Board b;
  std::memcpy(b.diagram, StartDiagram, sizeof b.diagram);
  return b.Build();
}

inline std::string UsiSquare(int sq) {
  return std::string(1, static_cast<char>('0' + FileOf(sq))) +
         static_cast<char>('a' + RankOf(sq) - 1);
}

inline char PieceLetter(int code) {
  static const char letters[] = " PLNSGBRKPLNS BR";
  const char c = letters[KindOf(code)];
  return (code & ENEMY) ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string Usi(const Move& m) {
  if (IsDrop(m)) return std::string(1, PieceLetter(SELF | KindOf(m.piece))) + "*" + UsiSquare(m.to);
  return UsiSquare(m.from) + UsiSquare(m.to) + (m.promote ? "+" : "");
}

// The board and hands in SFEN notation (side and move number left out).
inline std::string Sfen(const Position& p) {
  std::string s;
  for (int rank = 1; rank <= 9; ++rank) {
    int empty = 0;
    for (int file = 9; file >= 1; --file) {
      const int code = p.Ban(MakeSquare(file, rank));
      if (code == EMP) {
        ++empty;
        continue;
      }
      if (empty) s += static_cast<char>('0' + empty);
      empty = 0;
      if (KindOf(code) > OU) s += '+';
      s += PieceLetter(code);
    }
    if (empty) s += static_cast<char>('0' + empty);
    if (rank < 9) s += '/';
  }
  std::string hands;
  for (int code = SFU; code <= EHI; ++code) {
    if (code > SHI && code < EFU) continue;
    const int n = p.Motigoma[code];
    if (n <= 0) continue;
    if (n > 1) hands += std::to_string(n);
    hands += PieceLetter(code);
  }
  return s + " " + (hands.empty() ? "-" : hands);
}

inline std::string Listing(const Move* list, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += (i ? " " : "") + Usi(list[i]);
  return s;
}

inline bool HasMove(const Move* list, int count, int from, int to, int piece) {
  for (int i = 0; i < count; ++i)
    if (list[i].from == from && list[i].to == to && list[i].piece == piece) return true;
  return false;
}

inline Move BoardMove(const Position& p, int from, int to, int promote = 0) {
  Move m{};
  m.from = static_cast<uint8_t>(from);
  m.to = static_cast<uint8_t>(to);
  m.piece = p.Ban(from);
  m.capture = p.Ban(to);
  m.promote = static_cast<uint8_t>(promote);
  return m;
}

inline Move Drop(int code, int to) {
  Move m{};
  m.to = static_cast<uint8_t>(to);
  m.piece = static_cast<uint8_t>(code);
  return m;
}

// Board and hands of p set up afresh at the same ply: every derived field
// must come out as make-move left it. Returns what differs, empty if none.
inline std::string DiffFromFreshSetUp(const Position& p) {
  Board b;
  for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq)
    if (IsSquare(sq)) b.Put(sq, p.Ban(sq));
  std::memcpy(b.hand, p.Motigoma, sizeof b.hand);
  const HashKey key = KeyHistory[p.ply];
  const uint32_t check = CheckHistory[p.ply];
  Position q;
  SetUp(q, p.ply, b.diagram, b.hand);
  KeyHistory[p.ply] = key;
  CheckHistory[p.ply] = check;
  std::string why;
  if (std::memcmp(p.Cells, q.Cells, sizeof p.Cells) != 0) why += " cells";
  if (std::memcmp(p.Attack, q.Attack, sizeof p.Attack) != 0) why += " attack-maps";
  if (p.King[0] != q.King[0] || p.King[1] != q.King[1]) why += " kings";
  if (p.material != q.material) why += " material";
  if (p.Hash != q.Hash) why += " Hash";
  if (p.Hand != q.Hand) why += " Hand";
  if (p.Kyokumen != q.Kyokumen) why += " Kyokumen";
  return why;
}

}  // namespace core_test
