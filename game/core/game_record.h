// How a game ended, and the game's record in games.txt: one line that
// replays. After the date, the result and how it came about, the moves
// from the start position in USI, with the purchases where they happened
// and the points the player's king picked up:
//
//   2026-12-09 03:12:45 lost mate startpos moves 5i5h point red 3b3c
//     buy P 1 0 0 P*5e ... buy G G*5h
//
// "buy K A B C" is the player's purchase of kind K (P L N S G B R) for A
// red, B green and C blue points; "buy K" the engine's (its points are
// hidden); "point red|green|blue" follows a move of the player's king that
// picked one up. A demonstration game carries "demo" before "startpos".
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "driver/protocol.h"
#include "game_state.h"

enum class Ending {
  None,            // not over, or an older record that does not say
  Mate,            // the side to move is in check and has no legal move
  NoMove,          // the side to move has no legal move, not in check
  Repetition,      // a position came a fourth time: drawn
  PerpetualCheck,  // ... reached by checks of one side, which lost
  LengthLimit,     // the game reached the engine's length limit: drawn
  Stuck,           // the player's only answers are drops no points can buy
  Resigned,        // the player resigned (also by starting a new game)
  Quit,            // the player left the game unfinished
  Interrupted,     // the program was stopped: Ctrl-C, a closed terminal, a kill
  BrokenOff,       // the engine stopped or the turn files failed
};

struct GameOutcome {
  int result = 0;  // HUMAN_WON, ENGINE_WON, DRAWN (driver/protocol.h), 0 unfinished
  Ending how = Ending::None;
};

// The end the engine's rules reach on this board, for the side to move
// (a fourfold repetition first, as the engine tests it), or the player
// being stuck; result 0 when the game goes on.
GameOutcome JudgeBoard(const GameState& game);

// The engine's result (HUMAN_WON, ENGINE_WON or DRAWN) with how it came about, when the board
// shows the same result; 0 (no result) is a game that broke off.
GameOutcome EngineOutcome(int result, const GameState& game);

// The record's word for how ("mate", "no-move", ...); "" for None.
const char* EndingWord(Ending how);
// The result as the player reads it: "You won: Mirqmind is checkmated."
std::string OutcomeSentence(const GameOutcome& outcome);

// The move as the record and the history write it: USI, with "+" for an
// engine book move that promoted.
std::string RecordedMove(const PlayedMove& pm);
// The move in both notations, "7h7g (7877)", as the programs show it.
std::string DescribeMove(const PlayedMove& pm);
std::string DescribeMove(const Move& m);
// A purchase as the record writes it: "buy S 2 1 1" for the player's,
// "buy S" for the engine's.
std::string PurchaseWords(const Purchase& p);
// The game's events in order as record tokens ("5i5h", "point red",
// "buy S 2 1 1", ...), one string each.
std::vector<std::string> RecordEvents(const GameState& game);

std::string FormatGameRecord(std::time_t when, const GameState& game, const GameOutcome& outcome,
                             bool demo);

struct GameRecord {
  std::string when;  // "2026-12-09 03:12:45"
  int result = 0;
  Ending how = Ending::None;
  bool demo = false;
  std::vector<std::string> words;  // everything after "moves", split at blanks
};

// False, with a reason, for a line that is not a record.
bool ParseGameRecord(const std::string& line, GameRecord& out, std::string& why);

// The end a replayed record reaches: the board's, or where the board
// shows none, the record's own if it is one a board cannot show (resigned,
// quit, interrupted, broken off).
GameOutcome ReachedOutcome(const GameRecord& record, const GameState& replayed);

// Plays the record from the start position on game. False, with the place
// and the reason, when something in it does not fit the game so far.
bool ReplayGameRecord(const GameRecord& record, GameState& game, std::string& why);
