#include "game_record.h"

#include <cstdio>
#include <sstream>

#include "driver/game.h"
#include "driver/protocol.h"
#include "engine_link.h"
#include "match.h"
#include "position/usi.h"

namespace {

const char* const kColours[4] = {"", "red", "green", "blue"};

struct EndingName {
  Ending how;
  const char* word;
};
const EndingName kEndings[] = {
    {Ending::Mate, "mate"},
    {Ending::NoMove, "no-move"},
    {Ending::Repetition, "repetition"},
    {Ending::PerpetualCheck, "perpetual-check"},
    {Ending::LengthLimit, "length-limit"},
    {Ending::Stuck, "stuck"},
    {Ending::Resigned, "resigned"},
    {Ending::Quit, "quit"},
    {Ending::Interrupted, "interrupted"},
    {Ending::BrokenOff, "broken-off"},
};

int ResultOfWord(const std::string& word) {
  for (int r : {HUMAN_WON, ENGINE_WON, DRAWN})
    if (word == ResultWord(r)) return r;
  return word == ResultWord(0) ? 0 : -1;
}

std::string Join(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
  return text;
}

// The point kind a colour names, 0 for none.
int ColourKind(const std::string& colour) {
  for (int kind = 1; kind <= 3; ++kind)
    if (colour == kColours[kind]) return kind;
  return 0;
}

bool ReadDigit(const std::string& word, int& value) {
  if (word.size() != 1 || word[0] < '0' || word[0] > '9') return false;
  value = word[0] - '0';
  return true;
}

// The replay of one record, word by word.
class Replayer {
 public:
  Replayer(const std::vector<std::string>& words, GameState& game) : w_(words), game_(game) {}

  bool Run(std::string& why) {
    game_.Reset();
    while (at_ < w_.size()) {
      const size_t start = at_;
      std::string problem;
      bool ok = w_[at_] == "buy" ? Buy(problem) : Move(problem);
      if (!ok) {
        why = "word " + std::to_string(start + 1) + " '" + w_[start] + "': " + problem;
        return false;
      }
    }
    if (engineBuy_) {
      why = "the engine's purchase at the end is never dropped";
      return false;
    }
    return true;
  }

 private:
  bool Buy(std::string& why) {
    int kind = at_ + 1 < w_.size() ? ParseKindName(w_[at_ + 1]) : 0;
    if (kind < FU || kind > HI) {
      why = "a purchase names a piece, P L N S G B or R";
      return false;
    }
    if (game_.SideToMove() == ENEMY) {
      engineBuy_ = kind;
      at_ += 2;
      return true;
    }
    int pay[3];
    for (int i = 0; i < 3; ++i) {
      if (at_ + 2 + i >= w_.size() || !ReadDigit(w_[at_ + 2 + i], pay[i])) {
        why = "the player's purchase needs its payment, three digits";
        return false;
      }
    }
    if (!PaymentAccepted(kind, pay)) {
      why = PaymentRule(kind);
      return false;
    }
    if (!game_.CanAfford(pay, why)) return false;
    game_.Buy(kind, pay);
    at_ += 5;
    return true;
  }

  bool Move(std::string& why) {
    if (JudgeBoard(game_).result) {
      why = "the game was already over";
      return false;
    }
    Command c = ParseCommand(w_[at_]);
    if (c.kind != CommandKind::Move) {
      why = "not a move";
      return false;
    }
    ++at_;
    return game_.SideToMove() == SELF ? PlayerMove(c, why) : EngineMove(c, why);
  }

  bool PlayerMove(const Command& c, std::string& why) {
    ::Move m{};
    if (!game_.CheckMove(c, m, why)) return false;
    int point = 0;
    if (at_ < w_.size() && w_[at_] == "point") {
      const std::string colour = at_ + 1 < w_.size() ? w_[at_ + 1] : "";
      point = ColourKind(colour);
      if (!point || m.piece != SOU) {
        why = "a point is picked up by the king and is red, green or blue";
        return false;
      }
      at_ += 2;
    }
    PlayAcceptedMove(game_, m, POINT_REPORT[point]);
    return true;
  }

  bool EngineMove(const Command& c, std::string& why) {
    if (c.from == 0 ? engineBuy_ != c.dropKind : engineBuy_ != 0) {
      why = c.from == 0 ? "the engine drops a piece it did not buy just before"
                        : "the engine bought a piece and did not drop it";
      return false;
    }
    engineBuy_ = 0;
    char line[8];
    if (c.from == 0)
      std::snprintf(line, sizeof line, "0%d%02x", c.dropKind, c.to);
    else
      std::snprintf(line, sizeof line, "%02x%02x", c.from, c.to);
    ::Move played{};
    if (!game_.PlayEngineMove(line, played, why)) return false;
    if (game_.History().back().promotes != c.promote) {
      why = "the promotion mark does not fit the move";
      return false;
    }
    return true;
  }

  const std::vector<std::string>& w_;
  GameState& game_;
  size_t at_ = 0;
  int engineBuy_ = 0;
};

}  // namespace

GameOutcome JudgeBoard(const GameState& game) {
  const Position& p = game.Board();
  if (const PlayedMove* last = game.LastMove(); last && game.FourfoldRepetition()) {
    GameResult r = DecideResult(last->side, true, p.ply, p.Kyokumen);
    int result = r.code - '0';
    return {result, result == DRAWN ? Ending::Repetition : Ending::PerpetualCheck};
  }
  const int side = game.SideToMove();
  if (side == SELF ? game.PlayerHasNoMoves() : game.EngineHasNoMoves())
    return {side == SELF ? ENGINE_WON : HUMAN_WON,
            game.InCheck(side) ? Ending::Mate : Ending::NoMove};
  if (p.ply >= GAME_PLY_LIMIT - 1) return {DRAWN, Ending::LengthLimit};
  if (side == SELF && game.PlayerIsStuck()) return {ENGINE_WON, Ending::Stuck};
  return {};
}

