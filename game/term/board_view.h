// Drawing the game for a terminal: the board with file and rank labels,
// the last move marked, which pieces are whose, the player's points and
// bought pieces, and the recent moves.
#pragma once

#include <string>
#include <vector>

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
// One line: which pieces are whose and how the last move is marked.
std::string RenderLegend(const ViewStyle& style);
// "you: red 2  green 0  blue 1   bought: silver 1" and the like.
std::string RenderPlayer(const GameState& game, const ViewStyle& style);
// units joined by blanks after label, in lines of at most width columns
// (0: one line), broken only between units, the later lines indented as
// far as the label; each line ends with "\n". "" without units.
std::string WrapUnits(const std::string& label, const std::vector<std::string>& units,
                      size_t width);

// The last plies, numbered: "12. 7g7f 3c3d 13. ...", wrapped as by
// WrapUnits; a number stays with its move.
std::string RenderMoveList(const GameState& game, size_t lastPlies, const std::string& label = "",
                           size_t width = 0);
