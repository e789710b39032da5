// replay: plays recorded games of the terminal game's games.txt again and
// tells where each one ends.
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "engine_link.h"
#include "game_record.h"
#include "position/usi.h"
#include "tool.h"

namespace {

const char* const kUsage = "replay FILE [N]";

bool ReadGameNumber(const std::string& text, size_t& n) {
  n = 0;
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<size_t>(c - '0');
  }
  return n >= 1;
}

std::string Describe(int result, Ending how) {
  std::string text = ResultWord(result);
  if (how != Ending::None) text += std::string(" ") + EndingWord(how);
  return text;
}

// Prints the final SFEN and the result: status 0, or 1 when the replay
// ends elsewhere than the record says, 2 when it does not replay.
int ReplayOne(const GameRecord& record, size_t number) {
  static GameState game;
  std::string why;
  if (!ReplayGameRecord(record, game, why))
    return ToolError("game " + std::to_string(number) + " does not replay: " + why);
  GameOutcome reached = ReachedOutcome(record, game);
  std::printf("sfen %s\nresult %s\n", FormatSfen(game.Board(), game.SideToMove()).c_str(),
              Describe(reached.result, reached.how).c_str());
  bool agrees =
      reached.result == record.result && (record.how == Ending::None || reached.how == record.how);
  if (!agrees)
    std::fprintf(stderr, "mirq-tool: game %zu is recorded as %s, but its replay ends %s\n", number,
                 Describe(record.result, record.how).c_str(),
                 Describe(reached.result, reached.how).c_str());
  return agrees ? 0 : 1;
}

int CmdReplay(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) return ToolError(std::string("usage: ") + kUsage);
  size_t wanted = 0;
  if (args.size() == 2 && !ReadGameNumber(args[1], wanted))
    return ToolError("bad game number '" + args[1] + "' (1 is the first game of the file)");
  std::ifstream in(args[0]);
  if (!in) return ToolError("cannot read '" + args[0] + "'");

  std::vector<GameRecord> records;
  std::string line;
  for (size_t n = 1; std::getline(in, line); ++n) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    GameRecord r;
    std::string why;
    if (!ParseGameRecord(line, r, why))
      return ToolError(args[0] + " line " + std::to_string(n) + ": " + why);
    records.push_back(r);
  }
  if (wanted > records.size())
    return ToolError("no game " + std::to_string(wanted) + ": " + args[0] + " holds " +
                     std::to_string(records.size()));

  int status = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    if (wanted && i + 1 != wanted) continue;
    if (!wanted) std::printf("game %zu\n", i + 1);
    int s = ReplayOne(records[i], i + 1);
    if (s == 2) return s;
    status = std::max(status, s);
  }
  return status;
}

const bool registered = RegisterCommand(
    "replay", "replay FILE [N]         game N of a games.txt (every game without N): SFEN, result",
    CmdReplay);

}  // namespace
