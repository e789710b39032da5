// One game against the engine, from the fresh turn files to the result.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "board_view.h"
#include "game_folders.h"
#include "game_record.h"
#include "game_state.h"

struct GameEnd {
  GameOutcome outcome;  // result 0: unfinished (see how)
  bool again = false;   // the player asked for a new game at once
  std::string problem;  // why the game broke off, when it did
  GameState game;       // the game as played
};

struct SessionIo {
  std::ostream* out = nullptr;
  ViewStyle style;
  bool live = false;  // a terminal: redraw the board, show the thinking indicator
  // Supplies the player's next line; false at end of input.
  std::function<bool(const GameState&, std::string&)> nextLine;
  // Whether the program was asked to stop; the game then ends unfinished.
  std::function<bool()> interrupted = [] { return false; };
};

// Plays one game at the terminal, through the shared turn flow (match.h).
GameEnd PlaySession(const GameFolders& folders, SessionIo& io);

// The variant's rules in three lines, for a new player.
const char* RulesSummary();

// The result screen: the final board with the last move marked, who won
// and how, and the game's length.
std::string ResultScreen(const GameEnd& end, const ViewStyle& style);

// text as one message line: indented, ending in a full stop unless it
// already ends a sentence.
std::string Message(const std::string& text);

// The bare result as the player reads it (HUMAN_WON, ENGINE_WON, DRAWN).
std::string ResultSentence(int result);
