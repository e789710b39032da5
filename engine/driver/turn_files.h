// The six turn files shared with the game program, in "../save_data/"
// relative to the engine's working folder.
#pragma once

#include <cstdio>

#include "position/types.h"

extern const char* const SETUP_FILE;     // requests "3"/"4", answers "1"/"2"
extern const char* const SET_TE_FILE;    // the human's move
extern const char* const SET_KOMA_FILE;  // a purchase to be checked
extern const char* const POINTS_FILE;    // the point the human's king picked up
extern const char* const ENEMY_TE_FILE;  // the engine's move
extern const char* const ENEMY_FILE;     // engine status and game result

constexpr int TURN_LINE_CHARS = 79;  // the engine reads at most this much of a line

// A short pause between polls and between attempts to create a file.
void PollPause();
// The pause after the idle-th poll in a row that found no request: 1 ms
// while a request is likely soon (just after an answer), then 4 ms, which
// keeps an idle engine well under 2 % of a core and still answers a request
// within a few milliseconds.
void IdlePollPause(long idle);

// Opens path for reading in text mode; null if it cannot be opened.
std::FILE* OpenTurnFile(const char* path);
// Reads the first line (at most 79 characters) of an open file into line;
// false if the file has no characters at all.
bool ReadTurnLine(std::FILE* f, char line[TURN_LINE_CHARS + 1]);
// Creates (or truncates) path for writing, retrying until it succeeds.
std::FILE* CreateTurnFile(const char* path);
// Creates path, writes text with no line terminator and closes it.
void WriteTurnFile(const char* path, const char* text);

// What a human move line holds: up to two hexadecimal fields of at most
// two digits each, then an optional non-blank mark character.
struct MoveLine {
  int numbers;  // fields read: 0, 1 or 2
  int origin;   // 0..255
  int dest;     // 0..255
  char mark;    // 0 if none
};
MoveLine ScanMoveLine(const char* line);

// The engine's move as the game program reads it: "%2x%2x" for a board
// move, "0%1d%2x" for a drop (kind, destination).
void FormatEngineMove(const Move& m, char text[8]);
