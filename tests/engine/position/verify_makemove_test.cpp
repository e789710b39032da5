// Make-move against recomputation: long random playouts in which every
// derived field of the Position is compared, after every move, with what a
// rebuild of the maps and a fresh set-up of the same board and hands give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "position/keys.h"
#include "position/makemove.h"
#include "position/movegen.h"
#include "position/pieces.h"
#include "position/position.h"
#include "position/tables.h"
#include "position/usi.h"
#include "verify_brute.h"
#include "verify_random.h"

namespace {

constexpr int PLAYOUT_PLIES = 300;

// The attack maps by their definition, from the board alone: bit d where a
// piece steps in direction d onto the cell, bit 16 + d along a slide up to
// and including the first occupied cell.
void DefinitionMaps(const Position& p, uint32_t maps[2][CELL_COUNT]) {
  static const int offset[DIRECTIONS] = {17, 1, -15, 16, -16, 15, -1, -17, 14, -18, 18, -14};
  std::memset(maps, 0, 2 * CELL_COUNT * sizeof(uint32_t));
  for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq) {
    if (!IsSquare(sq)) continue;
    int code = p.Ban(sq);
    if (code == EMP) continue;
    uint32_t* map = maps[SideIndex(code & 48)];
    for (int d = 0; d < DIRECTIONS; ++d) {
      // Does the piece move by this offset? Ask the brute-force tables.
      int df = offset[d] >= 0 ? (offset[d] + 8) / 16 : -((-offset[d] + 8) / 16);
      int dr = offset[d] - 16 * df;
      const brute::PieceMoves& m = brute::MovesOf(code);
      bool steps = false, slides = false;
      for (const brute::Step& s : m.steps) steps = steps || (s.df == df && s.dr == dr);
      for (const brute::Step& s : m.slides) slides = slides || (s.df == df && s.dr == dr);
      if (steps) {
        int c = sq + offset[d];
        if (c >= 0 && c < CELL_COUNT) map[c] |= 1u << d;
      }
      if (slides) {
        for (int c = sq + offset[d];; c += offset[d]) {
          map[c] |= 1u << (SLIDE_BIT + d);
          if (p.Ban(c) != EMP) break;
        }
      }
    }
  }
}

// The first cell where two maps differ, or -1.
int FirstDifference(const uint32_t* a, const uint32_t* b) {
  for (int c = 0; c < CELL_COUNT; ++c)
    if (a[c] != b[c]) return c;
  return -1;
}

bool HandsWithinKeys(const Position& p) {
  for (int c = 0; c <= EHI; ++c)
    if (p.Motigoma[c] > HAND_MAX) return false;
  return true;
}

// Checks every derived field of p (side `moved` just moved, or 0 after a
// set-up). Returns false after recording a failure.
bool CheckDerived(const Position& p, int moved, const std::string& history) {
  const std::string where = "after " + history + "\n  position " + FormatSfen(p, SELF);
  Position rebuilt = p;
  RebuildAttackMaps(rebuilt);
  for (int s : {SELF, ENEMY}) {
    int c = FirstDifference(p.Map(s), rebuilt.Map(s));
    if (c >= 0) {
      ADD_FAILURE() << where << "\n  " << (s == SELF ? "SELF" : "ENEMY") << " map differs at cell "
                    << c << ": kept " << std::hex << p.Map(s)[c] << ", rebuilt "
                    << rebuilt.Map(s)[c];
      return false;
    }
  }
  if (moved != 0) {
    EXPECT_EQ(KeyHistory[p.ply], p.Kyokumen) << where << "\n  key history at ply " << p.ply;
    uint32_t word =
        p.King[SideIndex(Opponent(moved))] ? p.Map(moved)[p.King[SideIndex(Opponent(moved))]] : 0;
    EXPECT_EQ(CheckHistory[p.ply], word) << where << "\n  check history at ply " << p.ply;
  }
  // Counts past 18 toggle no hand key: set up with the count held at 18
  // and add the worth of the pieces beyond it to the material.
  int32_t hand[EHI + 1];
  int32_t beyond = 0;
  for (int c = 0; c <= EHI; ++c) {
    hand[c] = std::min(p.Motigoma[c], int32_t(HAND_MAX));
    beyond += (p.Motigoma[c] - hand[c]) * HandValue[c];
  }
  uint8_t diagram[81];
  for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq)
    if (IsSquare(sq)) diagram[DiagramIndex(sq)] = p.Ban(sq);
  Position fresh;
  SetUp(fresh, p.ply, diagram, hand);
  bool ok = true;
  auto same = [&](const char* what, int64_t kept, int64_t recomputed) {
    if (kept == recomputed) return;
    bool key = what[0] == 'H' || what[0] == 'K';
    ADD_FAILURE() << where << "\n  " << what << ": kept " << (key ? std::hex : std::dec) << kept
                  << ", set-up gives " << recomputed;
    ok = false;
  };
  same("Hash", int64_t(p.Hash), int64_t(fresh.Hash));
  same("Hand", int64_t(p.Hand), int64_t(fresh.Hand));
  same("Kyokumen", int64_t(p.Kyokumen), int64_t(fresh.Kyokumen));
  same("material", p.material, fresh.material + beyond);
  same("SELF king square", p.King[0], fresh.King[0]);
  same("ENEMY king square", p.King[1], fresh.King[1]);
  return ok;
}

