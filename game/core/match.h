// One game against the engine without a screen: the fresh turn files and
// the engine process, the player's requests in the engine's order, and the
// waits for the engine's move, its result and its exit. mirq-term and
// mirq-web drive it and show what it reports; both read the game through
// Game().
#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "engine_link.h"
#include "engine_process.h"
#include "game_folders.h"
#include "game_state.h"
#include "turn_files.h"

class Match {
 public:
  struct Hooks {
    // The caller wants every wait for the engine to end now (an interrupt,
    // a request that takes over).
    std::function<bool()> stopAsked = [] { return false; };
    // Called on every wake-up while waiting (a live indicator).
    std::function<void(double)> tick;
    // Held for every change of the game, so that other threads may read
    // the game under it; null when one thread does everything. The caller
    // never holds it while calling the match.
    std::mutex* guard = nullptr;
  };

  Match(const GameFolders& folders, Hooks hooks);

  // Writes the fresh turn files and starts the engine; false with a reason.
  // The game itself is reset by the caller.
  bool Start(std::string& why);
  // Ends the engine if it still runs.
  void Stop() { engine_.Stop(); }
  bool EngineRunning() { return engine_.Running(); }

  const GameState& Game() const { return game_; }
  // For a caller that holds the guard (or has none): a new game.
  GameState& Game() { return game_; }
  const TurnFiles& Files() const { return files_; }

  // A move that passed GameState::CheckMove, to the engine: the request is
  // noted on the copy (the engine adds a dropped piece to the hand for
  // every drop request), the move line sent and, when the engine accepts,
  // the move played with its point report; played then runs in the same
  // change of the game.
  LinkReply SendMove(const Move& m,
                     const std::function<void(const std::string& points)>& played = {});
  // A payment the player holds, to the engine; when accepted the points
  // are paid and bought runs in the same change.
  LinkReply SendPurchase(int kind, const int pay[3], const std::function<void()>& bought = {});

  // After an accepted move: waits for the engine's move or its result.
  LinkReply AwaitEngineMove() { return link_.AwaitEngineMove(); }
  // The engine's move line on the copy; false, with a reason, when it does
  // not fit. played runs in the same change.
  bool PlayEngineMove(const std::string& line, std::string& why,
                      const std::function<void(const Move&)>& played = {});

  // The engine ends the game right after its own move when the player has
  // no move left or a position came a fourth time.
  bool ResultDue() const { return game_.PlayerHasNoMoves() || game_.FourfoldRepetition(); }
  // When a result is due, waits a while for it; Accepted when none is due
  // or none came while the engine runs.
  LinkReply AwaitDueResult();
  // An engine that ended by itself may have written a result first:
  // GameOver with it, else EngineStopped.
  LinkReply WrittenResult() const;
  // After a result: the engine exits right after writing it.
  void AwaitEngineExit();

  // Why a reply that is neither an answer nor a result broke the game off.
  std::string Problem(const LinkReply& r) const;
  // "the engine stopped unexpectedly (exit status N)".
  std::string StoppedText() const;
  // The player has no move, yet no result came.
  static constexpr const char* kNoResultText =
      "you have no legal move, but the engine did not end the game";

  // How long a due result is waited for.
  static constexpr double kResultWaitSeconds = 5.0;

 private:
  // Runs change holding the guard, if there is one.
  void Change(const std::function<void()>& change);

  const GameFolders folders_;
  Hooks hooks_;
  TurnFiles files_;
  EngineProcess engine_;
  EngineLink link_;
  GameState game_;
};

// A player's move the engine accepted, on a copy with no engine behind it
// (a replayed record, a test): the same steps as Match::SendMove.
void PlayAcceptedMove(GameState& game, const Move& m, const std::string& report);
