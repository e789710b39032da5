// The legality test for proposed moves and the checking-move generator
// against the brute-force model on random positions.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "position/keys.h"
#include "position/makemove.h"
#include "position/movegen.h"
#include "position/usi.h"
#include "verify_brute.h"
#include "verify_random.h"

namespace {

constexpr int POSITIONS = 3000;

Move ToMove(const brute::MoveKey& k) {
  return Move{uint8_t(std::get<0>(k)),
              uint8_t(std::get<1>(k)),
              uint8_t(std::get<2>(k)),
              uint8_t(std::get<3>(k)),
              0,
              0,
              0};
}

// Every board move that follows the piece tables, for either side, and every
// drop onto an empty square that the last-rank rules allow (the proposed-move
// test leaves those rules to the generator): IsLegal accepts exactly the
// model's legal moves of the side, and refreshes a stale capture field.
TEST(VerifyLegality, IsLegalAcceptsExactlyTheLegalMoves) {
  InitHashKeys();
  verify::Generator gen(4242);
  int accepted = 0, refused = 0;
  for (int i = 0; i < POSITIONS; ++i) {
    verify::RandomPosition rp = gen.Make(verify::Shape(i % verify::SHAPE_COUNT));
    Position p;
    verify::SetUpRandom(p, rp);
    const int side = rp.side;
    brute::Board b = brute::FromPosition(p);
    std::set<brute::MoveKey> legal = brute::LegalMoves(b, side);

    std::vector<brute::MoveKey> proposals;
    brute::GeometricBoardMoves(b, side, proposals);
    brute::GeometricBoardMoves(b, Opponent(side), proposals);
    for (int kind = FU; kind <= HI; ++kind) {
      if (b.hand[side | kind] <= 0) continue;
      for (int f = 1; f <= 9; ++f) {
        for (int r = 1; r <= 9; ++r) {
          int ahead = brute::RankAhead(side, r);
          if (b.at[f][r] != EMP || ((kind == FU || kind == KY) && ahead < 2) ||
              (kind == KE && ahead < 3))
            continue;
          proposals.emplace_back(0, MakeSquare(f, r), side | kind, EMP);
        }
      }
    }
    for (const brute::MoveKey& k : proposals) {
      Move m = ToMove(k);
      if (!IsDrop(m)) m.capture = uint8_t(m.capture == EMP ? SKI : EMP);  // stale on purpose
      const bool want = legal.count(k) > 0;
      const int got = IsLegal(p, side, m);
      ASSERT_EQ(got, want ? 1 : 0)
          << "position " << FormatSfen(p, side) << "\n  move " << FormatUsiMove(m) << " of "
          << ((std::get<2>(k) & side) ? "the side to move" : "the other side");
      if (got && !IsDrop(m)) {
        ASSERT_EQ(m.capture, std::get<3>(k)) << "position " << FormatSfen(p, side) << "\n  move "
                                             << FormatUsiMove(m) << ": capture field not refreshed";
      }
      (want ? accepted : refused)++;
    }
  }
  EXPECT_GE(accepted, 100000);
  EXPECT_GE(refused, 50000);
}

// CheckingMoves lists the model's legal moves after which the other king is
// attacked, in the generator's order.
TEST(VerifyLegality, CheckingMovesAreTheLegalMovesThatGiveCheck) {
  InitHashKeys();
  verify::Generator gen(777);
  int checks = 0;
  for (int i = 0; i < POSITIONS; ++i) {
    verify::RandomPosition rp = gen.Make(verify::Shape(i % verify::SHAPE_COUNT));
    Position p;
    verify::SetUpRandom(p, rp);
    const int side = rp.side;
    brute::Board b = brute::FromPosition(p);
    std::set<brute::MoveKey> want;
    for (const brute::MoveKey& k : brute::LegalMoves(b, side)) {
      brute::Board after = b;
      brute::Apply(after, side, k);
      if (brute::KingAttacked(after, Opponent(side))) want.insert(k);
    }
    MoveList all, checking;
    int n = GenerateMoves(p, side, all);
    int c = CheckingMoves(p, side, checking);
    std::set<brute::MoveKey> got;
    int next = 0;  // position in the generated list, to check the order
    for (int j = 0; j < c; ++j) {
      got.insert(brute::KeyOf(checking[j]));
      while (next < n && brute::KeyOf(all[next]) != brute::KeyOf(checking[j])) ++next;
      ASSERT_LT(next, n) << "position " << FormatSfen(p, side) << "\n  checking move "
                         << FormatUsiMove(checking[j]) << " out of generation order";
      ++next;
    }
    ASSERT_EQ(got, want) << "position " << FormatSfen(p, side) << "\n  " << c
                         << " checking moves listed, " << want.size() << " expected";
    checks += c;
  }
  EXPECT_GE(checks, 10000);
}

}  // namespace
