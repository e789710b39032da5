// The turn loop of one game.
#include "driver/game.h"

#include <cstring>

#include "book/book.h"
#include "driver/folder_watch.h"
#include "driver/parent.h"
#include "driver/points.h"
#include "driver/turn_files.h"
#include "position/keys.h"
#include "position/movegen.h"
#include "position/position.h"

EvalState Current;
Move LegalMoves[MAX_MOVES];
int LegalCount;
Move SearchBuffer[PV_SIZE * PV_SIZE];
int SideToMove;

namespace {

// The last ply a game may reach: the histories hold 1000 plies.
constexpr int LAST_PLY = GAME_PLY_LIMIT - 1;

bool SameMove(const Move& a, const Move& b) {
  return a.from == b.from && a.to == b.to && a.piece == b.piece && a.promote == b.promote;
}

}  // namespace

bool DecodeHumanMove(const MoveLine& line, Move& m) {
  m = Move{};
  if (line.origin < 8) {
    AddHandPiece(line.origin, Current.pos, SELF);
    m.from = 0;
    m.piece = static_cast<uint8_t>(SELF + line.origin);
  } else {
    // An origin that is no square names no move; the board is not read.
    if (!IsSquare(line.origin)) return false;
    m.from = static_cast<uint8_t>(line.origin);
    m.piece = Current.pos.Ban(line.origin);
  }
  if (!IsSquare(line.dest)) return false;
  m.to = static_cast<uint8_t>(line.dest);
  m.capture = Current.pos.Ban(line.dest);
  m.promote = line.mark == '*' ? 1 : 0;
  for (int i = 0; i < LegalCount; ++i) {
    if (SameMove(LegalMoves[i], m)) {
      m = LegalMoves[i];
      return true;
    }
  }
  return false;
}

namespace {

// A move request: the setup file is open and its request read.
TurnOutcome AnswerMoveRequest(std::FILE* setup, Move& move) {
  char text[TURN_LINE_CHARS + 1];
  std::FILE* f = OpenTurnFile(SET_TE_FILE);
  bool have = ReadTurnLine(f, text);
  bool legal = false;
  if (have) {
    MoveLine line = ScanMoveLine(text);
    if (line.numbers < 2) {  // the engine stops without a word
      std::fclose(f);
      std::fclose(setup);
      return EXIT_UNANSWERED;
    }
    legal = DecodeHumanMove(line, move);
  }
  if (f) std::fclose(f);
  std::fclose(setup);
  if (!WriteTurnChar(ENEMY_FILE, ENGINE_THINKING)) return EXIT_GIVE_UP;
  std::FILE* answer = CreateTurnFile(SETUP_FILE);
  if (!answer) return EXIT_GIVE_UP;
  bool written = !legal || WriteTurnFile(POINTS_FILE, HumanPickUp(move.piece, move.to));
  written = written && std::fputc(legal ? ANSWER_ACCEPTED : ANSWER_REFUSED, answer) != EOF;
  if (std::fclose(answer) != 0 || !written) return EXIT_GIVE_UP;
  return legal ? MOVE_CHOSEN : MOVE_REJECTED;
}

// A purchase request: judges the purchase line; nothing else changes.
TurnOutcome AnswerPurchaseRequest(std::FILE* setup) {
  char text[TURN_LINE_CHARS + 1];
  std::FILE* f = OpenTurnFile(SET_KOMA_FILE);
  bool accepted = ReadTurnLine(f, text) && CheckPurchase(text);
  if (f) std::fclose(f);
  std::fclose(setup);
  return WriteTurnChar(SETUP_FILE, accepted ? ANSWER_ACCEPTED : ANSWER_REFUSED) ? REQUEST_ANSWERED
                                                                                : EXIT_GIVE_UP;
}

// Sleeps until a turn file changes and looks at the request file again,
// until a legal move arrives; a request that was just answered is followed
// by the next look at once. The watch is set before the first look, so a
// request written in between still wakes the sleep.
TurnOutcome HumanTurn(Move& move) {
  FolderWatch watch;
  OpenFolderWatch(watch, TURN_FOLDER);
  watch.also = ParentHandle();
  TurnOutcome t;
  for (;;) {
    // Nobody will ask again once the game program or its folder is gone.
    if (ParentEnded() || !FolderExists(TURN_FOLDER)) {
      t = EXIT_GIVE_UP;
      break;
    }
    t = PollHumanRequest(move);
    if (t != NO_REQUEST && t != REQUEST_ANSWERED) break;
    if (t == NO_REQUEST) WaitFolderChange(watch, SAFETY_POLL_MS);
  }
  CloseFolderWatch(watch);
  return t;
}

// The engine's turn: chooses, pays, writes the move and picks up.
TurnOutcome EngineTurn(MoveSelector select, Move& move) {
  EngineChoice c = ChooseEngineMove(select, Current, EnginePoints);
  if (IsEmptyMove(c.move)) return NO_MOVE;
  if (c.kind) {
    for (int i = 0; i < POINT_KINDS; ++i) EnginePoints[i] -= c.payment[i];
    AddHandPiece(c.kind, Current.pos, ENEMY);
  }
  move = c.move;
  char text[8];
  FormatEngineMove(move, text);
  if (!WriteTurnFile(ENEMY_TE_FILE, text)) return EXIT_GIVE_UP;
  EnginePickUp(move.piece, move.to);
  return WriteTurnChar(ENEMY_FILE, ENGINE_MOVED) ? MOVE_CHOSEN : EXIT_GIVE_UP;
}

int EndGame(int S, bool repetition) {
  GameResult r = DecideResult(S, repetition, Current.pos.ply, Current.pos.Kyokumen);
  return WriteTurnChar(ENEMY_FILE, r.code) ? r.status : 1;
}

}  // namespace