GameOutcome EngineOutcome(int result, const GameState& game) {
  if (result == 0) return {0, Ending::BrokenOff};
  GameOutcome board = JudgeBoard(game);
  return board.result == result ? board : GameOutcome{result, Ending::None};
}

const char* EndingWord(Ending how) {
  for (const EndingName& e : kEndings)
    if (e.how == how) return e.word;
  return "";
}

std::string OutcomeSentence(const GameOutcome& o) {
  const bool won = o.result == HUMAN_WON;
  switch (o.how) {
    case Ending::Mate:
      return won ? "You won: Mirqmind is checkmated." : "You lost: Mirqmind checkmated you.";
    case Ending::NoMove:
      return won ? "You won: Mirqmind has no legal move left."
                 : "You lost: you have no legal move left.";
    case Ending::Repetition:
      return "Drawn: the same position came a fourth time.";
    case Ending::PerpetualCheck:
      return won ? "You won: Mirqmind gave check with every move of a fourfold repetition "
                   "(perpetual check)."
                 : "You lost: you gave check with every move of a fourfold repetition "
                   "(perpetual check).";
    case Ending::LengthLimit:
      return "Drawn: the game reached its length limit.";
    case Ending::Stuck:
      return "You lost: your only answers are drops of pieces you have not bought, and your "
             "points cannot buy one.";
    case Ending::Resigned:
      return "You resigned: Mirqmind won the game.";
    case Ending::Quit:
      return "You left the game unfinished.";
    case Ending::Interrupted:
      return "The game was interrupted and is kept as unfinished.";
    case Ending::BrokenOff:
      return "The game broke off.";
    case Ending::None:
      break;
  }
  switch (o.result) {
    case HUMAN_WON:
      return "You won.";
    case ENGINE_WON:
      return "You lost: Mirqmind won the game.";
    case DRAWN:
      return "Drawn by repetition.";
    default:
      return "The game ended without a result.";
  }
}

std::string RecordedMove(const PlayedMove& pm) {
  return FormatUsiMove(pm.move) + (pm.promotes ? "+" : "");
}

std::string DescribeMove(const PlayedMove& pm) {
  return RecordedMove(pm) + " (" + FormatMoveLine(pm.move) + ")";
}

std::string DescribeMove(const Move& m) {
  return DescribeMove(PlayedMove{m, SELF});
}

std::string PurchaseWords(const Purchase& p) {
  std::string text = std::string("buy ") + KindLetter(p.kind);
  if (p.side == SELF)
    for (int paid : p.pay) text += " " + std::to_string(paid);
  return text;
}

std::vector<std::string> RecordEvents(const GameState& game) {
  const std::vector<PlayedMove>& moves = game.History();
  const std::vector<Purchase>& buys = game.Purchases();
  std::vector<std::string> events;
  size_t next = 0;
  for (size_t i = 0; i <= moves.size(); ++i) {
    for (; next < buys.size() && buys[next].beforeMove <= i; ++next)
      events.push_back(PurchaseWords(buys[next]));
    if (i == moves.size()) break;
    events.push_back(RecordedMove(moves[i]));
    if (moves[i].point) events.push_back(std::string("point ") + kColours[moves[i].point]);
  }
  return events;
}

std::string FormatGameRecord(std::time_t when, const GameState& game, const GameOutcome& o,
                             bool demo) {
  char date[32] = "0000-00-00 00:00:00";
  if (std::tm* t = std::localtime(&when)) std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", t);
  std::string line = std::string(date) + " " + ResultWord(o.result);
  if (o.how != Ending::None) line += std::string(" ") + EndingWord(o.how);
  if (demo) line += " demo";
  line += " startpos";
  std::vector<std::string> events = RecordEvents(game);
  if (!events.empty()) line += " moves " + Join(events);
  return line;
}

bool ParseGameRecord(const std::string& line, GameRecord& out, std::string& why) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string word; in >> word;) w.push_back(word);
  out = GameRecord{};
  size_t start = 0;
  while (start < w.size() && w[start] != "startpos") ++start;
  if (start < 3 || start == w.size() || (out.result = ResultOfWord(w[2])) < 0) {
    why = "not a game record (DATE TIME RESULT ... startpos [moves ...])";
    return false;
  }
  out.when = w[0] + " " + w[1];
  for (size_t i = 3; i < start; ++i) {
    bool known = w[i] == "demo";
    out.demo |= known;
    for (const EndingName& e : kEndings)
      if (w[i] == e.word) {
        out.how = e.how;
        known = true;
      }
    if (!known) {
      why = "unknown word '" + w[i] + "' before startpos";
      return false;
    }
  }
  if (start + 1 < w.size()) {
    if (w[start + 1] != "moves") {
      why = "'moves' must follow startpos, not '" + w[start + 1] + "'";
      return false;
    }
    out.words.assign(w.begin() + static_cast<long>(start) + 2, w.end());
  }
  return true;
}

GameOutcome ReachedOutcome(const GameRecord& record, const GameState& replayed) {
  GameOutcome board = JudgeBoard(replayed);
  if (board.result) return board;
  switch (record.how) {
    case Ending::Resigned:
    case Ending::Quit:
    case Ending::Interrupted:
    case Ending::BrokenOff:
      return {record.result, record.how};
    default:
      return board;
  }
}

bool ReplayGameRecord(const GameRecord& record, GameState& game, std::string& why) {
  return Replayer(record.words, game).Run(why);
}
