// Random positions for the verification tests: legal in the sense that both
// kings stand on the board and the side not to move is not in check, and
// biased toward the situations the generator treats specially.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "position/position.h"
#include "position/usi.h"
#include "verify_brute.h"

namespace verify {

enum class Shape {
  Sparse,    // a few pieces anywhere
  Dense,     // a crowded board
  Check,     // the side to move in single or double check
  Pin,       // own pieces on lines between the own king and enemy sliders
  PawnDrop,  // the side to move holds pawns and the enemy king is boxed in
};
constexpr int SHAPE_COUNT = 5;

struct RandomPosition {
  uint8_t diagram[81];
  int32_t hand[EHI + 1];
  int side;
  int ply;
};

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}

  int Below(int n) { return int(rng_() % uint32_t(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

  // A piece code other than a king, pawns most often.
  int RandomCode(int side) {
    static const int kinds[] = {FU,
                                FU,
                                FU,
                                FU,
                                KY,
                                KE,
                                GI,
                                KI,
                                KA,
                                HI,
                                FU | PROMOTED,
                                KY | PROMOTED,
                                KE | PROMOTED,
                                GI | PROMOTED,
                                KA | PROMOTED,
                                HI | PROMOTED,
                                KI,
                                GI};
    return side | kinds[Below(int(sizeof kinds / sizeof kinds[0]))];
  }

  RandomPosition Make(Shape shape) {
    for (;;) {
      RandomPosition rp;
      if (Try(shape, rp)) return rp;
    }
  }

 private:
  std::mt19937 rng_;
  brute::Board b_;

  int RandomSide() { return Chance(50) ? SELF : ENEMY; }

  bool PlaceAt(int f, int r, int code) {
    if (!b_.On(f, r) || b_.at[f][r] != EMP) return false;
    b_.at[f][r] = uint8_t(code);
    return true;
  }

  void Scatter(int count) {
    for (int i = 0; i < count; ++i) PlaceAt(1 + Below(9), 1 + Below(9), RandomCode(RandomSide()));
  }

  // Adds pieces of `by` that attack the king of `side` until `checks`
  // pieces attack it.
  void AddCheckers(int side, int checks) {
    int kf, kr;
    brute::FindKing(b_, side, kf, kr);
    for (int trial = 0; trial < 400 && brute::CheckerCount(b_, side) < checks; ++trial) {
      int f = kf - 3 + Below(7), r = kr - 3 + Below(7);
      int before = brute::CheckerCount(b_, side);
      if (!PlaceAt(f, r, RandomCode(Opponent(side)))) continue;
      if (brute::CheckerCount(b_, side) <= before) b_.at[f][r] = EMP;
    }
  }

  // Puts an own piece between the own king and an enemy slider on one line.
  bool AddPin(int side) {
    int kf, kr;
    brute::FindKing(b_, side, kf, kr);
    int df = Below(3) - 1, dr = Below(3) - 1;
    if (df == 0 && dr == 0) return false;
    int near = 1 + Below(3), far = near + 1 + Below(4);
    int ff = kf + far * df, fr = kr + far * dr;
    if (!b_.On(ff, fr)) return false;
    for (int k = 1; k <= far; ++k)
      if (b_.at[kf + k * df][kr + k * dr] == (SELF | OU) ||
          b_.at[kf + k * df][kr + k * dr] == (ENEMY | OU))
        return false;
    for (int k = 1; k < far; ++k) b_.at[kf + k * df][kr + k * dr] = EMP;
    int opp = Opponent(side);
    int slider;
    if (df != 0 && dr != 0) {
      slider = opp | (Chance(50) ? KA : KA | PROMOTED);
    } else if (df == 0 && dr == (side == SELF ? -1 : 1) && Chance(30)) {
      slider = opp | KY;  // a lance looking down the file at the king
    } else {
      slider = opp | (Chance(50) ? HI : HI | PROMOTED);
    }
    b_.at[ff][fr] = uint8_t(slider);
    b_.at[kf + near * df][kr + near * dr] = uint8_t(RandomCode(side));
    return true;
  }

  // Boxes the enemy king in front of a square where the side to move may
  // drop a pawn with check.
  void AddPawnDropNet(int side) {
    int opp = Opponent(side);
    int kf, kr;
    brute::FindKing(b_, opp, kf, kr);
    int back = side == SELF ? 1 : -1;  // the pawn's square relative to the king
    int tf = kf, tr = kr + back;
    if (!b_.On(tf, tr) || b_.at[tf][tr] == (side | OU)) return;
    b_.at[tf][tr] = EMP;
    for (int r = 1; r <= 9; ++r)
      if (b_.at[tf][r] == (side | FU)) b_.at[tf][r] = EMP;
    for (int df = -1; df <= 1; ++df) {
      for (int dr = -1; dr <= 1; ++dr) {
        int f = kf + df, r = kr + dr;
        if ((df == 0 && dr == 0) || (f == tf && r == tr) || !b_.On(f, r)) continue;
        if (b_.at[f][r] == (side | OU)) continue;
        int roll = Below(100);
        b_.at[f][r] = roll < 45   ? uint8_t(RandomCode(opp))
                      : roll < 60 ? uint8_t(RandomCode(side))
                                  : uint8_t(EMP);
      }
    }
    // Defenders of the pawn's square and guards of the flight squares.
    for (int i = 0, want = 1 + Below(3); i < 60 && want > 0; ++i) {
      int f = tf - 2 + Below(5), r = tr - 2 + Below(5);
      if (PlaceAt(f, r, RandomCode(side))) --want;
    }
    if (b_.hand[side | FU] == 0) b_.hand[side | FU] = 1 + Below(3);
  }

  bool Try(Shape shape, RandomPosition& rp) {
    std::memset(b_.at, 0, sizeof b_.at);
    for (int c = 0; c <= EHI; ++c) b_.hand[c] = 0;
    int side = RandomSide();
    int opp = Opponent(side);
    int sf = 1 + Below(9), sr = 1 + Below(9);
    int ef = 1 + Below(9), er = 1 + Below(9);
    if (shape == Shape::PawnDrop) {
      // The enemy king near its own back rank, where nets close easily.
      int far = side == SELF ? 1 + Below(3) : 7 + Below(3);
      (side == SELF ? er : sr) = far;
    }
    if (std::abs(sf - ef) <= 1 && std::abs(sr - er) <= 1) return false;
    b_.at[sf][sr] = SELF | OU;
    b_.at[ef][er] = ENEMY | OU;

    switch (shape) {
      case Shape::Sparse:
        Scatter(2 + Below(12));
        break;
      case Shape::Dense:
        Scatter(20 + Below(30));
        break;
      case Shape::Check:
        Scatter(4 + Below(20));
        AddCheckers(side, Chance(35) ? 2 : 1);
        break;
      case Shape::Pin:
        Scatter(4 + Below(16));
        for (int tries = 0, n = 1 + Below(3); tries < 30 && n > 0; ++tries) n -= AddPin(side);
        if (Chance(30)) AddCheckers(side, 1);
        break;
      case Shape::PawnDrop:
        Scatter(4 + Below(14));
        AddPawnDropNet(side);
        break;
    }
    for (int s : {SELF, ENEMY}) {
      for (int kind = FU; kind <= HI; ++kind) {
        if (!Chance(35)) continue;
        int n = Chance(10) ? HAND_MAX - Below(2) : 1 + Below(2);
        b_.hand[s | kind] = std::max(b_.hand[s | kind], n);
      }
    }
    // The side not to move may not stand in check.
    if (brute::KingAttacked(b_, opp)) return false;
    for (int f = 1; f <= 9; ++f)
      for (int r = 1; r <= 9; ++r) rp.diagram[DiagramIndex(MakeSquare(f, r))] = b_.at[f][r];
    for (int c = 0; c <= EHI; ++c) rp.hand[c] = b_.hand[c];
    rp.side = side;
    rp.ply = Chance(80) ? 0 : Below(500);
    return true;
  }
};

inline void SetUpRandom(Position& p, const RandomPosition& rp) {
  SetUp(p, rp.ply, rp.diagram, rp.hand);
}

}  // namespace verify
