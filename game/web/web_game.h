// The games that mirq-web plays for the page: one thread owns the engine
// and the turn files, the page's requests reach it through a queue, and
// every change of the game raises a version that waiting pages wake on.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "game_folders.h"
#include "game_record.h"
#include "game_state.h"
#include "hint.h"
#include "match.h"
#include "save_data.h"

enum class Phase { Starting, YourTurn, Thinking, Over, Broken, Closed };

// One entry of the game's list: a move of either side, or a purchase.
struct LogEntry {
  int side = SELF;
  int ply = 0;       // the move's number in the game, 1 based; purchases: the next move's
  bool buy = false;  // a purchase (of the player; the engine's show as its drops)
  int kind = 0;      // purchase: the piece kind
  int pay[3] = {0, 0, 0};
  Move move{};         // a move
  std::string points;  // the player's move: the point report ("100", ...)
  bool check = false;  // the move gave check
  bool capture = false;
};

class WebGame {
 public:
  explicit WebGame(GameFolders folders);
  ~WebGame();
  WebGame(const WebGame&) = delete;
  WebGame& operator=(const WebGame&) = delete;

  // Starts the game thread with the first game.
  void Start();

  // The page's requests. Each answers {"ok": true} or {"ok": false,
  // "reason": "..."} once the engine has answered (not after its move).
  nlohmann::json Play(const std::string& text);  // a move in either notation
  nlohmann::json Buy(int kind, const int pay[3]);
  nlohmann::json Hint();
  nlohmann::json Resign();
  nlohmann::json NewGame();
  nlohmann::json Quit();

  // The whole state for the page, once its version is past since or
  // after waitSeconds, whichever comes first.
  nlohmann::json State(long since, double waitSeconds);
  // Wakes every waiting State() call at once (the page is going away).
  void WakeWaiters();

  // A game ended with a result (or resigned) and no new one started.
  bool Over() const;
  // Quit was handled: the engine is stopped and the record written.
  bool Closed() const;
  // "Games won 1, lost 2, drawn 0." from the saved totals.
  std::string Totals() const;
  // Records an unfinished game (left by the player, or interrupted),
  // stops the engine and ends the thread.
  void Shutdown(Ending how = Ending::Quit);

 private:
  enum class Action { Move, Buy, Hint, Resign, NewGame, Quit };
  struct Job {
    explicit Job(Action a = Action::Quit) : action(a) {}
    Action action;
    ::Move move{};
    int kind = 0;
    int pay[3] = {0, 0, 0};
    int ply = 0;  // the position it was checked against
    int gameNumber = 0;
    Ending how = Ending::Quit;  // Quit: how the game under way ends
    std::promise<nlohmann::json> done;
  };

  nlohmann::json Submit(Job job, bool interrupt);
  // Under mu_: the game has moved on since the job was checked.
  bool Stale(const Job& job) const;
  void Run();
  void StartGame();
  nlohmann::json Ended(const LinkReply& r);
  // The player's move, played: its entry in the list, the engine to move.
  void NoteHumanMove(const ::Move& m, const std::string& points);
  void NoteEngineMove(const ::Move& played);
  // Under mu_: the game broke off with problem.
  void BreakOff(const std::string& problem);
  nlohmann::json DoMove(Job& job);
  nlohmann::json DoBuy(const Job& job);
  nlohmann::json DoHint();
  void AwaitEngine();
  void AfterEngineMove();
  // engineEnds: the engine wrote the result and exits by itself. problem:
  // why a game without a result broke off.
  void EndGame(const GameOutcome& outcome, bool engineEnds, const std::string& problem = "");
  void Save(const GameOutcome& outcome);
  void Close(Ending how);
  void Abandon(Ending how);
  void Changed();  // under mu_: version up, waiters woken
  bool EngineAlive();
  // StateJson and its parts, under mu_.
  nlohmann::json StateJson() const;
  nlohmann::json LogJson(nlohmann::json& last, nlohmann::json& engineBought) const;
  nlohmann::json SidesJson(const nlohmann::json& engineBought) const;
  nlohmann::json ResultJson() const;

  const GameFolders folders_;

  mutable std::mutex mu_;
  std::condition_variable changed_;
  std::condition_variable queued_;
  std::deque<Job> jobs_;
  std::atomic<bool> interrupt_{false};  // a queued job must stop the wait for the engine
  long version_ = 0;
  long wake_ = 0;
  std::thread thread_;
  bool shutdown_ = false;

  // The game, guarded by mu_; only the game thread writes it.
  Match match_;
  const GameState& game_;
  Phase phase_ = Phase::Starting;
  std::vector<LogEntry> log_;
  std::vector<int> emptied_;  // squares whose point the player's king took
  int enginePoints_ = 0;      // points the engine's king picked up
  GameOutcome outcome_;
  std::string note_;
  std::string problem_;
  ::Hint hint_;
  bool searching_ = false;  // a hint is being searched
  std::string finalMove_;
  Score totals_;
  std::string saveProblem_;
  int gameNumber_ = 0;
  std::chrono::steady_clock::time_point thinkingSince_;
};
