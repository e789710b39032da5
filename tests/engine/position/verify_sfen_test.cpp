// SFEN and USI move text: round trips, and the refusals that protect the
// engine from boards and hands it cannot hold.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "position/keys.h"
#include "position/movegen.h"
#include "position/position.h"
#include "position/usi.h"
#include "verify_random.h"

namespace {

const char* const START_SFEN = "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1";

class VerifySfen : public ::testing::Test {
 protected:
  void SetUp() override { InitHashKeys(); }
};

TEST_F(VerifySfen, StartDiagramReadsAsTheStartPosition) {
  Position p;
  int side = 0;
  std::string why;
  ASSERT_TRUE(ParseSfen(START_SFEN, p, side, why)) << why;
  EXPECT_EQ(side, SELF);
  EXPECT_EQ(p.ply, 0);
  for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq) {
    if (!IsSquare(sq)) continue;
    EXPECT_EQ(p.Ban(sq), StartDiagram[DiagramIndex(sq)]) << "square " << FormatUsiSquare(sq);
  }
  EXPECT_EQ(p.King[0], 0x59);
  EXPECT_EQ(p.King[1], 0x51);
  EXPECT_EQ(FormatSfen(p, SELF), START_SFEN);
}

TEST_F(VerifySfen, WrittenFormsComeBackUnchanged) {
  const char* const texts[] = {
      START_SFEN,
      "lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL w - 2",
      "l2g1k2l/1+R2s2s1/p1np1p+Bp1/4p3p/1P7/2P1P1P2/P2PSP2P/1+b1G1K3/LN5NL w RG2S3N2L12Pbg3p 57",
      "4k4/9/4+P4/9/9/9/9/2+s6/4K4 b 18Pr2b18p 1000",
      "+l+n+s1k1+s+n+l/9/9/9/9/9/9/9/+L+N+S1K1+S+N+L b - 7",
      "8k/9/9/9/9/9/9/9/K8 w 2R2B4G4S4N4L18P2r2b4g4s4n4l18p 123",
  };
  for (const char* text : texts) {
    Position p;
    int side = 0;
    std::string why;
    ASSERT_TRUE(ParseSfen(text, p, side, why)) << text << ": " << why;
    EXPECT_EQ(FormatSfen(p, side), text);
  }
}

// Random boards with promoted pieces and full hands survive writing and
// reading: same squares, hands, ply, side and keys.
TEST_F(VerifySfen, RandomPositionsRoundTrip) {
  verify::Generator gen(31);
  for (int i = 0; i < 3000; ++i) {
    verify::RandomPosition rp = gen.Make(verify::Shape(i % verify::SHAPE_COUNT));
    Position p;
    verify::SetUpRandom(p, rp);
    std::string text = FormatSfen(p, rp.side);
    Position q;
    int side = 0;
    std::string why;
    ASSERT_TRUE(ParseSfen(text, q, side, why)) << text << ": " << why;
    ASSERT_EQ(side, rp.side) << text;
    ASSERT_EQ(std::memcmp(q.Cells, p.Cells, sizeof p.Cells), 0) << text;
    ASSERT_EQ(std::memcmp(q.Motigoma, p.Motigoma, sizeof p.Motigoma), 0) << text;
    ASSERT_EQ(q.ply, p.ply) << text;
    ASSERT_EQ(q.Kyokumen, p.Kyokumen) << text;
    ASSERT_EQ(FormatSfen(q, side), text);
  }
}

