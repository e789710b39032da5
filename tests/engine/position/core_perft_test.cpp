// Perft from the start position: the counts of the first plies follow from
// the board by hand; deeper counts are golden values that change only with a
// deliberate change of the generator.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "position/perft.h"

namespace {

using core_test::StartPosition;

TEST(CorePerft, StartPositionFirstPliesMatchHandCount) {
  const Position p = StartPosition();
  // Nine pawn steps and two jumps of each knight; everything else is boxed in.
  EXPECT_EQ(Perft(p, SELF, 1), 13u);
  // The two sides cannot touch each other within one move each.
  EXPECT_EQ(Perft(p, SELF, 2), 169u);
}

TEST(CorePerft, DivideSumsToPerft) {
  const Position p = StartPosition();
  MoveList moves;
  uint64_t counts[MAX_MOVES];
  const int n = PerftDivide(p, SELF, 3, moves, counts);
  uint64_t sum = 0;
  for (int i = 0; i < n; ++i) sum += counts[i];
  EXPECT_EQ(n, 13);
  EXPECT_EQ(sum, Perft(p, SELF, 3));
}

}  // namespace
