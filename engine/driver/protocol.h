// The turn-file protocol between the engine and the game program, in one
// vocabulary for both sides: the six files of the turn folder, the
// characters that ask and answer, the results and the point report.
// Names and values only, so the game programs include it without linking
// the engine's driver.
#pragma once

// The turn folder's files.
constexpr char SETUP_NAME[] = "$setup.mvdf";       // request, then answer
constexpr char SET_TE_NAME[] = "$setTe.mvdf";      // the human's move
constexpr char SET_KOMA_NAME[] = "$setKoma.mvdf";  // a purchase to be checked
constexpr char POINTS_NAME[] = "$points.mvdf";     // the point the human's king picked up
constexpr char ENEMY_TE_NAME[] = "$enemyTe.mvdf";  // the engine's move
constexpr char ENEMY_NAME[] = "$enemy.mvdf";       // engine status and game result

// "$setup.mvdf": the game program's requests and the engine's answers.
constexpr char REQUEST_MOVE = '3';      // judge the move in "$setTe.mvdf"
constexpr char REQUEST_PURCHASE = '4';  // judge the purchase in "$setKoma.mvdf"
constexpr char ANSWER_REFUSED = '1';
constexpr char ANSWER_ACCEPTED = '2';

// "$enemy.mvdf": the engine's status, then the game's result.
constexpr char ENGINE_THINKING = '0';  // a move was accepted; the engine's reply follows
constexpr char ENGINE_MOVED = '1';     // the engine's move is in "$enemyTe.mvdf"
constexpr char RESULT_HUMAN_WON = '5';
constexpr char RESULT_ENGINE_WON = '6';
constexpr char RESULT_DRAWN = '7';

// The results as numbers (the character's digit); 0 is no result.
constexpr int HUMAN_WON = RESULT_HUMAN_WON - '0';
constexpr int ENGINE_WON = RESULT_ENGINE_WON - '0';
constexpr int DRAWN = RESULT_DRAWN - '0';

constexpr bool IsResultChar(char c) {
  return c == RESULT_HUMAN_WON || c == RESULT_ENGINE_WON || c == RESULT_DRAWN;
}

// "$points.mvdf" after an accepted move: the point kind (1 red, 2 green,
// 3 blue) the human's king picked up, as a '1' in that kind's place, or
// "000" for none.
constexpr const char* POINT_REPORT[4] = {"000", "100", "010", "001"};

// The kind a report names; 0 for "000" and for text that is no report.
constexpr int PointOfReport(const char* text) {
  for (int kind = 1; kind <= 3; ++kind) {
    const char* r = POINT_REPORT[kind];
    int i = 0;
    while (r[i] && text[i] == r[i]) ++i;
    if (!r[i] && !text[i]) return kind;
  }
  return 0;
}
