#include "engine_link.h"

#include <algorithm>
#include <chrono>

#include "driver/folder_watch.h"

namespace {

using Clock = std::chrono::steady_clock;

bool IsResult(char c) {
  return c == '5' || c == '6' || c == '7';
}

}  // namespace

const char* ResultWord(int result) {
  switch (result) {
    case 5:
      return "won";
    case 6:
      return "lost";
    case 7:
      return "drawn";
    default:
      return "unfinished";
  }
}

EngineLink::EngineLink(const TurnFiles& files, std::function<bool()> running,
                       std::function<void(double)> tick)
    : files_(files), running_(std::move(running)), tick_(std::move(tick)) {}

int EngineLink::WrittenResult() const {
  char c = files_.FirstChar(turn::kEnemy);
  return IsResult(c) ? c - '0' : 0;
}

LinkReply EngineLink::Over(int result) {
  LinkReply r;
  r.outcome = LinkOutcome::GameOver;
  r.result = result;
  // "$enemyTe.mvdf" is complete here: the engine closes it before it
  // writes "1" or the result.
  std::string line;
  if (movePending_ && files_.Read(turn::kEnemyTe, line) && line != kNoEngineMove)
    r.engineMove = line;
  movePending_ = false;
  return r;
}

LinkReply EngineLink::Stopped() {
  if (int result = WrittenResult()) return Over(result);
  return LinkReply{};
}

LinkReply EngineLink::Wait(const std::function<bool(LinkReply&)>& done, double seconds) {
  const Clock::time_point start = Clock::now();
  // Watching starts before the first look, so a write between a look and
  // the sleep after it still wakes the sleep.
  FolderWatch watch;
  OpenFolderWatch(watch, files_.Folder().c_str());
  LinkReply r;
  for (;;) {
    // Checked before reading, so an answer written just before the engine
    // ended is still seen.
    bool alive = running_();
    if (done(r)) break;
    if (!alive) {
      r = Stopped();
      break;
    }
    double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (seconds >= 0 && elapsed >= seconds) {
      r.outcome = LinkOutcome::Accepted;
      break;
    }
    if (tick_) tick_(elapsed);
    int ms = kSafetyPollMillis;
    if (seconds >= 0) ms = std::min(ms, static_cast<int>((seconds - elapsed) * 1000) + 1);
    WaitFolderChange(watch, ms);
  }
  CloseFolderWatch(watch);
  return r;
}

// The answer is final once "$setup.mvdf" reads "1" or "2": the engine
// creates it empty, writes the point report, then the answer character.
LinkReply EngineLink::AwaitAnswer() {
  return Wait(
      [this](LinkReply& r) {
        char c = files_.FirstChar(turn::kSetup);
        if (c != '1' && c != '2') return false;
        r.outcome = c == '2' ? LinkOutcome::Accepted : LinkOutcome::Rejected;
        return true;
      },
      -1);
}

LinkReply EngineLink::RequestMove(const std::string& line) {
  if (!running_()) return Stopped();
  LinkReply r;
  r.outcome = LinkOutcome::WriteFailed;
  if (!files_.Write(turn::kEnemyTe, kNoEngineMove)) return r;
  movePending_ = true;
  if (!files_.Write(turn::kSetTe, line) || !files_.Write(turn::kSetup, "3")) return r;
  r = AwaitAnswer();
  if (r.outcome == LinkOutcome::Accepted && !files_.Read(turn::kPoints, r.points)) r.points.clear();
  return r;
}

LinkReply EngineLink::RequestPurchase(const std::string& line) {
  if (!running_()) return Stopped();
  LinkReply r;
  r.outcome = LinkOutcome::WriteFailed;
  if (!files_.Write(turn::kSetKoma, line) || !files_.Write(turn::kSetup, "4")) return r;
  return AwaitAnswer();
}

LinkReply EngineLink::AwaitEngineMove() {
  return Wait(
      [this](LinkReply& r) {
        char c = files_.FirstChar(turn::kEnemy);
        if (c == '1') {
          r.outcome = LinkOutcome::Accepted;
          files_.Read(turn::kEnemyTe, r.engineMove);
          movePending_ = false;
          return true;
        }
        if (!IsResult(c)) return false;
        r = Over(c - '0');
        return true;
      },
      -1);
}

LinkReply EngineLink::AwaitResult(double seconds) {
  return Wait(
      [this](LinkReply& r) {
        int result = WrittenResult();
        if (result) r = Over(result);
        return result != 0;
      },
      seconds);
}
