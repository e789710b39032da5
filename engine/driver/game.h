// One game of the engine: start-up, the turn loop, the human's and the
// engine's turns, and the game end.
#pragma once

#include "driver/points.h"
#include "driver/turn_files.h"
#include "eval/eval.h"
#include "search/root.h"

// Chooses the engine's move (the root search in the program; tests may
// pass their own).
typedef Move (*MoveSelector)(Move* pv, int side, EvalState e);

// The game's state, owned by the driver for the whole run.
extern EvalState Current;           // the position everything happens on
extern Move LegalMoves[MAX_MOVES];  // legal moves of the side to move
extern int LegalCount;
extern Move SearchBuffer[PV_SIZE * PV_SIZE];
extern int SideToMove;

// The engine's choice for position e with the points held: the move of
// the plain position, or of a position holding one bought piece when that
// search returned a strictly lower score.
struct EngineChoice {
  Move move;  // the empty move if every search came back empty
  int kind;   // the kind to buy, 0 for none
  int payment[POINT_KINDS];
};
EngineChoice ChooseEngineMove(MoveSelector select, const EvalState& e,
                              const int points[POINT_KINDS]);

// What a turn, or one look at the request file, came to.
enum TurnOutcome {
  MOVE_CHOSEN,       // a move to make
  NO_MOVE,           // the engine found no move to play
  EXIT_UNANSWERED,   // a move line without two numbers: the engine stops
  EXIT_GIVE_UP,      // the game program or its turn folder is gone, or an
                     // answer could not be written: the engine stops
  MOVE_REJECTED,     // a move request was answered "1"
  REQUEST_ANSWERED,  // a rejected move or a purchase was answered
  NO_REQUEST,        // the request file is missing, empty or holds no request
};

// Decodes a human move line for SELF and looks it up in LegalMoves; on
// success m is the listed move. A drop's piece is added to SELF's hand
// first, as the list was made with the hand the human may drop from.
// Origins and destinations that are no square match nothing and read
// nothing outside the board.
bool DecodeHumanMove(const MoveLine& line, Move& m);

// One look at "$setup.mvdf" during the human's turn: a move request is
// read, answered and, when legal, yields MOVE_CHOSEN with the move; a
// purchase request is answered.
TurnOutcome PollHumanRequest(Move& move);

// Start-up: hash keys, the current and the book start position, the
// evaluation, the point grid (generator seeded with seed) and the engine's
// points; SELF to move with one piece of each kind in hand.
void StartUp(unsigned seed);

// Starts from a given position instead (tests); SELF gets one piece of
// each kind in hand when it is to move.
void BeginGame(const EvalState& e, int side);

// Plays the game to its end and returns the exit status.
int PlayGame(MoveSelector select);

// The outcome of a game end.
struct GameResult {
  char code;   // RESULT_HUMAN_WON, RESULT_ENGINE_WON or RESULT_DRAWN (driver/protocol.h)
  int status;  // exit status
};

// S is the side with no legal move, or with repetition the side that made
// the last move; key is the current position key at ply p.
GameResult DecideResult(int S, bool repetition, int p, HashKey key);

// How often the current key occurs at plies p, p - 2, ... above 0.
int CountRepetitions(int p, HashKey key);
