// Perft as regression numbers, first confirmed by the brute-force model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "position/keys.h"
#include "position/perft.h"
#include "position/position.h"
#include "position/usi.h"
#include "verify_brute.h"

namespace {

struct PerftCase {
  const char* sfen;
  int bruteDepth;                // counted by the model too up to here
  std::vector<uint64_t> counts;  // depth 1, 2, ...
};

// The model counted these positions to bruteDepth; deeper values were taken
// from the engine once the shallower ones agreed.
const PerftCase CASES[] = {
    {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1", 5, {13, 169, 2288, 30976, 449474}},
    {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b RBGSNLPrbgsnlp 1",
     2,
     {283, 77894, 18223291}},
    // A middle game with promoted pieces and full hands.
    {"l2g1k2l/1+R2s2s1/p1np1p+Bp1/4p3p/1P7/2P1P1P2/P2PSP2P/1+b1G1K3/LN5NL w RG2S3N2L12Pbg3p 57",
     3,
     {149, 39795, 4364457}},
    // A pawn about to reach the last rank: no move may promote.
    {"4k4/9/4P4/9/9/9/9/9/4K4 w - 1", 4, {4, 24, 132, 976}},
    // Pawn drops next to a king boxed in by its own golds.
    {"3gkg3/9/4+P4/9/9/9/9/9/4K4 w 2p 1", 4, {76, 825, 42986, 538983}},
    // In check from afar: king steps and pawn interpositions only.
    {"8k/6+R2/9/9/4b4/9/9/9/K8 b P2n 9", 3, {5, 367, 17905, 1194892}},
    // P*1b would mate at once and is refused.
    {"8k/6+R2/9/4b4/9/9/9/9/K8 b P2n 9", 3, {90, 6192, 217432}},
};

class VerifyPerft : public ::testing::Test {
 protected:
  void SetUp() override { InitHashKeys(); }
};

TEST_F(VerifyPerft, CountsMatchTheModelAndTheRecordedNumbers) {
  for (const PerftCase& c : CASES) {
    Position p;
    int side;
    std::string why;
    ASSERT_TRUE(ParseSfen(c.sfen, p, side, why)) << c.sfen << ": " << why;
    brute::Board b = brute::FromPosition(p);
    for (size_t i = 0; i < c.counts.size(); ++i) {
      int depth = int(i) + 1;
      uint64_t engine = Perft(p, side, depth);
      EXPECT_EQ(engine, c.counts[i]) << c.sfen << " depth " << depth;
      if (depth <= c.bruteDepth) {
        EXPECT_EQ(brute::Perft(b, side, depth), engine) << c.sfen << " depth " << depth;
      }
    }
  }
}

}  // namespace