TurnOutcome PollHumanRequest(Move& move) {
  std::FILE* setup = OpenTurnFile(SETUP_FILE);
  if (!setup) return NO_REQUEST;
  int c = std::fgetc(setup);
  if (c == REQUEST_MOVE) {
    TurnOutcome t = AnswerMoveRequest(setup, move);
    return t == MOVE_REJECTED ? REQUEST_ANSWERED : t;
  }
  if (c == REQUEST_PURCHASE) return AnswerPurchaseRequest(setup);
  std::fclose(setup);
  return NO_REQUEST;
}

EngineChoice ChooseEngineMove(MoveSelector select, const EvalState& e,
                              const int points[POINT_KINDS]) {
  static EvalState bought;
  EngineChoice c = {select(SearchBuffer, ENEMY, e), 0, {0, 0, 0}};
  // The engine never plays an empty move: an empty result takes no part in
  // the comparison, and a turn where every search came back empty ends the
  // game as if the engine had no legal move.
  bool haveBest = !IsEmptyMove(c.move);
  for (int kind = FU; kind <= HI; ++kind) {
    int pay[POINT_KINDS];
    if (!FindPayment(kind, points, pay)) continue;
    bought = e;
    AddHandPiece(kind, bought.pos, ENEMY);
    Move m = select(SearchBuffer, ENEMY, bought);
    if (IsEmptyMove(m)) continue;
    if (!haveBest || m.score < c.move.score) {
      c.move = m;
      c.kind = kind;
      std::memcpy(c.payment, pay, sizeof pay);
      haveBest = true;
    }
  }
  return c;
}

void StartUp(unsigned seed) {
  InitHashKeys();
  SetUpStartPosition(Current.pos);
  RecomputePhases(Current);
  RecomputeKingSums(Current);
  BuildKingTables();
  SetUpStartPosition(BookStartPosition);
  InitEvaluation(Current);
  Rand15Seed(seed);
  FillPointGrid();
  for (int& points : EnginePoints) points = 0;
  SideToMove = SELF;
  FillHand(1, Current.pos, SELF);
}

void BeginGame(const EvalState& e, int side) {
  Current = e;
  SideToMove = side;
  if (side == SELF) FillHand(1, Current.pos, SELF);
}

int PlayGame(MoveSelector select) {
  LegalCount = GenerateMoves(Current.pos, SideToMove, LegalMoves);
  if (LegalCount == 0) return EndGame(SideToMove, false);
  for (;;) {
    FillHand(0, Current.pos, SideToMove);
    SelectCastleTables(Current);
    Move move;
    TurnOutcome t = SideToMove == SELF ? HumanTurn(move) : EngineTurn(select, move);
    if (t == EXIT_UNANSWERED || t == EXIT_GIVE_UP) return 1;
    if (t == NO_MOVE) return EndGame(SideToMove, false);

    MakeMoveEval(Current, SideToMove, move);
    if (CountRepetitions(Current.pos.ply, Current.pos.Kyokumen) >= 4)
      return EndGame(SideToMove, true);

    SideToMove = Opponent(SideToMove);
    if (SideToMove == SELF) FillHand(1, Current.pos, SELF);
    LegalCount = GenerateMoves(Current.pos, SideToMove, LegalMoves);
    if (LegalCount == 0) return EndGame(SideToMove, false);
    // The histories end here: a game that lasts this long is a draw.
    if (Current.pos.ply >= LAST_PLY) {
      return WriteTurnChar(ENEMY_FILE, RESULT_DRAWN) ? 0 : 1;
    }
  }
}

int CountRepetitions(int p, HashKey key) {
  int count = 0;
  for (int i = p; i > 0; i -= 2)
    if (KeyHistory[i] == key) ++count;
  return count;
}

GameResult DecideResult(int S, bool repetition, int p, HashKey key) {
  if (!repetition) return {S == SELF ? RESULT_ENGINE_WON : RESULT_HUMAN_WON, 0};
  if (CheckHistory[p]) {
    // Every move of S in the cycle gave check: S loses.
    int count = 0;
    for (int i = p; i > 0 && CheckHistory[i] && count < 4; i -= 2)
      if (KeyHistory[i] == key) ++count;
    if (count == 4) return {S == SELF ? RESULT_ENGINE_WON : RESULT_HUMAN_WON, 0};
    return {RESULT_DRAWN, 0};
  }
  if (p >= 1 && CheckHistory[p - 1]) {
    // The other side checked with every move of the cycle: it loses.
    int count = 0;
    for (int i = p; i > 0 && CheckHistory[i - 1] && count < 4; i -= 2)
      if (KeyHistory[i] == key) ++count;
    if (count == 4) return {S == SELF ? RESULT_HUMAN_WON : RESULT_ENGINE_WON, 1};
    return {RESULT_DRAWN, 0};
  }
  return {RESULT_DRAWN, 0};
}
