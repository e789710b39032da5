// The player's saved data, plain text in the tree's "savedata" folder:
// "games.txt" gets one line per game, "score.txt" the running totals.
#pragma once

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

// Appends the game's record line (game_record.h) to games.txt and, for a
// finished game (HUMAN_WON, ENGINE_WON or DRAWN) that counts (not a demonstration),
// counts it in score.txt; totals are the totals afterwards. Creates the
// folder when needed.
bool RecordGame(const std::string& folder, const std::string& record, int result, bool counts,
                Score& totals, std::string& why);
