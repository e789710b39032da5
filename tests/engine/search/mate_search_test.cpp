// Mate search: mates found at the depth their length needs, results kept
// and reused through the table, and agreement with a plain search.
#include <cstdlib>
#include <cstring>

#include "position/checks.h"
#include "position/makemove.h"
#include "position/movegen.h"
#include "position/position.h"
#include "search_fixture.h"

namespace {

// A plain AND/OR search over checks without table or iterative deepening:
// can side mate within plies (odd) plies?
bool PlainAttackerMates(const Position& p, int side, int plies);

bool PlainDefenderLoses(const Position& p, int side, int plies) {
  Move list[MAX_MOVES];
  int n = GenerateMoves(p, side, list);
  if (n == 0) return true;
  if (plies < 2) return false;
  for (int i = 0; i < n; ++i) {
    Position c = p;
    MakeMove(c, side, list[i]);
    if (!PlainAttackerMates(c, Opponent(side), plies - 1)) return false;
  }
  return true;
}

bool PlainAttackerMates(const Position& p, int side, int plies) {
  Move list[MAX_MOVES];
  int n = CheckingMoves(p, side, list);
  for (int i = 0; i < n; ++i) {
    Position c = p;
    MakeMove(c, side, list[i]);
    if (PlainDefenderLoses(c, Opponent(side), plies - 1)) return true;
  }
  return false;
}

struct MateCase {
  int plies;  // length of the shortest mate by checks
  const char* sfen;
};

// SELF to move; every case was measured with the plain search.
const MateCase kMates[] = {
    {1, "8k/9/8P/9/9/9/9/9/K8 b G 1"},
    {3, "1k7/3+P5/9/9/2N6/9/9/9/K8 b RG 1"},
    {3, "9/k8/3+B5/G8/9/9/9/9/K8 b SN 1"},
    {5, "9/2k6/9/9/2G6/+RN7/9/9/K8 b RP 1"},
    {5, "9/3k1p3/5g3/+R8/2+R1+B4/9/9/9/K8 b - 1"},
    {7, "9/6k2/9/6r2/4G4/6RN1/9/9/K8 b R 1"},
    {7, "9/3k5/R8/4B4/9/5G3/9/9/K8 b SL 1"},
    {9, "9/3k5/1+Bb6/2+R1r4/9/9/9/9/K8 b S 1"},
    {9, "9/5k3/5g3/8+R/8+R/9/9/9/K8 b G 1"},
};

using MateSearchTest = SearchTest;

TEST_F(MateSearchTest, MateOfEachLengthIsFoundFirstAtItsDepth) {
  for (const MateCase& c : kMates) {
    Loaded l = LoadSfen(c.sfen);
    const int depth = c.plies < 3 ? 1 : c.plies - 2;
    if (c.plies >= 3) {
      ASSERT_FALSE(PlainAttackerMates(l.e.pos, SELF, c.plies - 2)) << "case is shorter: " << c.sfen;
    }
    ASSERT_TRUE(PlainAttackerMates(l.e.pos, SELF, c.plies)) << "case is no mate: " << c.sfen;
    if (depth > 1) {
      ClearMateTable();
      Move m{};
      EXPECT_EQ(MateSearch(l.e.pos, SELF, depth - 2, &m), MATE_UNKNOWN)
          << c.plies << "-ply mate resolved at depth " << depth - 2 << ": " << c.sfen;
    }
    ClearMateTable();
    Move m{};
    ASSERT_EQ(MateSearch(l.e.pos, SELF, depth, &m), MATE_PROVEN)
        << c.plies << "-ply mate missed at depth " << depth << ": " << c.sfen;
    Position after = l.e.pos;
    Move legal = m;
    ASSERT_TRUE(IsLegal(after, SELF, legal)) << FormatUsiMove(m) << " in " << c.sfen;
    MakeMove(after, SELF, m);
    EXPECT_NE(CheckWord(after, SELF), 0u) << FormatUsiMove(m) << " is no check in " << c.sfen;
    EXPECT_TRUE(PlainDefenderLoses(after, ENEMY, c.plies - 1))
        << FormatUsiMove(m) << " does not mate in " << c.sfen;
  }
}

TEST_F(MateSearchTest, ElevenPlyMateIsBeyondTheSearchDepth) {
  for (const char* sfen : {"gk7/9/9/9/B8/9/9/9/K8 b RG 1", "5k3/9/9/2R4+R1/9/9/9/9/K8 b - 1",
                           "9/3k5/9/9/9/+R8/9/9/K8 b R 1"}) {
    Loaded l = LoadSfen(sfen);
    ASSERT_FALSE(PlainAttackerMates(l.e.pos, SELF, 9)) << sfen;
    ASSERT_TRUE(PlainAttackerMates(l.e.pos, SELF, 11)) << sfen;
    Move m{};
    EXPECT_EQ(MateSearch(l.e.pos, SELF, 7, &m), MATE_UNKNOWN) << sfen;
    EXPECT_EQ(MateFindExact(l.e.pos.Hash, l.e.pos.Motigoma, SELF), nullptr)
        << "an unresolved root is not stored: " << sfen;
    uint64_t nodes = MateNodes;
    EXPECT_EQ(MateSearch(l.e.pos, SELF, 7, &m), MATE_UNKNOWN) << sfen;
    EXPECT_GT(MateNodes, nodes) << "the unresolved position is searched again: " << sfen;
  }
}

// Results carry no distance: a mate proven near the root and met again
// deeper in the tree counts in full, so a longer mate can be proven. It is
// still a mate.
TEST_F(MateSearchTest, MateReusedDeeperInTheTreeIsStillAMate) {
  Loaded l = LoadSfen("2k6/3N5/9/+R8/9/9/9/9/K8 b RS 1");
  ASSERT_FALSE(PlainAttackerMates(l.e.pos, SELF, 9)) << l.sfen;
  Move m{};
  ASSERT_EQ(MateSearch(l.e.pos, SELF, 7, &m), MATE_PROVEN) << l.sfen;
  Position after = l.e.pos;
  MakeMove(after, SELF, m);
  EXPECT_TRUE(PlainDefenderLoses(after, ENEMY, 10)) << FormatUsiMove(m) << " in " << l.sfen;
}

TEST_F(MateSearchTest, NoCheckIsStoredAsFailureAndReusedWithoutSearch) {
  Loaded l = LoadSfen("4k4/9/9/9/9/9/9/9/4K4 b - 1");
  Move m{};
  EXPECT_EQ(MateSearch(l.e.pos, SELF, 7, &m), MATE_NONE);
  const MateEntry* e = MateFindExact(l.e.pos.Hash, l.e.pos.Motigoma, SELF);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->result, MATE_NONE);
  uint64_t nodes = MateNodes;
  EXPECT_EQ(MateSearch(l.e.pos, SELF, 7, &m), MATE_NONE);
  EXPECT_EQ(MateNodes, nodes) << "the stored failure answers without a node";
}

