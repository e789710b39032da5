#include "session.h"

#include <cstdio>
#include <ostream>
#include <sstream>

#include "hint.h"
#include "match.h"
#include "notation.h"
#include "position/usi.h"

namespace {

const char* const kRules =
    "You move first, up the board. Pieces never promote; captures are not kept.\n"
    "Your king picks up hidden points from the squares it visits; they buy pieces.\n"
    "No legal move loses; a fourth repetition draws, but perpetual check loses.\n";

const char* const kHelp =
    "Moves: four digits, file and rank of origin and destination (7877), or in\n"
    "  USI (7h7g). Drops of bought pieces: 0, the kind, the square (0455), or S*5e.\n"
    "  Kinds: 1 pawn P, 2 lance L, 3 knight N, 4 silver S, 5 gold G, 6 bishop B,\n"
    "  7 rook R. Pieces never promote, and captured pieces are not kept.\n"
    "Points: your king picks up the point under each square it steps on.\n"
    "  buy KIND A B C   pay A red, B green and C blue points for a piece\n"
    "  buy KIND         pay the cheapest way your points allow\n"
    "  (pawn 1 point; lance 2; knight 1 1 1; silver 4 with one of each colour;\n"
    "  gold 4 with 3 of one colour; bishop 7 with one of each; rook 7 with 3 of one)\n"
    "  Buying costs no move: a bought piece stays in your hand until you drop it.\n"
    "Commands: moves (your legal moves), board, history (the whole game), hint,\n"
    "  resign, new (resign and start another game), help, quit\n";

constexpr size_t kWidth = 78;
const char* const kColours[4] = {"", "red", "green", "blue"};

std::string PointsText(const int p[3]) {
  return std::to_string(p[0]) + " red, " + std::to_string(p[1]) + " green and " +
         std::to_string(p[2]) + " blue point" + (p[2] == 1 ? "" : "s");
}

// "7h7g (7877), takes a silver. Check!" for the move just played.
std::string MoveNews(const GameState& game, const PlayedMove& pm) {
  std::string text = DescribeMove(pm);
  if (pm.move.capture != EMP) text += ", takes a " + PieceWord(pm.move.capture);
  if (pm.point) text += std::string(", your king picks up a ") + kColours[pm.point] + " point";
  text += ".";
  if (game.InCheck(Opponent(pm.side)))
    text += JudgeBoard(game).how == Ending::Mate ? " Checkmate!" : " Check!";
  return text;
}

// The whole game, a line per move number, each move in both notations.
std::string HistoryText(const GameState& game) {
  const std::vector<PlayedMove>& moves = game.History();
  const std::vector<Purchase>& buys = game.Purchases();
  size_t next = 0;
  auto bought = [&](size_t before) {
    std::string text;
    for (; next < buys.size() && buys[next].beforeMove <= before; ++next)
      text += PurchaseWords(buys[next]) + ", ";
    return text;
  };
  std::string out;
  for (size_t i = 0; i < moves.size(); i += 2) {
    std::string mine = bought(i) + DescribeMove(moves[i]);
    if (moves[i].point) mine += std::string(" +") + kColours[moves[i].point];
    char line[160];
    std::string theirs = i + 1 < moves.size() ? bought(i + 1) + DescribeMove(moves[i + 1]) : "";
    std::snprintf(line, sizeof line, "%5zu. %-32s %s", i / 2 + 1, mine.c_str(), theirs.c_str());
    out += line;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out += "\n";
  }
  std::string rest = bought(moves.size());
  if (!rest.empty()) out += "       then: " + rest.substr(0, rest.size() - 2) + "\n";
  return out;
}

// The thinking indicator: one line rewritten in place, cleared afterwards.
class Indicator {
 public:
  Indicator(std::ostream& out, bool live) : out_(out), live_(live) {}
  void Tick(double seconds) {
    if (!live_ || seconds < 0.2 || seconds - shown_ < 0.1) return;
    static const char spin[] = "|/-\\";
    shown_ = seconds;
    char text[64];
    std::snprintf(text, sizeof text, "\rMirqmind is thinking %c %5.1f s", spin[frame_++ % 4],
                  seconds);
    out_ << text << std::flush;
  }
  void Clear() {
    if (shown_ > 0) out_ << "\r" << std::string(40, ' ') << "\r" << std::flush;
    shown_ = 0;
  }

 private:
  std::ostream& out_;
  bool live_;
  double shown_ = 0;
  unsigned frame_ = 0;
};

// One game: a handler per command, and the ways the game can end.
class Session {
 public:
  Session(const GameFolders& folders, SessionIo& io)
      : io_(io),
        out_(*io.out),
        indicator_(out_, io.live),
        match_(folders, Match::Hooks{[this] { return io_.interrupted(); },
                                     [this](double s) {
                                       if (thinking_) indicator_.Tick(s);
                                     }}) {}

