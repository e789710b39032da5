#include "web_game.h"

#include <algorithm>
#include <ctime>

#include "game_record.h"
#include "hint.h"
#include "notation.h"
#include "position/usi.h"

using nlohmann::json;

namespace {

using Clock = std::chrono::steady_clock;

json Ok() {
  return json{{"ok", true}};
}
json Refused(const std::string& reason) {
  return json{{"ok", false}, {"reason", reason}};
}

}  // namespace

WebGame::WebGame(GameFolders folders)
    : folders_(std::move(folders)),
      match_(folders_, Match::Hooks{[this] { return interrupt_.load(); }, {}, &mu_}),
      game_(match_.Game()) {}

WebGame::~WebGame() {
  Shutdown();
}

void WebGame::Start() {
  thread_ = std::thread([this] { Run(); });
}

void WebGame::Changed() {
  ++version_;
  changed_.notify_all();
}

json WebGame::Submit(Job job, bool interrupt) {
  std::future<json> answer = job.done.get_future();
  {
    std::lock_guard<std::mutex> lk(mu_);
    if (shutdown_ || phase_ == Phase::Closed) return Refused("mirq-web is closing.");
    jobs_.push_back(std::move(job));
    if (interrupt) interrupt_ = true;
  }
  queued_.notify_all();
  // The engine answers a request within milliseconds; only a stuck engine
  // takes longer, and the game thread notices that on its own.
  if (answer.wait_for(std::chrono::seconds(60)) != std::future_status::ready)
    return Refused("No answer from the game; try again.");
  return answer.get();
}

json WebGame::Play(const std::string& text) {
  Command c = ParseCommand(text);
  if (c.kind == CommandKind::Invalid) return Refused(c.error + ".");
  // The terminal's other words work here too, where they make sense.
  if (c.kind == CommandKind::Buy) return Buy(c.buyKind, c.pay);
  if (c.kind == CommandKind::Quit) return Quit();
  if (c.kind != CommandKind::Move) return Refused("Type a move like 7g7f or 7776.");
  Job job(Action::Move);
  {
    std::lock_guard<std::mutex> lk(mu_);
    if (phase_ == Phase::Thinking) return Refused("Wait for Mirqmind's move.");
    if (phase_ != Phase::YourTurn) return Refused("The game is over; start a new game.");
    std::string why;
    if (!game_.CheckMove(c, job.move, why)) return Refused("Not allowed: " + why + ".");
    job.ply = game_.Board().ply;
    job.gameNumber = gameNumber_;
  }
  return Submit(std::move(job), false);
}

json WebGame::Buy(int kind, const int pay[3]) {
  if (kind < FU || kind > HI) return Refused("Only pieces 1..7 (pawn ... rook) are sold.");
  for (int i = 0; i < 3; ++i)
    if (pay[i] < 0 || pay[i] > 9) return Refused("Each payment is one digit 0..9.");
  Job job(Action::Buy);
  job.kind = kind;
  std::copy(pay, pay + 3, job.pay);
  {
    std::lock_guard<std::mutex> lk(mu_);
    if (phase_ == Phase::Thinking) return Refused("Wait for Mirqmind's move.");
    if (phase_ != Phase::YourTurn) return Refused("The game is over; start a new game.");
    std::string why;
    if (!game_.CanAfford(pay, why)) return Refused("You cannot pay that: " + why + ".");
    if (!PaymentAccepted(kind, pay)) return Refused("Not that payment: " + PaymentRule(kind) + ".");
    job.ply = game_.Board().ply;
    job.gameNumber = gameNumber_;
  }
  return Submit(std::move(job), false);
}

json WebGame::Hint() {
  {
    std::lock_guard<std::mutex> lk(mu_);
    if (phase_ != Phase::YourTurn) return Refused("A hint is for your turn.");
  }
  return Submit(Job(Action::Hint), false);
}

json WebGame::Resign() {
  return Submit(Job(Action::Resign), true);
}
json WebGame::NewGame() {
  return Submit(Job(Action::NewGame), true);
}
json WebGame::Quit() {
  return Submit(Job(Action::Quit), true);
}

