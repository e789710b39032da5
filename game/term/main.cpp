// mirq-term: the game program. Started by the launcher with no arguments,
// it finds its tree beside its own executable, plays games against the
// engine through the turn files and keeps the player's saved data.
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>

#include "autoplay.h"
#include "game_record.h"
#include "interrupt.h"
#include "prompt.h"
#include "save_data.h"
#include "session.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace {

const char* const kUsage =
    "usage: mirq-term [--ascii] [--auto SEED]\n"
    "  --ascii      plain letters, no colour (also: MIRQ_ASCII=1 or NO_COLOR=1)\n"
    "  --auto SEED  play the first player's side with seeded random moves, a\n"
    "               demonstration that the totals do not count\n"
    "               (also: environment variable MIRQ_AUTOPLAY=SEED)\n";

struct Options {
  bool ascii = false;
  bool autoplay = false;
  unsigned seed = 0;
};

bool ParseSeed(const char* text, unsigned& seed) {
  if (!text || !*text) return false;
  char* end = nullptr;
  unsigned long v = std::strtoul(text, &end, 10);
  if (*end) return false;
  seed = static_cast<unsigned>(v);
  return true;
}

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// The arguments, then the environment (the launcher passes no arguments).
// Returns an exit status to end with, or -1 to play.
int ReadOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--ascii") {
      o.ascii = true;
    } else if (arg == "--auto" && i + 1 < argc && ParseSeed(argv[i + 1], o.seed)) {
      o.autoplay = true;
      ++i;
    } else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else {
      std::cerr << "mirq-term: unknown argument '" << arg << "'\n" << kUsage;
      return 2;
    }
  }
  o.ascii = o.ascii || Set("MIRQ_ASCII");
  if (const char* env = std::getenv("MIRQ_AUTOPLAY"); env && *env && !o.autoplay) {
    if (!ParseSeed(env, o.seed)) {
      std::cerr << "mirq-term: MIRQ_AUTOPLAY must be a number, not '" << env << "'\n";
      return 2;
    }
    o.autoplay = true;
  }
  return -1;
}

SessionIo MakeIo(const Options& o, AutoPlayer& robot) {
  const bool terminal = isatty(1) != 0;
  SessionIo io;
  io.out = &std::cout;
  // The Windows console gets plain letters: it needs set-up for both
  // UTF-8 and colour that older consoles do not have.
  bool fancyTerminal = false;
#ifndef _WIN32
  fancyTerminal = WantsFancy(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"),
                             std::getenv("TERM"), std::getenv("NO_COLOR"), terminal);
#endif
  io.style.fancy = !o.ascii && fancyTerminal;
  io.live = terminal && !o.autoplay;
  io.interrupted = Interrupted;
  if (o.autoplay) {
    io.nextLine = [&robot](const GameState& game, std::string& line) {
      line = robot.NextLine(game);
      return !line.empty();
    };
  } else {
    io.nextLine = [](const GameState&, std::string& line) {
      return ReadPromptLine("Your move> ", line);
    };
  }
  return io;
}

// Appends the game to games.txt (a demonstration marked and not counted)
// and shows the result screen with the totals.
void RecordAndShow(const GameFolders& tree, const GameEnd& end, const Options& o,
                   const ViewStyle& style) {
  // A game that never started has nothing to record or show.
  if (!end.outcome.result && end.game.History().empty()) {
    if (!end.problem.empty()) std::cout << "\nThe game broke off: " << end.problem << ".\n";
    return;
  }
  std::cout << ResultScreen(end, style);
  Score totals;
  std::string why;
  const std::string record =
      FormatGameRecord(std::time(nullptr), end.game, end.outcome, o.autoplay);
  if (!RecordGame(tree.saves, record, end.outcome.result, !o.autoplay, totals, why)) {
    std::cerr << "mirq-term: the game was not saved: " << why << "\n";
    return;
  }
  std::cout << "Games won " << totals.won << ", lost " << totals.lost << ", drawn " << totals.drawn
            << (o.autoplay ? " (demonstrations are not counted).\n" : ".\n");
}

bool AskAgain() {
  for (;;) {
    std::string answer;
    if (!ReadPromptLine("Play again? [y/n] ", answer)) return false;
    if (answer == "y" || answer == "Y" || answer == "yes") return true;
    if (answer == "n" || answer == "N" || answer == "no" || answer == "quit" || answer == "q")
      return false;
    std::cout << "  Please answer y or n.\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (int status = ReadOptions(argc, argv, o); status >= 0) return status;
  CatchInterrupts();
  GameFolders tree = FoldersAt(OwnFolder(argv[0]));
  AutoPlayer robot(o.seed);
  SessionIo io = MakeIo(o, robot);

  std::cout << RulesSummary();
  for (;;) {
    GameEnd end = PlaySession(tree, io);
    RecordAndShow(tree, end, o, io.style);
    if (Interrupted()) {
      InterruptHandled();
      return 0;
    }
    if (o.autoplay) return end.outcome.result ? 0 : 1;
    if (!end.problem.empty() && end.game.History().empty()) {
      std::cout << "mirq-term plays from the game tree it sits in (" << tree.root
                << "); scripts/play builds the whole game and starts it.\n";
      return 1;
    }
    // 'quit' leaves the program; 'new' starts the next game at once.
    if (end.outcome.how == Ending::Quit || (!end.again && !AskAgain())) return 0;
  }
}