  GameEnd Play() {
    if (!match_.Start(end_.problem)) {
      end_.outcome = {0, Ending::BrokenOff};
      return end_;
    }
    if (io_.live) out_ << "A new game. You move first; type 'help' for the commands.\n";
    Show();
    while (!over_) {
      BeforePlayerMove();
      if (over_) break;
      std::string line;
      if (!io_.nextLine(game(), line) || io_.interrupted()) {
        Stop({0, io_.interrupted() ? Ending::Interrupted : Ending::Quit});
        break;
      }
      Handle(ParseCommand(line));
    }
    end_.game = game();
    return end_;
  }

 private:
  const GameState& game() const { return match_.Game(); }
  void Say(const std::string& text) { out_ << Message(text); }

  void Show() {
    out_ << "\n"
         << RenderBoard(game(), io_.style) << RenderLegend(io_.style)
         << RenderPlayer(game(), io_.style) << RenderMoveList(game(), 16, "Moves: ", kWidth)
         << std::flush;
  }

  // A result may be due before the player's move, or the engine may have
  // ended; and the engine would wait for ever for a player who can make no
  // move it accepts.
  void BeforePlayerMove() {
    if (io_.interrupted()) return Stop({0, Ending::Interrupted});
    if (match_.ResultDue()) {
      LinkReply r = match_.AwaitDueResult();
      if (r.outcome != LinkOutcome::Accepted) return EngineEnded(r);
      if (game().PlayerHasNoMoves()) return BreakOff(Match::kNoResultText);
    } else if (!match_.EngineRunning()) {
      // It may have ended the game right after the move just read.
      return EngineEnded(match_.WrittenResult());
    }
    if (!game().LegalMoves().empty() || stuckNoted_) return;
    // The engine counts a drop of every kind as an answer, but the player
    // may drop only what was bought.
    if (game().PlayerIsStuck()) return Stop({ENGINE_WON, Ending::Stuck});
    std::vector<std::string> names;
    for (int kind : game().DropKindsThatHelp()) names.push_back(KindWord(kind));
    std::string text = "Only a drop can answer now; buy one of:";
    for (const std::string& n : names) text += " " + n;
    Say(text);
    stuckNoted_ = true;
  }

  void Handle(const Command& c) {
    switch (c.kind) {
      case CommandKind::Empty:
        return;
      case CommandKind::Invalid:
        return Say(c.error);
      case CommandKind::Help:
        out_ << kHelp;
        return;
      case CommandKind::Board:
        return Show();
      case CommandKind::Moves:
        return OnMoves();
      case CommandKind::History:
        return OnHistory();
      case CommandKind::Hint:
        return OnHint();
      case CommandKind::Buy:
        return OnBuy(c);
      case CommandKind::Move:
        return OnMove(c);
      case CommandKind::Resign:
        return Stop({ENGINE_WON, Ending::Resigned});
      case CommandKind::New:
        return OnNew();
      case CommandKind::Quit:
        return Stop({0, Ending::Quit});
    }
  }

  void OnMoves() {
    std::vector<std::string> moves;
    for (const Move& m : game().LegalMoves()) moves.push_back(FormatUsiMove(m));
    if (moves.empty()) return Say("You have no legal move without buying a piece");
    out_ << WrapUnits("  Your legal moves: ", moves, kWidth);
  }

  void OnHistory() {
    if (game().History().empty() && game().Purchases().empty()) return Say("No moves yet");
    out_ << HistoryText(game());
  }

  void OnHint() {
    if (io_.live) out_ << "  Looking for a hint ...\n" << std::flush;
    const std::string text = HintText(SuggestMove(game()));
    if (text.empty()) return Say("No hint: the search found no move for you");
    Say("Hint: " + text);
  }

  void OnBuy(const Command& c) {
    const int kind = c.buyKind;
    const int held[3] = {game().Points(1), game().Points(2), game().Points(3)};
    int pay[3] = {c.pay[0], c.pay[1], c.pay[2]};
    if (!c.payGiven && !CheapestPayment(kind, held, pay))
      return Say(std::string("You cannot buy a ") + KindWord(kind) + ": " + PaymentRule(kind) +
                 ", and you hold " + PointsText(held));
    if (!PaymentAccepted(kind, pay))
      return Say(std::string("That payment does not buy a ") + KindWord(kind) + ": " +
                 PaymentRule(kind));
    std::string why;
    if (!game().CanAfford(pay, why)) return Say("You cannot pay that: " + why);
    LinkReply r = match_.SendPurchase(kind, pay);
    if (r.outcome == LinkOutcome::Rejected)
      return Say("The purchase was refused: " + PaymentRule(kind));
    if (r.outcome != LinkOutcome::Accepted) return EngineEnded(r);
    Say(std::string("You bought a ") + KindWord(kind) + " for " + PointsText(pay) +
        "; it stays in your hand until you drop it");
  }

