// One look at the request file during the human's turn, with the three
// files the game program writes taken from the input: "$setup.mvdf", then
// "$setTe.mvdf" and "$setKoma.mvdf", separated by 0xFF bytes (a file whose
// part is missing does not exist). The engine must answer exactly as the
// exchange requires and write only its own turn files in "../save_data/".
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/game.h"
#include "driver/points.h"
#include "driver/turn_files.h"
#include "fuzz_support.h"
#include "position/movegen.h"

namespace fs = std::filesystem;

namespace {

const std::set<std::string> kTurnFiles = {"$setup.mvdf",  "$setTe.mvdf",   "$setKoma.mvdf",
                                          "$points.mvdf", "$enemyTe.mvdf", "$enemy.mvdf"};

std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  if (line.size() > TURN_LINE_CHARS) line.resize(TURN_LINE_CHARS);
  return line.substr(0, line.find('\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path& root = fuzz::ScratchRoot();
  static const fs::path saveData = [&] {
    fs::create_directories(root / "engine");
    fs::create_directories(root / "save_data");
    return root / "save_data";
  }();
  static const EvalState start = [] {
    StartUp(1);
    return Current;
  }();

  std::vector<std::string> parts(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF)
      parts.emplace_back();
    else
      parts.back() += static_cast<char>(data[i]);
  }
  for (const std::string& name : fuzz::NamesIn(saveData)) fs::remove(saveData / name);
  const char* names[] = {"$setup.mvdf", "$setTe.mvdf", "$setKoma.mvdf"};
  for (size_t i = 0; i < parts.size() && i < 3; ++i)
    fuzz::WriteFile(saveData / names[i], reinterpret_cast<const uint8_t*>(parts[i].data()),
                    parts[i].size());

  BeginGame(start, SELF);
  LegalCount = GenerateMoves(Current.pos, SELF, LegalMoves);
  // The engine runs in its own folder, beside "save_data"; the fuzzer's
  // own relative paths need the folder it was started in back afterwards.
  int home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  FUZZ_CHECK(home >= 0 && chdir((root / "engine").c_str()) == 0, "cannot enter the engine folder");
  Move move{};
  TurnOutcome t = PollHumanRequest(move);
  FUZZ_CHECK(fchdir(home) == 0, "cannot return to the starting folder");
  close(home);

  std::set<std::string> written = fuzz::NamesIn(saveData);
  for (const std::string& name : written)
    FUZZ_CHECK(kTurnFiles.count(name) == 1, "unexpected file " + name + " in save_data");
  FUZZ_CHECK(fuzz::NamesIn(root) == (std::set<std::string>{"engine", "save_data"}),
             "the engine wrote beside save_data: " + fuzz::Join(fuzz::NamesIn(root)));
  FUZZ_CHECK(fuzz::NamesIn(root / "engine").empty(), "the engine wrote into its own folder");

  char request = parts[0].empty() ? '\0' : parts[0][0];
  std::string setup = fuzz::ReadFile(saveData / "$setup.mvdf");
  bool answeredEnemy = written.count("$enemy.mvdf") == 1;
  if (request == '3') {
    if (t == EXIT_UNANSWERED) {
      FUZZ_CHECK(setup == parts[0] && !answeredEnemy,
                 "a move line the engine stops on got an answer");
    } else {
      FUZZ_CHECK(t == MOVE_CHOSEN || t == REQUEST_ANSWERED, "a move request was not answered");
      FUZZ_CHECK(fuzz::ReadFile(saveData / "$enemy.mvdf") == "0",
                 "a move request without \"0\" in $enemy.mvdf");
      FUZZ_CHECK(setup == (t == MOVE_CHOSEN ? "2" : "1"), "move answer '" + setup + "'");
      if (t == MOVE_CHOSEN) {
        std::string points = fuzz::ReadFile(saveData / "$points.mvdf");
        FUZZ_CHECK(points == "000" || points == "100" || points == "010" || points == "001",
                   "point report '" + points + "'");
        FUZZ_CHECK(parts.size() > 1 && !FirstLine(parts[1]).empty(),
                   "a move accepted without a move line");
      } else {
        FUZZ_CHECK(written.count("$points.mvdf") == 0, "a rejected move got a point report");
      }
    }
  } else if (request == '4') {
    FUZZ_CHECK(t == REQUEST_ANSWERED && !answeredEnemy, "a purchase request touched $enemy.mvdf");
    bool accepted = parts.size() > 2 && !FirstLine(parts[2]).empty() &&
                    CheckPurchase(FirstLine(parts[2]).c_str());
    FUZZ_CHECK(setup == (accepted ? "2" : "1"), "purchase answer '" + setup + "'");
  } else {
    FUZZ_CHECK(t == NO_REQUEST, "an answer without a request");
    FUZZ_CHECK(written.size() == std::min<size_t>(parts.size(), 3) && setup == parts[0],
               "the engine wrote without a request");
  }
  return 0;
}
