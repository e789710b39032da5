// The move generator against the brute-force model on many random
// positions: the same moves as sets, no duplicates, no promotions.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>

#include "position/keys.h"
#include "position/movegen.h"
#include "position/position.h"
#include "position/usi.h"
#include "verify_brute.h"
#include "verify_random.h"

namespace {

constexpr int POSITIONS_PER_SHAPE = 4000;

std::string UsiOf(const brute::MoveKey& k) {
  Move m{uint8_t(std::get<0>(k)),
         uint8_t(std::get<1>(k)),
         uint8_t(std::get<2>(k)),
         uint8_t(std::get<3>(k)),
         0,
         0,
         0};
  return FormatUsiMove(m);
}

std::string UsiList(const std::set<brute::MoveKey>& moves) {
  std::string s;
  for (const brute::MoveKey& k : moves) s += " " + UsiOf(k);
  return s;
}

// What the random positions covered, so that a change to the generator of
// positions cannot quietly stop testing the hard cases.
struct Coverage {
  int positions = 0;
  int singleCheck = 0;
  int doubleCheck = 0;
  int pinnedMoveRefused = 0;  // a board move left out because it exposes the king
  int pawnDropChecks = 0;     // legal pawn drops that give check
  int pawnDropMatesRefused = 0;
};

// Compares GenerateMoves with the model, and CountMoves with its count, on
// one position; returns false (and records a failure) on any difference.
bool CompareOne(const Position& p, int side, Coverage& cov) {
  static Move list[4 * MAX_MOVES];  // room beyond the limit, so an overrun shows as a count
  int n = GenerateMoves(p, side, list);
  const std::string where = "position " + FormatSfen(p, side);
  EXPECT_EQ(CountMoves(p, side), n) << where << ": the counter and the list differ";

  std::set<brute::MoveKey> got;
  bool ok = true;
  for (int i = 0; i < n; ++i) {
    const Move& m = list[i];
    if (m.promote != 0 || m.spare != 0 || m.score != 0) {
      ADD_FAILURE() << where << ": move " << FormatUsiMove(m) << " has promote/spare/score "
                    << int(m.promote) << "/" << int(m.spare) << "/" << m.score;
      ok = false;
    }
    if (!got.insert(brute::KeyOf(m)).second) {
      ADD_FAILURE() << where << ": move " << FormatUsiMove(m) << " listed twice";
      ok = false;
    }
  }
  brute::Board b = brute::FromPosition(p);
  std::set<brute::MoveKey> want = brute::LegalMoves(b, side);
  if (got != want) {
    std::set<brute::MoveKey> missing, extra;
    for (const auto& k : want)
      if (!got.count(k)) missing.insert(k);
    for (const auto& k : got)
      if (!want.count(k)) extra.insert(k);
    ADD_FAILURE() << where << "\n  missing:" << UsiList(missing) << "\n  extra:" << UsiList(extra);
    ok = false;
  }

  ++cov.positions;
  int checkers = brute::CheckerCount(b, side);
  cov.singleCheck += checkers == 1;
  cov.doubleCheck += checkers >= 2;
  if (checkers == 0) {
    std::vector<brute::MoveKey> geometric;
    brute::GeometricBoardMoves(b, side, geometric);
    for (const auto& k : geometric) {
      if (std::get<2>(k) != (side | OU) && !want.count(k)) {
        ++cov.pinnedMoveRefused;
        break;
      }
    }
  }
  int opp = Opponent(side);
  for (const auto& k : want) {
    if (std::get<0>(k) != 0 || std::get<2>(k) != (side | FU)) continue;
    brute::Board after = b;
    brute::Apply(after, side, k);
    cov.pawnDropChecks += brute::KingAttacked(after, opp);
  }
  return ok;
}

// Pawn drops in front of the enemy king that the rule refuses, and whether
// the rule agrees with a full search for any reply.
void CountPawnDropMates(const Position& p, int side, Coverage& cov,
                        std::vector<std::string>& disagreements) {
  brute::Board b = brute::FromPosition(p);
  if (b.hand[side | FU] <= 0) return;
  int kf, kr;
  if (!brute::FindKing(b, Opponent(side), kf, kr)) return;
  int tf = kf, tr = kr + (side == SELF ? 1 : -1);
  if (!b.On(tf, tr) || b.at[tf][tr] != EMP || brute::HasUnpromotedPawnOnFile(b, side, tf)) return;
  if (brute::KingAttacked(b, side)) return;  // evasions are compared above
  bool rule = brute::RulePawnDropMates(b, side, tf, tr);
  bool truth = brute::TruePawnDropMates(b, side, tf, tr);
  cov.pawnDropMatesRefused += rule;
  if (rule != truth) disagreements.push_back(FormatSfen(p, side));
}

TEST(VerifyMoveGeneration, MatchesBruteForceOnRandomPositions) {
  InitHashKeys();
  verify::Generator gen(20240611);
  Coverage cov;
  std::vector<std::string> disagreements;
  int failures = 0;
  for (int shape = 0; shape < verify::SHAPE_COUNT && failures < 10; ++shape) {
    for (int i = 0; i < POSITIONS_PER_SHAPE && failures < 10; ++i) {
      verify::RandomPosition rp = gen.Make(verify::Shape(shape));
      Position p;
      verify::SetUpRandom(p, rp);
      if (!CompareOne(p, rp.side, cov)) ++failures;
      CountPawnDropMates(p, rp.side, cov, disagreements);
    }
  }
  ASSERT_EQ(failures, 0);
  EXPECT_GE(cov.positions, 5 * POSITIONS_PER_SHAPE);
  EXPECT_GE(cov.singleCheck, 1000) << "too few positions in single check";
  EXPECT_GE(cov.doubleCheck, 200) << "too few positions in double check";
  EXPECT_GE(cov.pinnedMoveRefused, 1000) << "too few positions with pinned pieces";
  EXPECT_GE(cov.pawnDropChecks, 500) << "too few checking pawn drops";
  EXPECT_GE(cov.pawnDropMatesRefused, 60) << "too few pawn-drop mates";
  std::ostringstream list;
  for (const std::string& s : disagreements) list << "\n  " << s;
  EXPECT_TRUE(disagreements.empty())
      << "the pawn-drop-mate rule and a search for replies disagree on:" << list.str();
  std::printf(
      "positions %d, single check %d, double check %d, pinned %d, pawn drop checks %d, "
      "pawn drop mates %d\n",
      cov.positions, cov.singleCheck, cov.doubleCheck, cov.pinnedMoveRefused, cov.pawnDropChecks,
      cov.pawnDropMatesRefused);
  RecordProperty("single_check", cov.singleCheck);
  RecordProperty("double_check", cov.doubleCheck);
  RecordProperty("pawn_drop_mates", cov.pawnDropMatesRefused);
}

// Pawn drops in front of a boxed king, where the rule and a search for any
// reply must agree with the generator: pinned defenders, a defender pinned
// along the file it takes on, an undefended pawn, both sides.
TEST(VerifyMoveGeneration, PawnDropMateNamedPositions) {
  InitHashKeys();
  struct Case {
    const char* sfen;
    const char* drop;
    bool mates;
  };
  const Case cases[] = {
      // The dragon guards the pawn and both flight squares.
      {"8k/6+R2/9/9/9/9/9/9/K8 b P 1", "P*1b", true},
      // A silver may take the pawn.
      {"7sk/6+R2/9/9/9/9/9/9/K8 b P 1", "P*1b", false},
      // The same silver is pinned along the first rank by a rook.
      {"4R2sk/6+R2/9/9/9/9/9/9/K8 b P 1", "P*1b", true},
      // A gold pinned on the king's file may still take along that file.
      {"8k/6+R2/8g/9/8L/9/9/9/K8 b P 1", "P*1b", false},
      // Nothing guards the pawn: the king takes it.
      {"8k/9/6+R2/9/9/9/9/9/K8 b P 1", "P*1b", false},
      // The second player's drop against the first player's king.
      {"k8/9/9/9/9/9/9/6+r2/8K w p 1", "P*1h", true},
      {"k8/9/9/9/9/9/9/6+r2/7SK w p 1", "P*1h", false},
  };
  for (const Case& c : cases) {
    Position p;
    int side;
    std::string why;
    ASSERT_TRUE(ParseSfen(c.sfen, p, side, why)) << c.sfen << ": " << why;
    brute::Board b = brute::FromPosition(p);
    int to = ParseUsiSquare(std::string(c.drop).substr(2));
    EXPECT_EQ(brute::RulePawnDropMates(b, side, FileOf(to), RankOf(to)), c.mates) << c.sfen;
    EXPECT_EQ(brute::TruePawnDropMates(b, side, FileOf(to), RankOf(to)), c.mates) << c.sfen;
    Move m;
    bool listed = ParseUsiMove(p, side, c.drop, false, m, why);
    EXPECT_EQ(listed, !c.mates) << c.sfen << " " << c.drop
                                << (listed ? " is listed" : " is not listed");
    Coverage cov;
    EXPECT_TRUE(CompareOne(p, side, cov)) << c.sfen;
  }
}

}  // namespace
