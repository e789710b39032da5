// Reading what the player types, and the move lines of the turn files.
#include "notation.h"

#include <gtest/gtest.h>

namespace {

Command Parsed(const std::string& line) {
  return ParseCommand(line);
}

TEST(PlayerInput, GameNotationNamesOriginAndDestinationByDigits) {
  Command c = Parsed("7776");
  ASSERT_EQ(c.kind, CommandKind::Move) << c.error;
  EXPECT_EQ(c.from, 0x77);
  EXPECT_EQ(c.to, 0x76);
  EXPECT_FALSE(c.promote);

  c = Parsed("  0455 ");
  ASSERT_EQ(c.kind, CommandKind::Move) << c.error;
  EXPECT_EQ(c.from, 0) << "0455 is a drop";
  EXPECT_EQ(c.dropKind, GI);
  EXPECT_EQ(c.to, 0x55);
}

TEST(PlayerInput, UsiNotationReadsTheSameMoves) {
  Command c = Parsed("7g7f");
  ASSERT_EQ(c.kind, CommandKind::Move) << c.error;
  EXPECT_EQ(c.from, 0x77);
  EXPECT_EQ(c.to, 0x76);

  for (const char* text : {"S*5e", "s*5e"}) {
    c = Parsed(text);
    ASSERT_EQ(c.kind, CommandKind::Move) << text << ": " << c.error;
    EXPECT_EQ(c.dropKind, GI) << text;
    EXPECT_EQ(c.to, 0x55) << text;
  }
  c = Parsed("R*1i");
  EXPECT_EQ(c.dropKind, HI);
  EXPECT_EQ(c.to, 0x19);
}

TEST(PlayerInput, PromotionMarksAreRecognisedInBothNotations) {
  EXPECT_TRUE(Parsed("2324*").promote);
  EXPECT_TRUE(Parsed("2324+").promote);
  EXPECT_TRUE(Parsed("2b2c+").promote);
  EXPECT_FALSE(Parsed("2b2c").promote);
}

TEST(PlayerInput, MalformedMovesGetAnExplanationNotAMove) {
  for (const char* text : {"7770", "0855", "0055", "7g7z", "7g0f", "X*5e", "K*5e", "77", "77766",
                           "hello", "7g 7f", "0j55", "7767x"}) {
    Command c = Parsed(text);
    EXPECT_EQ(c.kind, CommandKind::Invalid) << "'" << text << "' was taken as a command";
    EXPECT_FALSE(c.error.empty()) << "'" << text << "' got no explanation";
    EXPECT_EQ(c.error.find('\n'), std::string::npos)
        << "explanation of '" << text << "' spans lines";
  }
}

TEST(PlayerInput, WordCommandsAndEmptyLines) {
  EXPECT_EQ(Parsed("").kind, CommandKind::Empty);
  EXPECT_EQ(Parsed("   \t").kind, CommandKind::Empty);
  EXPECT_EQ(Parsed("help").kind, CommandKind::Help);
  EXPECT_EQ(Parsed("?").kind, CommandKind::Help);
  EXPECT_EQ(Parsed("MOVES").kind, CommandKind::Moves);
  EXPECT_EQ(Parsed("board").kind, CommandKind::Board);
  EXPECT_EQ(Parsed("quit").kind, CommandKind::Quit);
  EXPECT_EQ(Parsed("q").kind, CommandKind::Quit);
  EXPECT_EQ(Parsed("quit now").kind, CommandKind::Invalid);
  EXPECT_EQ(Parsed("history").kind, CommandKind::History);
  EXPECT_EQ(Parsed("hint").kind, CommandKind::Hint);
  EXPECT_EQ(Parsed("resign").kind, CommandKind::Resign);
  EXPECT_EQ(Parsed("new").kind, CommandKind::New);
}

TEST(PlayerInput, WordsAreCommandsOrUnknownCommandsNeverMoves) {
  // Four letters would fit a USI move's length.
  for (const char* text : {"undo", "save", "Undo", "hello"}) {
    Command c = Parsed(text);
    EXPECT_EQ(c.kind, CommandKind::Invalid) << text;
    EXPECT_NE(c.error.find("unknown command '" + std::string(text) + "'"), std::string::npos)
        << text << ": " << c.error;
  }
}

TEST(PlayerInput, BuyNamesThePieceAndThreePayments) {
  for (const char* text : {"buy G 3 1 0", "buy 5 3 1 0", "BUY ki 3 1 0", "buy gold 3 1 0"}) {
    Command c = Parsed(text);
    ASSERT_EQ(c.kind, CommandKind::Buy) << text << ": " << c.error;
    EXPECT_EQ(c.buyKind, KI) << text;
    EXPECT_EQ(c.pay[0], 3);
    EXPECT_EQ(c.pay[1], 1);
    EXPECT_EQ(c.pay[2], 0);
  }
  Command c = Parsed("buy G");
  EXPECT_EQ(c.kind, CommandKind::Buy) << c.error;
  EXPECT_FALSE(c.payGiven) << "the payment was not left to the program";
  for (const char* text : {"buy", "buy G 3 1", "buy G 3 1 0 0", "buy K 1 0 0", "buy 8 1 0 0",
                           "buy 0 1 0 0", "buy P 10 0 0", "buy P -1 0 0", "buy P a 0 0"}) {
    Command c = Parsed(text);
    EXPECT_EQ(c.kind, CommandKind::Invalid) << "'" << text << "' was accepted";
    EXPECT_FALSE(c.error.empty()) << text;
  }
}

TEST(TurnFileText, PlayerMoveLinesUseTwoDigitsPerField) {
  Move board{0x77, 0x76, SFU, EMP, 0, 0, 0};
  EXPECT_EQ(FormatMoveLine(board), "7776");
  Move drop{0, 0x55, SGI, EMP, 0, 0, 0};
  EXPECT_EQ(FormatMoveLine(drop), "0455");
  Move corner{0x19, 0x11, SKY, EMP, 0, 0, 0};
  EXPECT_EQ(FormatMoveLine(corner), "1911");
  const int pay[3] = {2, 1, 1};
  EXPECT_EQ(FormatPurchaseLine(GI, pay), "4211");
}

TEST(TurnFileText, EngineMoveLinesAreBoardMovesOrDrops) {
  int from = -1, kind = -1, to = -1;
  ASSERT_TRUE(ParseEngineMoveLine("3233", from, kind, to));
  EXPECT_EQ(from, 0x32);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(to, 0x33);
  ASSERT_TRUE(ParseEngineMoveLine("0155", from, kind, to));
  EXPECT_EQ(from, 0);
  EXPECT_EQ(kind, FU);
  EXPECT_EQ(to, 0x55);
  for (const char* bad : {"", "323", "3a33", "0855", "0055", "3230", "zz33", "0fff"})
    EXPECT_FALSE(ParseEngineMoveLine(bad, from, kind, to)) << "'" << bad << "' read as a move";
}

TEST(TurnFileText, KindNamesInEveryForm) {
  EXPECT_EQ(ParseKindName("p"), FU);
  EXPECT_EQ(ParseKindName("L"), KY);
  EXPECT_EQ(ParseKindName("knight"), KE);
  EXPECT_EQ(ParseKindName("GI"), GI);
  EXPECT_EQ(ParseKindName("6"), KA);
  EXPECT_EQ(ParseKindName("rook"), HI);
  EXPECT_EQ(ParseKindName("k"), 0) << "kings are not sold";
  EXPECT_EQ(ParseKindName("8"), 0);
}

}  // namespace