TEST_F(MateSearchTest, MateWithOneGoldServesABiggerHandThroughTheTable) {
  Loaded small = LoadSfen("8k/9/8P/9/9/9/9/9/K8 b G 1");
  Move m{};
  ASSERT_EQ(MateSearch(small.e.pos, SELF, 7, &m), MATE_PROVEN);
  Loaded big = LoadSfen("8k/9/8P/9/9/9/9/9/K8 b 2GP 1");
  ASSERT_EQ(big.e.pos.Hash, small.e.pos.Hash) << "same board";
  uint64_t nodes = MateNodes;
  Move again{};
  EXPECT_EQ(MateSearch(big.e.pos, SELF, 7, &again), MATE_PROVEN);
  EXPECT_EQ(MateNodes - nodes, 1u) << "the dominating entry answers at the first node";
  EXPECT_EQ(FormatUsiMove(again), FormatUsiMove(m));
}

// Random small endings: the mate search agrees with the plain search on
// whether a mate of up to nine plies exists.
TEST_F(MateSearchTest, AgreesWithThePlainSearchOnRandomEndings) {
  const int attackers[] = {SKY, SKE, SGI, SKI, SKA, SHI, STO, SRY, SUM};
  const int defenders[] = {EFU, EKY, EKE, EGI, EKI, EKA, EHI};
  std::srand(12345);
  int positions = 0, mates = 0;
  while (positions < 40) {
    uint8_t d[81] = {};
    int32_t hand[EHI + 1] = {};
    auto put = [&](int f, int r, int code) {
      if (f < 1 || f > 9 || r < 1 || r > 9) return;
      int i = DiagramIndex(MakeSquare(f, r));
      if (!d[i]) d[i] = static_cast<uint8_t>(code);
    };
    int kf = 1 + std::rand() % 8, kr = 1 + std::rand() % 2;
    put(kf, kr, EOU);
    put(9, 9, SOU);
    for (int i = std::rand() % 4; i > 0; --i)
      put(kf - 2 + std::rand() % 5, kr + std::rand() % 3, defenders[std::rand() % 7]);
    for (int i = 1 + std::rand() % 3; i > 0; --i)
      put(kf - 3 + std::rand() % 7, kr + 1 + std::rand() % 4, attackers[std::rand() % 9]);
    for (int i = std::rand() % 3; i > 0; --i) hand[SFU + std::rand() % 7]++;
    Position p;
    ::SetUp(p, 0, d, hand);
    if (CheckWord(p, SELF) || CheckWord(p, ENEMY)) continue;
    ++positions;
    ClearMateTable();
    Move m{};
    int r = MateSearch(p, SELF, 7, &m);
    bool plain = PlainAttackerMates(p, SELF, 9);
    ASSERT_EQ(r == MATE_PROVEN, plain) << "result " << r << " in " << FormatSfen(p, SELF);
    if (r == MATE_PROVEN) {
      ++mates;
      Position after = p;
      MakeMove(after, SELF, m);
      EXPECT_TRUE(PlainDefenderLoses(after, ENEMY, 8))
          << FormatUsiMove(m) << " does not mate in " << FormatSfen(p, SELF);
    }
  }
  EXPECT_GT(mates, 0) << "the sample holds no mate at all";
}

}  // namespace
