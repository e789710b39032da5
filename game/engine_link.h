// The game program's side of the turn-file exchange: every request is
// written data file first, request character last, and every wait polls
// with a short sleep until the engine answers, ends the game, or stops.
#pragma once

#include <functional>
#include <string>

#include "turn_files.h"

enum class LinkOutcome {
  Accepted,       // answer "2" (move or purchase), or the engine's move is ready
  Rejected,       // answer "1"
  GameOver,       // the engine wrote a result; see result
  EngineStopped,  // the engine process ended without a result
  WriteFailed,    // a request file could not be written
};

struct LinkReply {
  LinkOutcome outcome = LinkOutcome::EngineStopped;
  std::string points;      // move accepted: the point report ("000", "100", ...)
  std::string engineMove;  // engine's move ready: the "$enemyTe.mvdf" line
  int result = 0;          // game over: 5 won, 6 lost, 7 drawn
};

class EngineLink {
 public:
  // running() tells whether the engine process is still alive; tick(seconds)
  // is called on every poll while waiting (for a live indicator).
  EngineLink(const TurnFiles& files, std::function<bool()> running,
             std::function<void(double)> tick = {});

  // Move request: "$setTe.mvdf" then "3". Accepted carries the point report.
  LinkReply RequestMove(const std::string& line);
  // Purchase request: "$setKoma.mvdf" then "4".
  LinkReply RequestPurchase(const std::string& line);
  // After an accepted move: waits until "$enemy.mvdf" leaves "0".
  LinkReply AwaitEngineMove();
  // Waits at most seconds for a result (the engine ends the game after its
  // own move when the player has no answer). Accepted means none came and
  // the engine still runs.
  LinkReply AwaitResult(double seconds);
  // A result already written to "$enemy.mvdf" (5, 6 or 7), else 0.
  int WrittenResult() const;

  static constexpr int kPollMillis = 2;

 private:
  LinkReply AwaitAnswer();
  LinkReply Stopped() const;

  const TurnFiles& files_;
  std::function<bool()> running_;
  std::function<void(double)> tick_;
};

// "won", "lost", "drawn" for results 5, 6, 7.
const char* ResultWord(int result);
