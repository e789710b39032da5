// The player's saved data, plain text in the tree's "savedata" folder:
// "games.txt" gets one line per game, "score.txt" the running totals.
#pragma once

#include <ctime>
#include <string>

struct Score {
  int won = 0;
  int lost = 0;
  int drawn = 0;
};

// Reads "won N", "lost N", "drawn N" lines; a missing file is all zeros.
// False (with a reason) when the file exists but cannot be read as totals,
// so that it is never overwritten with wrong numbers.
bool LoadScore(const std::string& path, Score& score, std::string& why);
// Writes the totals through a temporary file, so a failure leaves the old
// file whole.
bool SaveScore(const std::string& path, const Score& score, std::string& why);

// "2026-12-08 17:40:12 won startpos moves 7g7f 3c3d ..." for one game.
std::string GameRecordLine(std::time_t when, const std::string& result, const std::string& moves);

// Appends the game to games.txt and, for a finished game (result 5, 6 or
// 7), counts it in score.txt. Creates the folder when needed.
bool RecordGame(const std::string& folder, std::time_t when, int result, const std::string& moves,
                Score& totals, std::string& why);
