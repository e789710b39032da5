// A plain brute-force model of the game's move rules, written apart from the
// engine so that the generator and make-move can be checked against it.
// It reads only the 81 squares and the hands of a Position, knows the pieces
// by file and rank steps, and judges king safety by scanning the board.
#pragma once

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "position/types.h"

namespace brute {

struct Step {
  int df, dr;  // file and rank change for the first player
};

// Moves of every piece code as (file, rank) steps and slides. The second
// player's moves are the first player's with the rank change reversed.
struct PieceMoves {
  std::vector<Step> steps;
  std::vector<Step> slides;
};

inline const PieceMoves& MovesOf(int code) {
  static const std::vector<PieceMoves> table = [] {
    const std::vector<Step> diag = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    const std::vector<Step> orth = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
    const std::vector<Step> gold = {{0, -1}, {-1, -1}, {1, -1}, {0, 1}, {-1, 0}, {1, 0}};
    std::vector<PieceMoves> self(16);
    self[FU].steps = {{0, -1}};
    self[KY].slides = {{0, -1}};
    self[KE].steps = {{1, -2}, {-1, -2}};
    self[GI].steps = {{0, -1}, {-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    self[KI].steps = gold;
    self[KA].slides = diag;
    self[HI].slides = orth;
    self[OU].steps = diag;
    self[OU].steps.insert(self[OU].steps.end(), orth.begin(), orth.end());
    for (int k : {FU, KY, KE, GI}) self[k | PROMOTED].steps = gold;
    self[KA | PROMOTED].steps = orth;
    self[KA | PROMOTED].slides = diag;
    self[HI | PROMOTED].steps = diag;
    self[HI | PROMOTED].slides = orth;
    std::vector<PieceMoves> all(64);
    for (int k = 0; k < 16; ++k) {
      all[SELF | k] = self[k];
      for (const Step& s : self[k].steps) all[ENEMY | k].steps.push_back({s.df, -s.dr});
      for (const Step& s : self[k].slides) all[ENEMY | k].slides.push_back({s.df, -s.dr});
    }
    return all;
  }();
  return table[code & 63];
}

// The board as [file][rank] with files and ranks 1..9, and the hands.
struct Board {
  uint8_t at[10][10];
  int hand[EHI + 1];

  bool On(int f, int r) const { return f >= 1 && f <= 9 && r >= 1 && r <= 9; }
  int Get(int f, int r) const { return On(f, r) ? int(at[f][r]) : int(WALL); }
};

inline Board FromPosition(const Position& p) {
  Board b;
  std::memset(b.at, 0, sizeof b.at);
  for (int f = 1; f <= 9; ++f)
    for (int r = 1; r <= 9; ++r) b.at[f][r] = p.Ban(MakeSquare(f, r));
  for (int c = 0; c <= EHI; ++c) b.hand[c] = p.Motigoma[c];
  return b;
}

// Number of pieces of side that attack (f, r), found by looking outward from
// the square along the eight lines and at the two knight squares.
inline int AttackCount(const Board& b, int f, int r, int side) {
  int count = 0;
  for (int df = -1; df <= 1; ++df) {
    for (int dr = -1; dr <= 1; ++dr) {
      if (df == 0 && dr == 0) continue;
      for (int k = 1;; ++k) {
        int pf = f + k * df, pr = r + k * dr;
        int code = b.Get(pf, pr);
        if (code == EMP) continue;
        if (code != WALL && (code & side)) {
          const PieceMoves& m = MovesOf(code);
          // The piece moves from (pf, pr) toward the square: (-df, -dr).
          bool hits = false;
          if (k == 1)
            for (const Step& s : m.steps) hits = hits || (s.df == -df && s.dr == -dr);
          for (const Step& s : m.slides) hits = hits || (s.df == -df && s.dr == -dr);
          count += hits;
        }
        break;
      }
    }
  }
  int back = side == SELF ? 2 : -2;  // a knight stands two ranks behind its target
  for (int df : {-1, 1}) {
    int code = b.Get(f + df, r + back);
    if (code == (side | KE)) ++count;
  }
  return count;
}

inline bool FindKing(const Board& b, int side, int& f, int& r) {
  for (f = 1; f <= 9; ++f)
    for (r = 1; r <= 9; ++r)
      if (b.at[f][r] == (side | OU)) return true;
  return false;
}

inline bool KingAttacked(const Board& b, int side) {
  int f, r;
  return FindKing(b, side, f, r) && AttackCount(b, f, r, Opponent(side)) > 0;
}

inline int CheckerCount(const Board& b, int side) {
  int f, r;
  return FindKing(b, side, f, r) ? AttackCount(b, f, r, Opponent(side)) : 0;
}

// A move as the generator writes it: from (0 for a drop), to, piece, capture.
typedef std::tuple<int, int, int, int> MoveKey;

inline MoveKey KeyOf(const Move& m) {
  return MoveKey(m.from, m.to, m.piece, m.capture);
}

// Applies a non-promoting move to the brute board.
inline void Apply(Board& b, int side, const MoveKey& m) {
  int from = std::get<0>(m), to = std::get<1>(m), piece = std::get<2>(m);
  int tf = FileOf(to), tr = RankOf(to);
  int captured = b.at[tf][tr];
  if (from == 0) {
    --b.hand[piece];
  } else {
    b.at[FileOf(from)][RankOf(from)] = EMP;
  }
  if (captured != EMP) ++b.hand[side | (captured & 7)];
  b.at[tf][tr] = uint8_t(piece);
}

// Every move that follows the piece tables, onto an empty or enemy square,
// with no promotion and without regard to the own king.
inline void GeometricBoardMoves(const Board& b, int side, std::vector<MoveKey>& out) {
  for (int f = 1; f <= 9; ++f) {
    for (int r = 1; r <= 9; ++r) {
      int code = b.at[f][r];
      if (code == EMP || !(code & side)) continue;
      const PieceMoves& m = MovesOf(code);
      for (const Step& s : m.steps) {
        int t = b.Get(f + s.df, r + s.dr);
        if (t == WALL || (t & side)) continue;
        out.emplace_back(MakeSquare(f, r), MakeSquare(f + s.df, r + s.dr), code, t);
      }
      for (const Step& s : m.slides) {
        for (int k = 1;; ++k) {
          int t = b.Get(f + k * s.df, r + k * s.dr);
          if (t == WALL || (t & side)) break;
          out.emplace_back(MakeSquare(f, r), MakeSquare(f + k * s.df, r + k * s.dr), code, t);
          if (t != EMP) break;
        }
      }
    }
  }
}

// The rank counted from the side's own far end: 1 is the last rank ahead.
inline int RankAhead(int side, int r) {
  return side == SELF ? r : 10 - r;
}

inline bool HasUnpromotedPawnOnFile(const Board& b, int side, int f) {
  for (int r = 1; r <= 9; ++r)
    if (b.at[f][r] == (side | FU)) return true;
  return false;
}

// The pawn-drop-mate test as the game states it: the drop gives check, its
// square is defended, the king is the only piece that may take the pawn
// (a pinned piece may take only along its pin line, judged here by trying
// the capture), and each of the king's eight neighbours is an own piece,
// off the board or attacked by the dropping side with the pawn in place.
inline bool RulePawnDropMates(const Board& before, int side, int f, int r) {
  int opp = Opponent(side);
  int kf, kr;
  if (!FindKing(before, opp, kf, kr)) return false;
  int forward = side == SELF ? -1 : 1;
  if (!(kf == f && kr == r + forward)) return false;
  Board b = before;
  b.at[f][r] = uint8_t(side | FU);
  if (AttackCount(b, f, r, side) == 0) return false;
  std::vector<MoveKey> replies;
  GeometricBoardMoves(b, opp, replies);
  for (const MoveKey& m : replies) {
    if (std::get<1>(m) != MakeSquare(f, r) || std::get<2>(m) == (opp | OU)) continue;
    Board after = b;
    Apply(after, opp, m);
    if (!KingAttacked(after, opp)) return false;
  }
  for (int df = -1; df <= 1; ++df) {
    for (int dr = -1; dr <= 1; ++dr) {
      if (df == 0 && dr == 0) continue;
      int code = b.Get(kf + df, kr + dr);
      if (code == WALL || (code & opp)) continue;
      if (AttackCount(b, kf + df, kr + dr, side) == 0) return false;
    }
  }
  return true;
}

// Drops by the drop rules, in no particular order, without regard to the
// own king. Pawn-drop mates are left out by the rule above.
inline void RuleDrops(const Board& b, int side, std::vector<MoveKey>& out) {
  for (int kind = FU; kind <= HI; ++kind) {
    if (b.hand[side | kind] <= 0) continue;
    for (int f = 1; f <= 9; ++f) {
      if (kind == FU && HasUnpromotedPawnOnFile(b, side, f)) continue;
      for (int r = 1; r <= 9; ++r) {
        if (b.at[f][r] != EMP) continue;
        int ahead = RankAhead(side, r);
        if ((kind == FU || kind == KY) && ahead < 2) continue;
        if (kind == KE && ahead < 3) continue;
        if (kind == FU && RulePawnDropMates(b, side, f, r)) continue;
        out.emplace_back(0, MakeSquare(f, r), side | kind, EMP);
      }
    }
  }
}

// The legal moves: every geometric move and rule-abiding drop after which
// the mover's own king is not attacked.
inline std::set<MoveKey> LegalMoves(const Board& b, int side) {
  std::vector<MoveKey> candidates;
  GeometricBoardMoves(b, side, candidates);
  RuleDrops(b, side, candidates);
  std::set<MoveKey> legal;
  for (const MoveKey& m : candidates) {
    Board after = b;
    Apply(after, side, m);
    if (!KingAttacked(after, side)) legal.insert(m);
  }
  return legal;
}

// True when a pawn drop on (f, r) gives check and leaves the other side
// with no legal move at all.
inline bool TruePawnDropMates(const Board& before, int side, int f, int r) {
  int opp = Opponent(side);
  int kf, kr;
  if (!FindKing(before, opp, kf, kr)) return false;
  Board b = before;
  b.at[f][r] = uint8_t(side | FU);
  --b.hand[side | FU];
  if (!KingAttacked(b, opp)) return false;
  return LegalMoves(b, opp).empty();
}

// Leaf count of the legal move tree.
inline uint64_t Perft(const Board& b, int side, int depth) {
  if (depth == 0) return 1;
  std::set<MoveKey> moves = LegalMoves(b, side);
  if (depth == 1) return moves.size();
  uint64_t total = 0;
  for (const MoveKey& m : moves) {
    Board after = b;
    Apply(after, side, m);
    total += Perft(after, Opponent(side), depth - 1);
  }
  return total;
}

}  // namespace brute
