// The game as the page reads it: everything the page draws comes from here,
// so the page never has to know the rules.

#include "notation.h"
#include "position/usi.h"
#include "web_game.h"

using nlohmann::json;

namespace {

const char* PhaseName(Phase p) {
  switch (p) {
    case Phase::Starting:
      return "starting";
    case Phase::YourTurn:
      return "your-turn";
    case Phase::Thinking:
      return "thinking";
    case Phase::Over:
      return "over";
    case Phase::Broken:
      return "broken";
    case Phase::Closed:
      return "closed";
  }
  return "broken";
}

json MoveJson(const Move& m) {
  return json{{"from", IsDrop(m) ? 0 : m.from},
              {"drop", IsDrop(m) ? KindOf(m.piece) : 0},
              {"to", m.to},
              {"usi", FormatUsiMove(m)},
              {"line", FormatMoveLine(m)}};
}

json Triple(const int v[3]) {
  return json::array({v[0], v[1], v[2]});
}

// Every payment of one digit per kind of point that the player can make and
// the table accepts for kind, cheapest first.
json Offers(const GameState& game, int kind) {
  json list = json::array();
  const int points[3] = {game.Points(1), game.Points(2), game.Points(3)};
  ForEachPayment(kind, points, [&](const int pay[3]) {
    list.push_back(Triple(pay));
    return true;
  });
  return list;
}

// The board as the page draws it, rank by rank from file 9 to file 1.
json BoardJson(const Position& p) {
  json board = json::array();
  for (int rank = 1; rank <= 9; ++rank)
    for (int file = 9; file >= 1; --file) board.push_back(p.Ban(MakeSquare(file, rank)));
  return board;
}

}  // namespace

// The game's list for the page; last gets each side's last move and
// engineBought the engine's purchases, which show as its drops.
json WebGame::LogJson(json& last, json& engineBought) const {
  json log = json::array();
  for (const LogEntry& e : log_) {
    const char* side = e.side == SELF ? "you" : "engine";
    if (e.buy) {
      log.push_back({{"side", side}, {"ply", e.ply}, {"buy", e.kind}, {"pay", Triple(e.pay)}});
      continue;
    }
    json m = MoveJson(e.move);
    m["side"] = side;
    m["ply"] = e.ply;
    m["check"] = e.check;
    m["capture"] = e.capture ? KindOf(e.move.capture) : 0;
    if (e.side == SELF) m["points"] = e.points;
    if (e.side == ENEMY && IsDrop(e.move))
      engineBought[KindOf(e.move.piece)] = engineBought[KindOf(e.move.piece)].get<int>() + 1;
    last[side] = m;
    log.push_back(m);
  }
  return log;
}

// What each side holds: points, pieces bought, whether in check.
json WebGame::SidesJson(const json& engineBought) const {
  json bought = json::array();
  for (int kind = 0; kind <= HI; ++kind) bought.push_back(kind ? game_.Bought(kind) : 0);
  return {{"you",
           {{"points", json::array({game_.Points(1), game_.Points(2), game_.Points(3)})},
            {"bought", bought},
            {"check", game_.InCheck(SELF)}}},
          {"engine",
           {{"points", enginePoints_}, {"bought", engineBought}, {"check", game_.InCheck(ENEMY)}}}};
}

json WebGame::ResultJson() const {
  return {{"code", outcome_.result},
          {"word", ResultWord(outcome_.result)},
          {"how", EndingWord(outcome_.how)},
          {"text",
           outcome_.result ? OutcomeSentence(outcome_) : "The game broke off: " + problem_ + "."},
          {"final", finalMove_},
          {"plies", game_.Board().ply}};
}

json WebGame::StateJson() const {
  json last = {{"you", nullptr}, {"engine", nullptr}};
  json engineBought = json::array({0, 0, 0, 0, 0, 0, 0, 0});
  const json log = LogJson(last, engineBought);
  const json sides = SidesJson(engineBought);

  const bool yourTurn = phase_ == Phase::YourTurn;
  json legal = json::array();
  json offers = json::array({json::array()});
  json prices = json::array({""});
  if (yourTurn)
    for (const Move& m : game_.LegalMoves()) legal.push_back(MoveJson(m));
  for (int kind = FU; kind <= HI; ++kind) {
    offers.push_back(yourTurn ? Offers(game_, kind) : json::array());
    prices.push_back(PaymentRule(kind));
  }

  json s = {
      {"version", version_},
      {"game", gameNumber_},
      {"phase", PhaseName(phase_)},
      {"board", BoardJson(game_.Board())},
      {"you", sides["you"]},
      {"engine", sides["engine"]},
      {"last", last},
      {"legal", legal},
      {"offers", offers},
      {"prices", prices},
      {"log", log},
      {"note", note_},
      {"hint", HintText(hint_)},
      {"hintMove", IsEmptyMove(hint_.move) ? json(nullptr) : MoveJson(hint_.move)},
      {"searching", searching_},
      {"problem", problem_},
      {"saveProblem", saveProblem_},
      {"totals", {{"won", totals_.won}, {"lost", totals_.lost}, {"drawn", totals_.drawn}}},
  };
  if (phase_ == Phase::Thinking)
    s["thinking"] =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - thinkingSince_).count();
  if (phase_ == Phase::Over || phase_ == Phase::Broken) s["result"] = ResultJson();
  return s;
}
