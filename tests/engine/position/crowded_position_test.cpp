// A set-up position can have more legal moves than a move list holds: ten
// dragons, three horses and full hands for SELF give well over 600. The
// generator must stop at the list's end, and SFEN text naming such a
// position is refused with a reason.
#include <gtest/gtest.h>

#include <cstring>

#include "core_fixture.h"
#include "position/makemove.h"
#include "position/movegen.h"
#include "position/usi.h"

namespace {

using core_test::Board;

const char kCrowdedBoard[] =
    "1+B1gkg+R2/1+R1ggg1+R1/5+R3/+B4+R3/2+R5+R/+R8/4+R1+R2/1+R1+R5/1+B2K2+R1";

Position Crowded() {
  Board b;
  // Rank by rank as the board text above reads, file 9 first.
  const struct {
    int sq, code;
  } pieces[] = {{0x81, SUM}, {0x61, EKI}, {0x51, EOU}, {0x41, EKI}, {0x31, SRY}, {0x82, SRY},
                {0x62, EKI}, {0x52, EKI}, {0x42, EKI}, {0x22, SRY}, {0x43, SRY}, {0x94, SUM},
                {0x44, SRY}, {0x75, SRY}, {0x15, SRY}, {0x96, SRY}, {0x57, SRY}, {0x37, SRY},
                {0x88, SRY}, {0x68, SRY}, {0x89, SUM}, {0x59, SOU}, {0x29, SRY}};
  for (const auto& piece : pieces) b.Put(piece.sq, piece.code);
  for (int kind = FU; kind <= HI; ++kind) b.Hand(SELF | kind, HAND_MAX);
  return b.Build();
}

TEST(CrowdedPosition, BoardMatchesItsText) {
  EXPECT_EQ(core_test::Sfen(Crowded()).substr(0, sizeof kCrowdedBoard - 1), kCrowdedBoard);
}

TEST(CrowdedPosition, GenerationStopsAtTheEndOfTheList) {
  Position p = Crowded();
  struct {
    Move list[MAX_MOVES];
    Move beyond[16];
  } buffer;
  std::memset(&buffer, 0xA5, sizeof buffer);
  int n = GenerateMoves(p, SELF, buffer.list);
  EXPECT_EQ(n, MAX_MOVES);
  EXPECT_EQ(CountMoves(p, SELF), MAX_MOVES) << "the counter stops where the list does";
  for (const Move& m : buffer.beyond) {
    uint8_t bytes[sizeof m];
    std::memcpy(bytes, &m, sizeof m);
    for (uint8_t byte : bytes) ASSERT_EQ(byte, 0xA5) << "a move was written past the list";
  }
  for (int i = 0; i < n; ++i) {
    Move m = buffer.list[i];
    EXPECT_TRUE(IsLegal(p, SELF, m)) << core_test::Usi(buffer.list[i]);
  }
}

TEST(CrowdedPosition, SfenTextIsRefusedWithAReason) {
  Position p{};
  p.ply = 77;
  int side = 0;
  std::string why;
  EXPECT_FALSE(ParseSfen(std::string(kCrowdedBoard) + " b 18P18L18N18S18G18B18R 1", p, side, why));
  EXPECT_NE(why.find("more than a move list holds"), std::string::npos) << why;
  EXPECT_EQ(p.ply, 77) << "a refused text leaves the position alone";
  // The same board with empty hands has few enough moves.
  EXPECT_TRUE(ParseSfen(std::string(kCrowdedBoard) + " b - 1", p, side, why)) << why;
}

}  // namespace
