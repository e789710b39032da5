// The game program's side of the turn-file exchange: every request is
// written data file first, request character last, and every wait sleeps
// until the engine answers, ends the game, or stops.
//
// The engine writes its move into "$enemyTe.mvdf", then "1" into
// "$enemy.mvdf", and may write a result there right after; a wait that
// sees only the result cannot tell from "$enemy.mvdf" whether the engine
// moved first. So every move request first writes kNoEngineMove into
// "$enemyTe.mvdf" (the engine only ever creates that file, it never reads
// it), and a result carries the engine's move when the file no longer holds
// the marker.
#pragma once

#include <functional>
#include <string>

#include "turn_files.h"

enum class LinkOutcome {
  Accepted,       // answer "2" (move or purchase), or the engine's move is ready
  Rejected,       // answer "1"
  GameOver,       // the engine wrote a result; see result and engineMove
  EngineStopped,  // the engine process ended without a result
  WriteFailed,    // a request file could not be written
};

struct LinkReply {
  LinkOutcome outcome = LinkOutcome::EngineStopped;
  std::string points;  // move accepted: the point report ("000", "100", ...)
  // Accepted after a move: the "$enemyTe.mvdf" line. GameOver: the engine's
  // last move when it moved after the last move request and that move was
  // not handed out yet (the move that ended the game); empty when the
  // engine did not move.
  std::string engineMove;
  int result = 0;  // game over: 5 won, 6 lost, 7 drawn
};

class EngineLink {
 public:
  // running() tells whether the engine process is still alive; tick(seconds)
  // is called on every wake-up while waiting (for a live indicator), at
  // least every kSafetyPollMillis.
  EngineLink(const TurnFiles& files, std::function<bool()> running,
             std::function<void(double)> tick = {});

  // Move request: the marker into "$enemyTe.mvdf", then "$setTe.mvdf",
  // then "3". Accepted carries the point report.
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

  // What a move request leaves in "$enemyTe.mvdf" until the engine moves;
  // never a move line.
  static constexpr const char* kNoEngineMove = "----";
  // Waits sleep until a file of the folder changes; this slow look catches
  // what no notification reports (and the engine's end).
  static constexpr int kSafetyPollMillis = 100;

 private:
  // Sleeps until done(reply) holds, the engine stops, or seconds pass
  // (negative: no limit; the reply is then Accepted).
  LinkReply Wait(const std::function<bool(LinkReply&)>& done, double seconds);
  LinkReply AwaitAnswer();
  // GameOver with result, carrying the engine's move not yet handed out.
  LinkReply Over(int result);
  LinkReply Stopped();

  const TurnFiles& files_;
  std::function<bool()> running_;
  std::function<void(double)> tick_;
  bool movePending_ = false;  // the engine may have moved since the marker was written
};

// "won", "lost", "drawn" for results 5, 6, 7.
const char* ResultWord(int result);