bool WebGame::Stale(const Job& job) const {
  return job.ply != game_.Board().ply || job.gameNumber != gameNumber_;
}

json WebGame::State(long since, double waitSeconds) {
  std::unique_lock<std::mutex> lk(mu_);
  const long wake = wake_;
  changed_.wait_for(lk, std::chrono::duration<double>(waitSeconds),
                    [&] { return version_ > since || wake_ != wake || shutdown_; });
  return StateJson();
}

void WebGame::WakeWaiters() {
  std::lock_guard<std::mutex> lk(mu_);
  ++wake_;
  changed_.notify_all();
}

bool WebGame::Over() const {
  std::lock_guard<std::mutex> lk(mu_);
  return phase_ == Phase::Over || phase_ == Phase::Broken;
}

bool WebGame::Closed() const {
  std::lock_guard<std::mutex> lk(mu_);
  return phase_ == Phase::Closed;
}

std::string WebGame::Totals() const {
  std::lock_guard<std::mutex> lk(mu_);
  return "Games won " + std::to_string(totals_.won) + ", lost " + std::to_string(totals_.lost) +
         ", drawn " + std::to_string(totals_.drawn) + ".";
}

void WebGame::Shutdown(Ending how) {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lk(mu_);
    Job quit(Action::Quit);
    quit.how = how;
    jobs_.push_back(std::move(quit));
    interrupt_ = true;
  }
  queued_.notify_all();
  thread_.join();
  std::lock_guard<std::mutex> lk(mu_);
  shutdown_ = true;
  changed_.notify_all();
}

void WebGame::Run() {
  StartGame();
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lk(mu_);
      queued_.wait(lk, [&] { return !jobs_.empty(); });
      job = std::move(jobs_.front());
      jobs_.pop_front();
      interrupt_ = std::any_of(jobs_.begin(), jobs_.end(), [](const Job& j) {
        return j.action == Action::Resign || j.action == Action::NewGame ||
               j.action == Action::Quit;
      });
    }
    json answer;
    switch (job.action) {
      case Action::Move:
        answer = DoMove(job);
        break;
      case Action::Buy:
        answer = DoBuy(job);
        break;
      case Action::Hint:
        answer = DoHint();
        break;
      case Action::Resign:
        if (phase_ == Phase::YourTurn || phase_ == Phase::Thinking) {
          EndGame({ENGINE_WON, Ending::Resigned}, false);
          answer = Ok();
        } else {
          answer = Refused("The game is already over.");
        }
        break;
      case Action::NewGame:
        if ((phase_ == Phase::YourTurn || phase_ == Phase::Thinking) && !log_.empty()) {
          EndGame({ENGINE_WON, Ending::Resigned}, false);
        } else {
          Abandon(Ending::Quit);
        }
        StartGame();
        answer = Ok();
        break;
      case Action::Quit:
        Close(job.how);
        job.done.set_value(Ok());
        return;
    }
    job.done.set_value(answer);
    if (phase_ == Phase::Thinking) AwaitEngine();
  }
}

void WebGame::StartGame() {
  std::string why;
  {
    std::lock_guard<std::mutex> lk(mu_);
    match_.Game().Reset();
    log_.clear();
    emptied_.clear();
    enginePoints_ = 0;
    outcome_ = GameOutcome{};
    note_.clear();
    problem_.clear();
    hint_ = ::Hint{};
    finalMove_.clear();
    saveProblem_.clear();
    ++gameNumber_;
    phase_ = Phase::Starting;
    if (!LoadScore((std::filesystem::path(folders_.saves) / "score.txt").string(), totals_, why))
      saveProblem_ = why;
    Changed();
  }
  why.clear();
  bool started = match_.Start(why);
  std::lock_guard<std::mutex> lk(mu_);
  if (!started) {
    phase_ = Phase::Broken;
    problem_ = why;
  } else {
    phase_ = Phase::YourTurn;
  }
  Changed();
}

