// The six turn files shared with the game program (driver/protocol.h), in
// "../save_data/" relative to the engine's working folder.
#pragma once

#include <cstdio>

#include "driver/protocol.h"
#include "position/types.h"

extern const char* const SETUP_FILE;     // requests "3"/"4", answers "1"/"2"
extern const char* const SET_TE_FILE;    // the human's move
extern const char* const SET_KOMA_FILE;  // a purchase to be checked
extern const char* const POINTS_FILE;    // the point the human's king picked up
extern const char* const ENEMY_TE_FILE;  // the engine's move
extern const char* const ENEMY_FILE;     // engine status and game result

extern const char* const TURN_FOLDER;  // "../save_data" itself

constexpr int TURN_LINE_CHARS = 79;  // the engine reads at most this much of a line

// While the human thinks the engine sleeps until a file of the turn folder
// changes; this slow look catches what no notification reports.
constexpr int SAFETY_POLL_MS = 100;
// How long a turn file that cannot be created is retried before the
// engine gives up.
constexpr int WRITE_RETRY_MS = 10000;

// Opens path for reading in text mode; null if it cannot be opened or is
// no regular file (a FIFO or a folder counts as missing; opening never
// blocks).
std::FILE* OpenTurnFile(const char* path);
// Reads the first line (at most 79 characters) of an open file into line;
// false if the file has no characters at all.
bool ReadTurnLine(std::FILE* f, char line[TURN_LINE_CHARS + 1]);
// Creates (or truncates) path for writing, retrying for WRITE_RETRY_MS;
// null when it still cannot be created, at once when the turn folder is
// gone or the game program has ended (nothing is written then).
std::FILE* CreateTurnFile(const char* path);
// Creates path, writes text with no line terminator and closes it; false
// when that could not be done.
bool WriteTurnFile(const char* path, const char* text);
// The same for a file of one character (a request's answer, a status, a
// result).
bool WriteTurnChar(const char* path, char c);

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
