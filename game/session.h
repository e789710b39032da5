// One game against the engine, from the fresh turn files to the result.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "board_view.h"
#include "game_state.h"
#include "game_tree.h"

struct GameEnd {
  int result = 0;        // 5 won, 6 lost, 7 drawn; 0 when none was reached
  bool quit = false;     // the player left the game
  std::string problem;   // why the game broke off, when it did
  std::string note;      // how the game ended, when the engine did not say
  GameState game;        // the game as played
};

struct SessionIo {
  std::ostream* out = nullptr;
  ViewStyle style;
  bool live = false;  // a terminal: redraw the board, show the thinking indicator
  // Supplies the player's next line; false at end of input.
  std::function<bool(const GameState&, std::string&)> nextLine;
};

GameEnd PlayGame(const GameTree& tree, SessionIo& io);

// The result as the player reads it.
std::string ResultSentence(int result);
