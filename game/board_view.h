// Drawing the game for a terminal: the board with file and rank labels,
// the engine's last move marked, the player's points and bought pieces,
// and the recent moves.
#pragma once

#include <string>

#include "game_state.h"

struct ViewStyle {
  bool fancy = false;  // kanji in two colours; otherwise plain letters
};

// Kanji and colour need a UTF-8 locale and a terminal that is not "dumb";
// NO_COLOR turns them off. The arguments are the environment values
// (LC_ALL, LC_CTYPE, LANG, TERM, NO_COLOR; null when unset).
bool WantsFancy(const char* lcAll, const char* lcCtype, const char* lang, const char* term,
                const char* noColor, bool isTerminal);

std::string RenderBoard(const GameState& game, const ViewStyle& style);
// "you: red 2  green 0  blue 1   bought: silver 1" and the like.
std::string RenderPlayer(const GameState& game, const ViewStyle& style);
// The last plies, numbered: "12. 7g7f 3c3d 13. ..."
std::string RenderMoveList(const GameState& game, size_t lastPlies);
