// Text forms of positions and moves: SFEN and USI move notation, as the
// shogi world writes them. Used by the developer tools, the tests and the
// terminal game; the engine proper never parses text.
#pragma once

#include <string>

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
