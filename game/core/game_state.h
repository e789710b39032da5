// The game program's own copy of the game: the board as the engine plays
// it, the player's points and bought pieces, and the moves so far. It
// follows the engine's hand bookkeeping step by step, so that the legal
// moves it lists are the ones the engine will accept; the engine's answer
// still decides every move and purchase.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "notation.h"
#include "position/types.h"

struct PlayedMove {
  Move move;
  int side;               // SELF or ENEMY
  int point = 0;          // the point kind (1..3) the player's king picked up, else 0
  bool promotes = false;  // an engine book move that promoted the piece on its way
};

// A piece bought. The player's payment is known; of the engine's only the
// price, since its points are hidden.
struct Purchase {
  size_t beforeMove;  // bought before History()[beforeMove] was played
  int side;           // SELF or ENEMY
  int kind;
  int pay[3];  // the player's points paid; all 0 for the engine
};

class GameState {
 public:
  GameState();

  // Back to the start position with no points and nothing bought.
  void Reset();
  // A game from an SFEN position with the player to move and empty hands,
  // for tests and demonstrations of particular positions.
  bool Load(const std::string& sfen, std::string& why);

  const Position& Board() const { return pos_; }
  int Bought(int kind) const { return bought_[kind]; }
  int Points(int pointKind) const { return points_[pointKind - 1]; }
  const std::vector<PlayedMove>& History() const { return history_; }
  const std::vector<Purchase>& Purchases() const { return purchases_; }
  const PlayedMove* LastMove() const { return history_.empty() ? nullptr : &history_.back(); }
  int SideToMove() const {
    return history_.empty() || history_.back().side == ENEMY ? SELF : ENEMY;
  }
  bool InCheck(int side) const;

  // The player's legal moves now: board moves, and drops of bought kinds.
  std::vector<Move> LegalMoves() const;

  // Turns a typed move into the legal move it names, or explains in one
  // line why the engine would refuse it.
  bool CheckMove(const Command& c, Move& out, std::string& why) const;

  // The engine adds a piece to the player's hand for every drop request it
  // reads, accepted or not; the copy does the same.
  void NoteMoveRequest(const Move& m);

  // The engine accepted m; report is the "$points.mvdf" text ("100", ...).
  void PlayHumanMove(const Move& m, const std::string& report);

  // Applies the engine's move line ("3233", "0155"). False, with a reason,
  // when the line names no move that fits the board.
  bool PlayEngineMove(const std::string& line, Move& played, std::string& why);

  // A payment the player can make with the points held.
  bool CanAfford(const int pay[3], std::string& why) const;
  // The engine accepted the purchase: points are paid, the piece is bought.
  void Buy(int kind, const int pay[3]);

  // The engine will end the game before the player moves again.
  bool PlayerHasNoMoves() const { return humanCount_ == 0; }
  // After the player's move: the engine has no legal move (its hand as it
  // will generate them, before it empties it).
  bool EngineHasNoMoves() const;
  // The engine's rules leave the player only drops of pieces not bought;
  // kinds whose drop would be legal now, and whether the player's points
  // can buy one of them.
  std::vector<int> DropKindsThatHelp() const;
  bool CanBuyAnyOf(const std::vector<int>& kinds) const;
  // The engine waits for a move, but the player may make none: every
  // answer is a drop of a piece not bought, and no points can buy one.
  bool PlayerIsStuck() const {
    return !PlayerHasNoMoves() && LegalMoves().empty() && !CanBuyAnyOf(DropKindsThatHelp());
  }
  bool FourfoldRepetition() const;

  // "7g7f 3c3d ..." from the start position.
  std::string UsiMoves() const;

 private:
  // The steps of CheckMove: what the typed move alone shows, the engine's
  // list, and the plainest reason for a move the list does not hold.
  std::string TypedRefusal(const Command& c) const;
  bool FindListed(const Command& c, Move& out) const;
  std::string DropRefusal(const Command& c) const;
  std::string BoardMoveRefusal(const Command& c) const;

  void StartHumanTurn();
  bool Make(int side, const Move& m);

  Position pos_;
  int bought_[HI + 1];
  int points_[3];
  std::vector<PlayedMove> history_;
  std::vector<Purchase> purchases_;
  Move humanList_[MAX_MOVES];
  int humanCount_ = 0;
};

// Whether the engine's payment table accepts this payment for kind; the
// engine's answer is what counts, this serves hints and the autoplayer.
bool PaymentAccepted(int kind, const int pay[3]);
// Every payment the points can make that the table accepts for kind (one
// digit per kind of point), the smallest first, until take returns false.
// Not the engine's own search for its payment, which tries another order.
void ForEachPayment(int kind, const int points[3],
                    const std::function<bool(const int pay[3])>& take);
// The first of them; false if there is none.
bool CheapestPayment(int kind, const int points[3], int pay[3]);
// The points any accepted payment for kind adds up to (0 for no kind).
int PriceOf(int kind);
// The rule for kind in one line, e.g. "a gold costs 4 points, 3 or more of one colour".
std::string PaymentRule(int kind);