// A request the engine answered with its result, or never answered.
json WebGame::Ended(const LinkReply& r) {
  if (r.outcome == LinkOutcome::GameOver)
    EndGame(EngineOutcome(r.result, game_), true);
  else if (!interrupt_)
    EndGame({0, Ending::BrokenOff}, true, match_.Problem(r));
  return Refused("The game ended.");
}

json WebGame::DoMove(Job& job) {
  {
    std::lock_guard<std::mutex> lk(mu_);
    if (phase_ != Phase::YourTurn) return Refused("Wait for Mirqmind's move.");
    if (Stale(job)) return Refused("That move was for an earlier position.");
  }
  const ::Move m = job.move;
  LinkReply r = match_.SendMove(m, [&](const std::string& points) { NoteHumanMove(m, points); });
  if (r.outcome == LinkOutcome::Rejected)
    return Refused("Mirqmind refused " + DescribeMove(m) + ".");
  if (r.outcome != LinkOutcome::Accepted) return Ended(r);
  return Ok();
}

// Under mu_, with the move just played on the game.
void WebGame::NoteHumanMove(const ::Move& m, const std::string& points) {
  LogEntry e;
  e.side = SELF;
  e.ply = game_.Board().ply;
  e.move = m;
  e.points = points;
  e.capture = m.capture != EMP;
  e.check = game_.InCheck(ENEMY);
  log_.push_back(e);
  if (PointOfReport(points.c_str())) emptied_.push_back(m.to);
  hint_ = ::Hint{};
  note_.clear();
  phase_ = Phase::Thinking;
  thinkingSince_ = Clock::now();
  Changed();
}

json WebGame::DoBuy(const Job& job) {
  {
    std::lock_guard<std::mutex> lk(mu_);
    if (phase_ != Phase::YourTurn) return Refused("Wait for Mirqmind's move.");
    if (Stale(job)) return Refused("That purchase was for an earlier position.");
    // An earlier purchase in the queue may have spent the points.
    std::string why;
    if (!game_.CanAfford(job.pay, why)) return Refused("You cannot pay that: " + why + ".");
  }
  LinkReply r = match_.SendPurchase(job.kind, job.pay, [&] {
    LogEntry e;
    e.side = SELF;
    e.ply = game_.Board().ply + 1;
    e.buy = true;
    e.kind = job.kind;
    std::copy(job.pay, job.pay + 3, e.pay);
    log_.push_back(e);
    note_.clear();
    Changed();
  });
  if (r.outcome == LinkOutcome::Rejected)
    return Refused("Not that payment: " + PaymentRule(job.kind) + ".");
  if (r.outcome != LinkOutcome::Accepted) return Ended(r);
  return Ok();
}

// The search takes as long as an engine move; it runs on a copy, so the
// page keeps reading the game meanwhile.
json WebGame::DoHint() {
  GameState copy;
  {
    std::lock_guard<std::mutex> lk(mu_);
    if (phase_ != Phase::YourTurn) return Refused("A hint is for your turn.");
    copy = game_;
    searching_ = true;
    Changed();
  }
  ::Hint hint = SuggestMove(copy);
  std::lock_guard<std::mutex> lk(mu_);
  searching_ = false;
  Changed();
  if (IsEmptyMove(hint.move)) return Refused("No hint: no move of yours helps.");
  if (copy.Board().ply != game_.Board().ply) return Refused("That hint came too late.");
  hint_ = hint;
  return json{{"ok", true}, {"hint", HintText(hint)}};
}

void WebGame::AwaitEngine() {
  LinkReply reply = match_.AwaitEngineMove();
  {
    std::lock_guard<std::mutex> lk(mu_);
    if (interrupt_) return;  // a queued resign, new game or quit takes over
  }
  if (reply.outcome == LinkOutcome::EngineStopped || reply.outcome == LinkOutcome::WriteFailed) {
    EndGame({0, Ending::BrokenOff}, true, match_.Problem(reply));
    return;
  }
  if (!reply.engineMove.empty()) {
    std::string why;
    if (!match_.PlayEngineMove(reply.engineMove, why,
                               [this](const ::Move& played) { NoteEngineMove(played); })) {
      {
        std::lock_guard<std::mutex> lk(mu_);
        BreakOff(why);
      }
      match_.Stop();
      return;
    }
  }
  if (reply.outcome == LinkOutcome::GameOver) {
    EndGame(EngineOutcome(reply.result, game_), true);
    return;
  }
  AfterEngineMove();
}

