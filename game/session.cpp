#include "session.h"

#include <chrono>
#include <cstdio>
#include <ostream>
#include <thread>

#include "engine_link.h"
#include "engine_process.h"
#include "notation.h"
#include "position/usi.h"
#include "turn_files.h"

namespace {

const char* const kHelp =
    "Moves: four digits, file and rank of origin and destination (7776), or in\n"
    "  USI (7g7f). Drops of bought pieces: 0, the kind, the square (0455), or S*5e.\n"
    "  Kinds: 1 pawn P, 2 lance L, 3 knight N, 4 silver S, 5 gold G, 6 bishop B,\n"
    "  7 rook R. Pieces never promote, and captured pieces are not kept.\n"
    "Points: your king picks up the point under each square it steps on.\n"
    "  buy KIND A B C   pay A red, B green and C blue points for a piece\n"
    "  (pawn 1 point; lance 2; knight 1 1 1; silver 4 with one of each colour;\n"
    "  gold 4 with 3 of one colour; bishop 7 with one of each; rook 7 with 3 of one)\n"
    "Commands: moves (list your legal moves), board, help, quit\n";

std::string Describe(const Move& m) { return FormatUsiMove(m) + " (" + FormatMoveLine(m) + ")"; }

std::string PointWord(const std::string& report) {
  if (report == "100") return "a red point";
  if (report == "010") return "a green point";
  if (report == "001") return "a blue point";
  return "";
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
    std::snprintf(text, sizeof text, "\rMirqmind is thinking %c %5.1f s", spin[frame_++ % 4], seconds);
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

}  // namespace

std::string ResultSentence(int result) {
  switch (result) {
    case 5: return "You won.";
    case 6: return "You lost: Mirqmind won the game.";
    case 7: return "The game is drawn by repetition.";
    default: return "The game ended without a result.";
  }
}

GameEnd PlayGame(const GameTree& tree, SessionIo& io) {
  std::ostream& out = *io.out;
  GameEnd end;
  TurnFiles files(tree.turns);
  if (!files.WriteInitial(end.problem)) return end;
  EngineProcess engine;
  if (!engine.Start(tree.engine, tree.data, end.problem)) return end;

  Indicator indicator(out, io.live);
  bool thinking = false;
  EngineLink link(
      files, [&engine] { return engine.Running(); },
      [&](double s) {
        if (thinking) indicator.Tick(s);
      });
  GameState game;

  auto show = [&] {
    out << "\n" << RenderBoard(game, io.style) << RenderPlayer(game, io.style);
    std::string moves = RenderMoveList(game, 16);
    if (!moves.empty()) out << "Moves: " << moves << "\n";
  };
  // Every way out of the loop below ends here: a result, a stop or a quit.
  auto finish = [&](const LinkReply& r) {
    end.game = game;
    if (!io.live) show();
    if (r.outcome == LinkOutcome::GameOver) {
      end.result = r.result;
    } else if (r.outcome == LinkOutcome::WriteFailed) {
      end.problem = "cannot write the turn files in " + files.Folder();
    } else {
      end.problem = "the engine stopped unexpectedly (exit status " +
                    std::to_string(engine.ExitStatus()) + ")";
    }
    // The engine exits right after writing its result.
    for (int i = 0; i < 1000 && engine.Running(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    engine.Stop();
    return end;
  };

  bool stuckNoted = false;  // the player was told that only a purchase helps
  if (io.live) out << "A new game. You move first; type 'help' for the rules.\n";
  show();
  for (;;) {
    // The engine ends the game after its own move when the player has no
    // move left or a position came for the fourth time.
    if (game.PlayerHasNoMoves() || game.FourfoldRepetition()) {
      LinkReply r = link.AwaitResult(5.0);
      if (r.outcome != LinkOutcome::Accepted) return finish(r);
      if (game.PlayerHasNoMoves()) {
        end.problem = "you have no legal move, but the engine did not end the game";
        end.game = game;
        engine.Stop();
        return end;
      }
    } else if (!engine.Running()) {
      return finish(LinkReply{});
    } else if (game.LegalMoves().empty() && !stuckNoted) {
      // The engine counts a drop of every kind as an answer, but the player
      // may drop only what was bought. With nothing affordable that helps,
      // the game is lost; the engine would wait for a move forever.
      if (game.PlayerIsStuck()) {
        end.note = "You have no move left: only drops of pieces you have not bought, and your "
                   "points cannot buy one.";
        end.result = 6;
        end.game = game;
        engine.Stop();
        if (!io.live) show();
        return end;
      }
      std::string names;
      for (int kind : game.DropKindsThatHelp()) names += std::string(" ") + KindWord(kind);
      out << "  Only a drop can answer now; buy one of:" << names << ".\n";
      stuckNoted = true;
    }
    std::string line;
    if (!io.nextLine(game, line)) line = "quit";
    Command c = ParseCommand(line);
    switch (c.kind) {
      case CommandKind::Empty:
        continue;
      case CommandKind::Invalid:
        out << "  " << c.error << "\n";
        continue;
      case CommandKind::Help:
        out << kHelp;
        continue;
      case CommandKind::Board:
        show();
        continue;
      case CommandKind::Moves: {
        std::string list;
        for (const Move& m : game.LegalMoves()) list += " " + FormatUsiMove(m);
        out << "  Your legal moves:" << (list.empty() ? " none" : list) << "\n";
        continue;
      }
      case CommandKind::Quit:
        end.quit = true;
        end.game = game;
        engine.Stop();
        return end;
      case CommandKind::Buy: {
        std::string why;
        if (!game.CanAfford(c.pay, why)) {
          out << "  You cannot pay that: " << why << "\n";
          continue;
        }
        LinkReply r = link.RequestPurchase(FormatPurchaseLine(c.buyKind, c.pay));
        if (r.outcome == LinkOutcome::Accepted) {
          game.Buy(c.buyKind, c.pay);
          out << "  You bought a " << KindWord(c.buyKind) << " for " << c.pay[0] << " red, "
              << c.pay[1] << " green and " << c.pay[2] << " blue.\n";
        } else if (r.outcome == LinkOutcome::Rejected) {
          out << "  The engine refused that payment: " << PaymentRule(c.buyKind) << ".\n";
        } else {
          return finish(r);
        }
        continue;
      }
      case CommandKind::Move:
        break;
    }

    Move m{};
    std::string why;
    if (!game.CheckMove(c, m, why)) {
      out << "  Not allowed: " << why << ".\n";
      continue;
    }
    game.NoteMoveRequest(m);
    LinkReply r = link.RequestMove(FormatMoveLine(m));
    if (r.outcome == LinkOutcome::Rejected) {
      out << "  The engine refused " << Describe(m) << ".\n";
      continue;
    }
    if (r.outcome != LinkOutcome::Accepted) return finish(r);
    game.PlayHumanMove(m, r.points);
    stuckNoted = false;
    out << "You: " << Describe(m);
    if (!PointWord(r.points).empty()) out << ", your king picks up " << PointWord(r.points);
    out << "\n" << std::flush;

    thinking = true;
    LinkReply reply = link.AwaitEngineMove();
    thinking = false;
    indicator.Clear();
    if (reply.outcome != LinkOutcome::Accepted) {
      if (io.live) show();
      return finish(reply);
    }
    Move played{};
    if (!game.PlayEngineMove(reply.engineMove, played, why)) {
      end.problem = why;
      end.game = game;
      engine.Stop();
      return end;
    }
    out << "Mirqmind: " << Describe(played) << "\n";
    if (io.live) show();
  }
}
