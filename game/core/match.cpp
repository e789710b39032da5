#include "match.h"

#include <chrono>
#include <thread>

#include "notation.h"

Match::Match(const GameFolders& folders, Hooks hooks)
    : folders_(folders),
      hooks_(std::move(hooks)),
      files_(folders_.turns),
      link_(
          files_, [this] { return !hooks_.stopAsked() && engine_.Running(); },
          [this](double seconds) {
            if (hooks_.tick) hooks_.tick(seconds);
          }) {}

void Match::Change(const std::function<void()>& change) {
  if (!hooks_.guard) return change();
  std::lock_guard<std::mutex> lk(*hooks_.guard);
  change();
}

bool Match::Start(std::string& why) {
  return files_.WriteInitial(why) && engine_.Start(folders_.engine, folders_.data, why);
}

LinkReply Match::SendMove(const Move& m,
                          const std::function<void(const std::string& points)>& played) {
  Change([&] { game_.NoteMoveRequest(m); });
  LinkReply r = link_.RequestMove(FormatMoveLine(m));
  if (r.outcome != LinkOutcome::Accepted) return r;
  Change([&] {
    game_.PlayHumanMove(m, r.points);
    if (played) played(r.points);
  });
  return r;
}

LinkReply Match::SendPurchase(int kind, const int pay[3], const std::function<void()>& bought) {
  LinkReply r = link_.RequestPurchase(FormatPurchaseLine(kind, pay));
  if (r.outcome != LinkOutcome::Accepted) return r;
  Change([&] {
    game_.Buy(kind, pay);
    if (bought) bought();
  });
  return r;
}

bool Match::PlayEngineMove(const std::string& line, std::string& why,
                           const std::function<void(const Move&)>& played) {
  bool fits = false;
  Change([&] {
    Move m{};
    fits = game_.PlayEngineMove(line, m, why);
    if (fits && played) played(m);
  });
  return fits;
}

LinkReply Match::AwaitDueResult() {
  if (ResultDue()) return link_.AwaitResult(kResultWaitSeconds);
  LinkReply none;
  none.outcome = LinkOutcome::Accepted;
  return none;
}

LinkReply Match::WrittenResult() const {
  LinkReply r;
  if ((r.result = link_.WrittenResult())) r.outcome = LinkOutcome::GameOver;
  return r;
}

void Match::AwaitEngineExit() {
  for (int i = 0; i < 1000 && engine_.Running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

std::string Match::Problem(const LinkReply& r) const {
  if (r.outcome == LinkOutcome::WriteFailed)
    return "cannot write the turn files in " + files_.Folder();
  return StoppedText();
}

std::string Match::StoppedText() const {
  return "the engine stopped unexpectedly (exit status " + std::to_string(engine_.ExitStatus()) +
         ")";
}

void PlayAcceptedMove(GameState& game, const Move& m, const std::string& report) {
  game.NoteMoveRequest(m);
  game.PlayHumanMove(m, report);
}