struct PlayoutStats {
  int moves = 0, captures = 0, drops = 0, promotions = 0, promotedCaptures = 0;
  int handsPast18 = 0;  // moves after which a hand held more than the keys cover
};

// Plays up to `plies` random legal moves from p, preferring captures now and
// then and promoting whenever the zone rule allows it half of the time.
bool Playout(Position p, int side, int plies, std::mt19937& rng, PlayoutStats& stats) {
  std::string history = "set-up " + FormatSfen(p, side) + " moves";
  if (!CheckDerived(p, 0, history)) return false;
  MoveList list;
  for (int i = 0; i < plies && p.ply + 1 < GAME_PLY_LIMIT; ++i) {
    int n = GenerateMoves(p, side, list);
    if (n == 0) break;
    int pick = int(rng() % uint32_t(n));
    if (rng() % 3 == 0) {
      for (int j = 0; j < n; ++j)
        if (list[(pick + j) % n].capture != EMP) {
          pick = (pick + j) % n;
          break;
        }
    }
    Move m = list[pick];
    if (MayPromote(side, m) && rng() % 2 == 0) m.promote = 1;
    std::string usi = FormatUsiMove(m);
    // The same move must come back from its text.
    Move parsed;
    std::string why;
    if (!ParseUsiMove(p, side, usi, true, parsed, why) || std::memcmp(&parsed, &m, sizeof m) != 0) {
      ADD_FAILURE() << history << "\n  " << usi << " does not read back: " << why;
      return false;
    }
    stats.moves++;
    stats.captures += m.capture != EMP;
    stats.drops += IsDrop(m);
    stats.promotions += m.promote;
    stats.promotedCaptures += (m.capture & PROMOTED) && KindOf(m.capture) != OU;
    MakeMove(p, side, m);
    stats.handsPast18 += !HandsWithinKeys(p);
    history += " " + usi;
    if (!CheckDerived(p, side, history)) return false;
    side = Opponent(side);
  }
  return true;
}

TEST(VerifyMakeMove, DerivedFieldsMatchRecomputationInPlayouts) {
  InitHashKeys();
  std::mt19937 rng(77);
  PlayoutStats stats;
  const int32_t noHand[EHI + 1] = {};
  int32_t bothHands[EHI + 1] = {};
  for (int kind = KY; kind <= HI; ++kind) bothHands[SELF | kind] = bothHands[ENEMY | kind] = 2;
  struct Start {
    const int32_t* hand;
    int count;
  };
  for (const Start& start : {Start{noHand, 100}, Start{bothHands, 100}}) {
    for (int g = 0; g < start.count; ++g) {
      Position p;
      ::SetUp(p, 0, StartDiagram, start.hand);
      ASSERT_TRUE(Playout(p, SELF, PLAYOUT_PLIES, rng, stats)) << "playout " << g;
    }
  }
  // Crowded random positions with promoted pieces and full hands.
  verify::Generator gen(99);
  for (int g = 0; g < 400; ++g) {
    verify::RandomPosition rp = gen.Make(g % 2 ? verify::Shape::Dense : verify::Shape::Pin);
    Position p;
    verify::SetUpRandom(p, rp);
    ASSERT_TRUE(Playout(p, rp.side, 150, rng, stats)) << "random playout " << g;
  }
  std::printf(
      "moves %d, captures %d, drops %d, promotions %d, promoted pieces taken %d, "
      "hands past 18 %d\n",
      stats.moves, stats.captures, stats.drops, stats.promotions, stats.promotedCaptures,
      stats.handsPast18);
  EXPECT_GE(stats.captures, 2000);
  EXPECT_GE(stats.drops, 2000);
  EXPECT_GE(stats.promotions, 500);
  EXPECT_GE(stats.promotedCaptures, 200);
  EXPECT_GE(stats.handsPast18, 100) << "captures into a full hand were not exercised";
}

TEST(VerifyMakeMove, SetUpMapsFollowTheirDefinition) {
  InitHashKeys();
  verify::Generator gen(5);
  for (int i = 0; i < 2000; ++i) {
    verify::RandomPosition rp = gen.Make(verify::Shape(i % verify::SHAPE_COUNT));
    Position p;
    verify::SetUpRandom(p, rp);
    uint32_t maps[2][CELL_COUNT];
    DefinitionMaps(p, maps);
    for (int s : {SELF, ENEMY}) {
      int c = FirstDifference(p.Map(s), maps[SideIndex(s)]);
      ASSERT_LT(c, 0) << "position " << FormatSfen(p, rp.side) << "\n  "
                      << (s == SELF ? "SELF" : "ENEMY") << " map at cell " << c << ": set-up "
                      << std::hex << p.Map(s)[c] << ", by definition " << maps[SideIndex(s)][c];
    }
  }
}

}  // namespace
