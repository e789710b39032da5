#include "engine_link.h"

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

bool IsResult(char c) { return c == '5' || c == '6' || c == '7'; }

void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(EngineLink::kPollMillis)); }

}  // namespace

const char* ResultWord(int result) {
  switch (result) {
    case 5: return "won";
    case 6: return "lost";
    case 7: return "drawn";
    default: return "unfinished";
  }
}

EngineLink::EngineLink(const TurnFiles& files, std::function<bool()> running,
                       std::function<void(double)> tick)
    : files_(files), running_(std::move(running)), tick_(std::move(tick)) {}

int EngineLink::WrittenResult() const {
  char c = files_.FirstChar(turn::kEnemy);
  return IsResult(c) ? c - '0' : 0;
}

LinkReply EngineLink::Stopped() const {
  LinkReply r;
  r.result = WrittenResult();
  r.outcome = r.result ? LinkOutcome::GameOver : LinkOutcome::EngineStopped;
  return r;
}

// The answer is final once "$setup.mvdf" reads "1" or "2": the engine
// creates it empty, writes the point report, then the answer character.
LinkReply EngineLink::AwaitAnswer() {
  const Clock::time_point start = Clock::now();
  for (;;) {
    // Checked before reading, so an answer written just before the engine
    // ended is still seen.
    bool alive = running_();
    char c = files_.FirstChar(turn::kSetup);
    if (c == '1' || c == '2') {
      LinkReply r;
      r.outcome = c == '2' ? LinkOutcome::Accepted : LinkOutcome::Rejected;
      return r;
    }
    if (!alive) return Stopped();
    if (tick_) tick_(std::chrono::duration<double>(Clock::now() - start).count());
    Pause();
  }
}

LinkReply EngineLink::RequestMove(const std::string& line) {
  if (!running_()) return Stopped();
  LinkReply r;
  r.outcome = LinkOutcome::WriteFailed;
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
  const Clock::time_point start = Clock::now();
  for (;;) {
    bool alive = running_();
    char c = files_.FirstChar(turn::kEnemy);
    if (c == '1') {
      LinkReply r;
      r.outcome = LinkOutcome::Accepted;
      files_.Read(turn::kEnemyTe, r.engineMove);
      return r;
    }
    if (IsResult(c)) {
      LinkReply r;
      r.outcome = LinkOutcome::GameOver;
      r.result = c - '0';
      return r;
    }
    if (!alive) return Stopped();
    if (tick_) tick_(std::chrono::duration<double>(Clock::now() - start).count());
    Pause();
  }
}

LinkReply EngineLink::AwaitResult(double seconds) {
  const Clock::time_point start = Clock::now();
  for (;;) {
    bool alive = running_();
    if (int result = WrittenResult()) {
      LinkReply r;
      r.outcome = LinkOutcome::GameOver;
      r.result = result;
      return r;
    }
    if (!alive) return Stopped();
    if (std::chrono::duration<double>(Clock::now() - start).count() >= seconds) {
      LinkReply r;
      r.outcome = LinkOutcome::Accepted;
      return r;
    }
    Pause();
  }
}