  void OnMove(const Command& c) {
    Move m{};
    std::string why;
    if (!game().CheckMove(c, m, why)) return Say("Not allowed: " + why);
    LinkReply r = match_.SendMove(m);
    if (r.outcome == LinkOutcome::Rejected) return Say("Mirqmind refused " + DescribeMove(m));
    if (r.outcome != LinkOutcome::Accepted) return EngineEnded(r);
    stuckNoted_ = false;
    out_ << "You: " << MoveNews(game(), game().History().back()) << "\n" << std::flush;

    thinking_ = true;
    LinkReply reply = match_.AwaitEngineMove();
    thinking_ = false;
    indicator_.Clear();
    if (reply.outcome != LinkOutcome::Accepted) return EngineEnded(reply);
    if (PlayEngineMove(reply.engineMove) && io_.live) Show();
  }

  // Resigns a game in progress; a game without moves just starts again.
  void OnNew() {
    end_.again = true;
    Stop(game().History().empty() ? GameOutcome{} : GameOutcome{ENGINE_WON, Ending::Resigned});
  }

  bool PlayEngineMove(const std::string& line) {
    std::string why;
    if (!match_.PlayEngineMove(line, why)) {
      BreakOff(why);
      return false;
    }
    const PlayedMove& pm = game().History().back();
    if (IsDrop(pm.move)) {
      const int kind = KindOf(pm.move.piece);
      out_ << "Mirqmind buys a " << KindWord(kind) << " for " << PriceOf(kind) << " point"
           << (PriceOf(kind) == 1 ? "" : "s") << ".\n";
    }
    out_ << "Mirqmind: " << MoveNews(game(), pm) << "\n";
    return true;
  }

  // The engine wrote a result (with the move that ended the game, if it
  // made one), stopped, or the turn files failed.
  void EngineEnded(const LinkReply& r) {
    if (r.outcome == LinkOutcome::GameOver) {
      if (!r.engineMove.empty() && !PlayEngineMove(r.engineMove)) return;
      end_.outcome = EngineOutcome(r.result, game());
      match_.AwaitEngineExit();
    } else if (io_.interrupted()) {
      end_.outcome = {0, Ending::Interrupted};
    } else {
      return BreakOff(match_.Problem(r));
    }
    match_.Stop();
    over_ = true;
  }

  void BreakOff(const std::string& problem) {
    end_.problem = problem;
    Stop({0, Ending::BrokenOff});
  }

  void Stop(const GameOutcome& o) {
    match_.Stop();
    end_.outcome = o;
    over_ = true;
  }

  SessionIo& io_;
  std::ostream& out_;
  Indicator indicator_;
  bool thinking_ = false;
  Match match_;
  GameEnd end_;
  bool over_ = false;
  bool stuckNoted_ = false;  // the player was told that only a purchase helps
};

}  // namespace

GameEnd PlaySession(const GameFolders& folders, SessionIo& io) {
  return Session(folders, io).Play();
}

const char* RulesSummary() {
  return kRules;
}

std::string Message(const std::string& text) {
  const char last = text.empty() ? '.' : text.back();
  std::istringstream in(text + (last == '.' || last == '!' || last == '?' ? "" : "."));
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  // Lines after the first are indented further.
  std::string out = WrapUnits("  ", words, kWidth);
  for (size_t at = out.find("\n  "); at != std::string::npos; at = out.find("\n  ", at + 5))
    out.insert(at + 1, "  ");
  return out;
}

std::string ResultSentence(int result) {
  return OutcomeSentence({result, Ending::None});
}

std::string ResultScreen(const GameEnd& end, const ViewStyle& style) {
  const GameState& g = end.game;
  std::string out = "\n" + RenderBoard(g, style) + RenderLegend(style);
  out += end.problem.empty() ? OutcomeSentence(end.outcome)
                             : "The game broke off: " + end.problem + ".";
  out += "\n";
  const size_t plies = g.History().size();
  if (plies > 0) {
    out += "The game lasted " + std::to_string(plies) + " move" + (plies == 1 ? "" : "s") + ": " +
           std::to_string((plies + 1) / 2) + " yours, " + std::to_string(plies / 2) +
           " by Mirqmind.\n";
  }
  return out;
}
