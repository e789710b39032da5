// mirq-term: the game program. Started by the launcher with no arguments,
// it finds its tree beside its own executable, plays games against the
// engine through the turn files and keeps the player's saved data.
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>

#include "autoplay.h"
#include "game_record.h"
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
    "  --ascii      plain letters, no colour\n"
    "  --auto SEED  play the first player's side with seeded random moves\n"
    "               (also: environment variable MIRQ_AUTOPLAY=SEED)\n";

bool ParseSeed(const char* text, unsigned& seed) {
  if (!text || !*text) return false;
  char* end = nullptr;
  unsigned long v = std::strtoul(text, &end, 10);
  if (*end) return false;
  seed = static_cast<unsigned>(v);
  return true;
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
  bool ascii = false;
  bool autoplay = false;
  unsigned seed = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--ascii") {
      ascii = true;
    } else if (arg == "--auto" && i + 1 < argc && ParseSeed(argv[i + 1], seed)) {
      autoplay = true;
      ++i;
    } else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else {
      std::cerr << "mirq-term: unknown argument '" << arg << "'\n" << kUsage;
      return 2;
    }
  }
  if (const char* env = std::getenv("MIRQ_AUTOPLAY"); env && *env && !autoplay) {
    if (!ParseSeed(env, seed)) {
      std::cerr << "mirq-term: MIRQ_AUTOPLAY must be a number, not '" << env << "'\n";
      return 2;
    }
    autoplay = true;
  }

  GameTree tree = TreeAt(OwnFolder(argv[0]));
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
  io.style.fancy = !ascii && fancyTerminal;
  io.live = terminal && !autoplay;
  AutoPlayer robot(seed);
  if (autoplay) {
    io.nextLine = [&robot](const GameState& game, std::string& line) {
      line = robot.NextLine(game);
      return !line.empty();
    };
  } else {
    io.nextLine = [](const GameState&, std::string& line) {
      return ReadPromptLine("Your move> ", line);
    };
  }

  for (;;) {
    GameEnd end = PlayGame(tree, io);
    if (!end.problem.empty()) std::cout << "\nThe game broke off: " << end.problem << "\n";
    else if (end.quit) std::cout << "\nYou left the game.\n";
    else std::cout << "\n" << (end.note.empty() ? "" : end.note + "\n") << ResultSentence(end.result) << "\n";

    // A game that never started has nothing to record.
    if (end.result || end.quit || !end.game.History().empty()) {
      Score totals;
      std::string why;
      GameOutcome o{end.result, Ending::None};
      if (JudgeBoard(end.game).result == end.result) o = JudgeBoard(end.game);
      if (end.quit) o.how = Ending::Quit;
      if (RecordGame(tree.saves, FormatGameRecord(std::time(nullptr), end.game, o, autoplay),
                     end.result, !autoplay, totals, why))
        std::cout << "Games won " << totals.won << ", lost " << totals.lost << ", drawn "
                  << totals.drawn << ".\n";
      else
        std::cerr << "mirq-term: the game was not saved: " << why << "\n";
    }
    if (autoplay) return end.result ? 0 : 1;
    if (!end.problem.empty() && end.game.History().empty()) {
      std::cout << "mirq-term plays from the game tree it sits in (" << tree.root
                << "); scripts/play builds the whole game and starts it.\n";
      return 1;
    }
    if (!AskAgain()) return 0;
  }
}
