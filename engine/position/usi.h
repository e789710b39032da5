// Text forms of positions and moves: SFEN and USI move notation, as the
// shogi world writes them. Used by the developer tools, the tests and the
// terminal game; the engine proper never parses text.
#pragma once

#include <string>
#include <vector>

#include "position/types.h"

// "7g7f", "7g7f+", "P*5e". Returns false (with a reason) for bad text.
// The move is checked for legality of side in p: a generated move, or, with
// allowPromotion, the same move promoting where the piece may promote.
bool ParseUsiMove(const Position& p, int side, const std::string& text, bool allowPromotion,
                  Move& out, std::string& why);
std::string FormatUsiMove(const Move& m);

// "5e" <-> square; returns 0 for bad text.
int ParseUsiSquare(const std::string& text);
std::string FormatUsiSquare(int sq);

// Parses "BOARD SIDE HANDS MOVENUMBER" into a set-up Position (ply =
// MOVENUMBER - 1) and the side to move. Refuses malformed text, more than
// 18 of a kind in hand and a missing king.
bool ParseSfen(const std::string& sfen, Position& p, int& side, std::string& why);
std::string FormatSfen(const Position& p, int side);

// A position text: "startpos [moves M1 M2 ...]" or
// "sfen BOARD SIDE HANDS MOVENUMBER [moves M1 M2 ...]". The moves are checked
// legal in order for alternating sides; callers replay them with the
// make-move they need.
struct PositionText {
  Position start;
  int startSide;
  std::vector<Move> moves;
  Position final;  // start with the moves made by plain make-move
  int side;        // side to move in final
};

// Reads words[pos..] as a position text. The SFEN fields come as four words
// or as one word holding all four; the move list ends at the last word or at
// the first plain integer (a command's own number, such as a depth). On
// success next is the index of the first word after it.
bool ParsePositionWords(const std::vector<std::string>& words, size_t pos, PositionText& out,
                        size_t& next, std::string& why);
// The whole of text as a position text; anything after it is refused.
bool ParsePositionText(const std::string& text, PositionText& out, std::string& why);
