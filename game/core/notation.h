// What the player types at the prompt, read into commands, and the text
// forms of moves in the turn files. Syntax only: whether a move is legal is
// decided against the board (game_state.h) and, finally, by the engine.
#pragma once

#include <string>

#include "position/types.h"

enum class CommandKind {
  Empty,
  Move,
  Buy,
  Help,
  Moves,
  Board,
  History,
  Hint,
  Resign,
  New,
  Quit,
  Invalid
};

struct Command {
  CommandKind kind = CommandKind::Empty;
  // Move: from is a square (0x11..0x99) or 0 for a drop of dropKind (1..7).
  int from = 0;
  int dropKind = 0;
  int to = 0;
  bool promote = false;  // the player asked for promotion ("+" or "*")
  // Buy: the piece kind (1..7) and the points paid of kinds 1, 2 and 3,
  // unless the player left the payment to the program.
  int buyKind = 0;
  int pay[3] = {0, 0, 0};
  bool payGiven = false;
  std::string error;  // Invalid: a one-line explanation
};

// Reads one prompt line. Moves: "7877", "0455" (drop of kind 4 on 5e),
// "7h7g", "S*5e", each optionally followed by "+" (or "*" in the game's
// notation) to ask for promotion. Commands: "buy KIND [A B C]", "help",
// "moves", "board", "history", "hint", "resign", "new", "quit". A word
// without digits is a command, or an unknown one; never a move.
Command ParseCommand(const std::string& line);

// A piece kind named by digit (1..7), USI letter (P L N S G B R), romanised
// name (FU ... HI) or English name; 0 if none.
int ParseKindName(const std::string& word);

// English name of a kind 1..8 ("pawn" ... "king").
const char* KindWord(int kind);
// The name of the piece a board code holds: "pawn", "promoted silver".
std::string PieceWord(int code);
// USI letter of a kind 1..8.
char KindLetter(int kind);

// The human's move as the line written to "$setTe.mvdf": "7776" for a board
// move, "0455" for a drop.
std::string FormatMoveLine(const Move& m);
// The purchase line written to "$setKoma.mvdf": "4211".
std::string FormatPurchaseLine(int kind, const int pay[3]);

// Reads the engine's move from "$enemyTe.mvdf": "3233" (board move) or
// "0155" (drop of kind 1). Returns false for text that names no move.
bool ParseEngineMoveLine(const std::string& text, int& from, int& dropKind, int& to);