TEST_F(VerifySfen, MalformedTextIsRefusedWithAReasonAndNothingChanged) {
  struct Case {
    const char* text;
    const char* reason;
  };
  const Case cases[] = {
      {"", "4 fields"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b -", "4 fields"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1 x", "4 fields"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP b - 1", "8 ranks"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL/9 b - 1", "more than 9 ranks"},
      {"lnsgkgsnl/pppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1", "only 8 squares"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSN b - 1", "only 8 squares"},
      {"lnsgkgsnlp/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1", "off the board"},
      {"lnsgkgsnl/ppppppppp/91/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1", "off the board"},
      {"lnsgkgsnl/ppppppppp/09/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1", "unexpected '0'"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNQ b - 1", "unknown piece letter 'Q'"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSG+KGSNL b - 1", "cannot be promoted"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPP+/LNSGKGSNL b - 1", "'+' not followed"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL B - 1", "side 'B'"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b 19P 1", "more than 18 of 'P'"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b 99999999999r 1", "more than 18"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b 0P 1", "zero count"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b 2P3P 1", "twice"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b k 1", "cannot be held"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b 3 1", "count without a piece"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 0", "move number"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1001", "move number"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - x", "move number"},
      {"lnsg1gsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b - 1", "no ENEMY king"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSG1GSNL b - 1", "no SELF king"},
      {"lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKKSNL b - 1", "more than one SELF king"},
      {"4k4/9/9/9/9/9/9/4r4/4K4 w - 1", "side not to move is in check"},
      {"4k4/9/9/9/9/9/9/4r4/4K4 b - 1", nullptr},  // accepted: the side to move is in check
  };
  for (const Case& c : cases) {
    Position p;
    std::memset(&p, 0x5A, sizeof p);
    Position before = p;
    int side = 77;
    std::string why;
    bool ok = ParseSfen(c.text, p, side, why);
    if (c.reason == nullptr) {
      EXPECT_TRUE(ok) << "'" << c.text << "' refused: " << why;
      continue;
    }
    EXPECT_FALSE(ok) << "'" << c.text << "' was accepted";
    EXPECT_NE(why.find(c.reason), std::string::npos)
        << "'" << c.text << "': reason should mention \"" << c.reason << "\" but is: " << why;
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0) << "'" << c.text << "' changed the position";
    EXPECT_EQ(side, 77) << "'" << c.text << "' changed the side";
  }
}

TEST_F(VerifySfen, SquaresReadAndWriteAsFileDigitAndRankLetter) {
  EXPECT_EQ(ParseUsiSquare("5e"), 0x55);
  EXPECT_EQ(ParseUsiSquare("1a"), 0x11);
  EXPECT_EQ(ParseUsiSquare("9i"), 0x99);
  EXPECT_EQ(FormatUsiSquare(0x76), "7f");
  for (const char* bad : {"", "5", "0a", "5j", "a5", "5e5", "55"})
    EXPECT_EQ(ParseUsiSquare(bad), 0) << "'" << bad << "'";
}

// Promotion is accepted only as the zone rule allows, and only when asked for.
TEST_F(VerifySfen, PromotionFollowsTheZoneRule) {
  struct Case {
    const char* sfen;
    const char* move;
    bool allow;
    const char* reason;  // nullptr: accepted with promote = 1
  };
  const Case cases[] = {
      {"4k4/9/9/4P4/9/9/9/9/4K4 b - 1", "5d5c+", true, nullptr},
      {"4k4/9/9/4P4/9/9/9/9/4K4 b - 1", "5d5c+", false, "not allowed"},
      {"4k4/9/9/4P4/9/9/9/9/4K4 b - 1", "5d5c", true, ""},
      {"4k4/9/9/9/4P4/9/9/9/4K4 b - 1", "5e5d+", true, "promotion zone"},
      {"4k4/9/4S4/9/9/9/9/9/4K4 b - 1", "5c4d+", true, nullptr},  // leaving the zone
      {"4k4/9/9/4G4/9/9/9/9/4K4 b - 1", "5d5c+", true, "gold cannot promote"},
      {"4k4/9/9/4+P4/9/9/9/9/4K4 b - 1", "5d5c+", true, "promoted piece cannot promote"},
      {"4k4/9/9/9/9/9/9/9/4K4 b - 1", "5i5h+", true, "king cannot promote"},
      {"4k4/9/9/9/9/9/9/9/B3K4 b - 1", "9i1a+", true, nullptr},  // bishop into the zone
      {"4k4/9/9/9/9/9/9/9/4K4 b P 1", "P*5c+", true, "malformed"},
      {"4k4/9/9/9/9/9/4p4/9/4K4 w - 1", "5g5h+", true, nullptr},  // second player's zone
      {"4k4/9/9/9/9/4p4/9/9/4K4 w - 1", "5f5g+", true, nullptr},
      {"4k4/9/9/9/4p4/9/9/9/4K4 w - 1", "5e5f+", true, "promotion zone"},
      {"4k4/9/9/9/9/9/9/4P4/4K4 b - 1", "5h5g+", true, "promotion zone"},
      {"k3G4/4P4/9/9/9/9/9/9/4K4 b - 1", "5b5a+", true, "not a legal move"},  // own gold
  };
  for (const Case& c : cases) {
    Position p;
    int side;
    std::string why;
    ASSERT_TRUE(ParseSfen(c.sfen, p, side, why)) << c.sfen << ": " << why;
    Move m;
    bool ok = ParseUsiMove(p, side, c.move, c.allow, m, why);
    if (c.reason == nullptr) {
      ASSERT_TRUE(ok) << c.sfen << " " << c.move << ": " << why;
      EXPECT_EQ(m.promote, 1) << c.sfen << " " << c.move;
      EXPECT_EQ(FormatUsiMove(m), c.move);
    } else if (*c.reason == '\0') {
      ASSERT_TRUE(ok) << c.sfen << " " << c.move << ": " << why;
      EXPECT_EQ(m.promote, 0) << c.sfen << " " << c.move;
    } else {
      EXPECT_FALSE(ok) << c.sfen << " " << c.move << " was accepted";
      EXPECT_NE(why.find(c.reason), std::string::npos)
          << c.sfen << " " << c.move << ": reason should mention \"" << c.reason
          << "\" but is: " << why;
    }
  }
}

// Every generated move reads back from its text as the same move, and no
// other text names a legal move.
TEST_F(VerifySfen, GeneratedMovesReadBackFromTheirText) {
  verify::Generator gen(8);
  for (int i = 0; i < 1500; ++i) {
    verify::RandomPosition rp = gen.Make(verify::Shape(i % verify::SHAPE_COUNT));
    Position p;
    verify::SetUpRandom(p, rp);
    MoveList list;
    int n = GenerateMoves(p, rp.side, list);
    for (int j = 0; j < n; ++j) {
      std::string text = FormatUsiMove(list[j]);
      Move m;
      std::string why;
      ASSERT_TRUE(ParseUsiMove(p, rp.side, text, false, m, why))
          << FormatSfen(p, rp.side) << " " << text << ": " << why;
      ASSERT_EQ(std::memcmp(&m, &list[j], sizeof m), 0) << FormatSfen(p, rp.side) << " " << text;
    }
    // The other side's moves are never legal for the side to move.
    if (n > 0 && !IsDrop(list[0])) {
      Move m;
      std::string why;
      EXPECT_FALSE(ParseUsiMove(p, Opponent(rp.side), FormatUsiMove(list[0]), true, m, why))
          << FormatSfen(p, rp.side);
    }
  }
}

TEST_F(VerifySfen, MalformedMoveTextIsRefused) {
  Position p;
  int side;
  std::string why;
  ASSERT_TRUE(ParseSfen(START_SFEN, p, side, why)) << why;
  for (const char* bad : {"", "7g", "7g7", "7g7f++", "7g7f=", "p*5e", "K*5e", "P*5e+", "7j7f",
                          "0g7f", "7G7F", "P-5e", "7g7f "}) {
    Move m;
    EXPECT_FALSE(ParseUsiMove(p, side, bad, true, m, why)) << "'" << bad << "' accepted";
    EXPECT_NE(why.find("malformed"), std::string::npos) << "'" << bad << "': " << why;
  }
}

// The whole text is the position: a start, then optionally "moves" and
// legal moves; anything else is refused with a reason.
TEST_F(VerifySfen, PositionTextIsReadWholeOrRefused) {
  struct Case {
    std::string text;
    const char* reason;  // null: accepted
    int plies;
  };
  const Case cases[] = {
      {"startpos", nullptr, 0},
      {"startpos moves 7h7g 3b3c", nullptr, 2},
      {std::string("sfen ") + START_SFEN + " moves 7h7g", nullptr, 1},
      {"", "missing position", 0},
      {"midgame", "unknown position", 0},
      {"sfen lnsgkgsnl/ppppppppp/9/9/9/9/9/PPPPPPPPP/LNSGKGSNL b -", "4 fields", 0},
      {"startpos 7h7g", "unexpected '7h7g'", 0},
      {"startpos moves 7h7g 12", "unexpected '12'", 0},
      {"startpos moves 7h7f", "move 1: illegal move", 0},
      {"startpos moves 7h7g 7c7d", "move 2: illegal move", 0},
  };
  for (const Case& c : cases) {
    PositionText out;
    std::string why;
    const bool ok = ParsePositionText(c.text, out, why);
    if (c.reason == nullptr) {
      ASSERT_TRUE(ok) << "'" << c.text << "' refused: " << why;
      EXPECT_EQ(out.moves.size(), size_t(c.plies)) << c.text;
      EXPECT_EQ(out.final.ply, c.plies) << c.text;
      EXPECT_EQ(out.side, c.plies % 2 ? ENEMY : SELF) << c.text;
      EXPECT_EQ(FormatSfen(out.start, out.startSide), START_SFEN) << c.text;
      continue;
    }
    EXPECT_FALSE(ok) << "'" << c.text << "' was accepted";
    EXPECT_NE(why.find(c.reason), std::string::npos)
        << "'" << c.text << "': reason should mention \"" << c.reason << "\" but is: " << why;
  }
}

}  // namespace