// Under mu_, with the engine's move just played on the game.
void WebGame::NoteEngineMove(const ::Move& played) {
  LogEntry e;
  e.side = ENEMY;
  e.ply = game_.Board().ply;
  e.move = played;
  e.capture = played.capture != EMP;
  e.check = game_.InCheck(SELF);
  log_.push_back(e);
  if (KindOf(played.piece) == OU &&
      std::find(emptied_.begin(), emptied_.end(), played.to) == emptied_.end())
    ++enginePoints_;
}

void WebGame::BreakOff(const std::string& problem) {
  problem_ = problem;
  phase_ = Phase::Broken;
  Changed();
}

// The engine ends the game right after its own move when a result is due;
// and a player left with only drops of pieces not bought, and no points to
// buy one, can never answer.
void WebGame::AfterEngineMove() {
  if (match_.ResultDue()) {
    LinkReply r = match_.AwaitDueResult();
    if (r.outcome == LinkOutcome::GameOver) {
      EndGame(EngineOutcome(r.result, game_), true);
      return;
    }
    if (game_.PlayerHasNoMoves()) {
      {
        std::lock_guard<std::mutex> lk(mu_);
        BreakOff(Match::kNoResultText);
      }
      match_.Stop();
      return;
    }
  }
  if (game_.PlayerIsStuck()) {
    EndGame({ENGINE_WON, Ending::Stuck}, false);
    return;
  }
  std::lock_guard<std::mutex> lk(mu_);
  if (game_.LegalMoves().empty()) {
    std::string names;
    for (int kind : game_.DropKindsThatHelp())
      names += std::string(names.empty() ? "" : ", ") + KindWord(kind);
    note_ = "Only a drop can answer now; buy one of: " + names + ".";
  }
  // Only now is it the player's turn: the result that may follow the
  // engine's move has been waited for.
  phase_ = Phase::YourTurn;
  Changed();
}

// result 0: the engine stopped without one; the game is recorded unfinished.
void WebGame::EndGame(const GameOutcome& outcome, bool engineEnds, const std::string& problem) {
  if (engineEnds) match_.AwaitEngineExit();
  match_.Stop();
  std::lock_guard<std::mutex> lk(mu_);
  outcome_ = outcome;
  note_.clear();
  hint_ = ::Hint{};
  phase_ = outcome.result ? Phase::Over : Phase::Broken;
  if (!outcome.result) problem_ = problem.empty() ? match_.StoppedText() : problem;
  // The move that ended the game, whichever side made it.
  if (engineEnds && outcome.result && game_.LastMove()) {
    const PlayedMove& last = *game_.LastMove();
    finalMove_ = std::string(last.side == ENEMY ? "Mirqmind's" : "Your") +
                 " final move: " + DescribeMove(last.move);
  }
  Save(outcome);
  Changed();
}

// Under mu_: the game into games.txt and, with a result, into the totals.
void WebGame::Save(const GameOutcome& outcome) {
  std::string why;
  const std::string record = FormatGameRecord(std::time(nullptr), game_, outcome, false);
  if (!RecordGame(folders_.saves, record, outcome.result, true, totals_, why))
    saveProblem_ = "The game was not saved: " + why;
}

void WebGame::Close(Ending how) {
  Abandon(how);
  std::lock_guard<std::mutex> lk(mu_);
  phase_ = Phase::Closed;
  Changed();
  // Whoever still waits gets a plain refusal.
  for (Job& j : jobs_) j.done.set_value(Refused("mirq-web is closing."));
  jobs_.clear();
}

// Leaving a game that has no result: kept as unfinished when it had moves.
void WebGame::Abandon(Ending how) {
  match_.Stop();
  std::lock_guard<std::mutex> lk(mu_);
  if ((phase_ == Phase::YourTurn || phase_ == Phase::Thinking) && !game_.History().empty())
    Save(GameOutcome{0, how});
}
