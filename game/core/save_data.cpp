#include "save_data.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/protocol.h"

namespace fs = std::filesystem;

bool LoadScore(const std::string& path, Score& score, std::string& why) {
  score = Score{};
  std::ifstream in(path);
  if (!in) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return true;
    why = "cannot read " + path;
    return false;
  }
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name;
    long count = -1;
    if (!(words >> name)) continue;
    if (!(words >> count) || count < 0 || count > 1000000000) {
      why = path + " holds an unreadable line: '" + line + "'";
      return false;
    }
    if (name == "won")
      score.won = static_cast<int>(count);
    else if (name == "lost")
      score.lost = static_cast<int>(count);
    else if (name == "drawn")
      score.drawn = static_cast<int>(count);
  }
  return true;
}

bool SaveScore(const std::string& path, const Score& score, std::string& why) {
  const std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << "won " << score.won << "\nlost " << score.lost << "\ndrawn " << score.drawn << "\n";
    out.close();
    if (!out) {
      why = "cannot write " + temp;
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    why = "cannot replace " + path + ": " + ec.message();
    fs::remove(temp, ec);
    return false;
  }
  return true;
}

bool RecordGame(const std::string& folder, const std::string& record, int result, bool counts,
                Score& totals, std::string& why) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  const std::string games = (fs::path(folder) / "games.txt").string();
  {
    std::ofstream out(games, std::ios::app);
    out << record << "\n";
    out.close();
    if (!out) {
      why = "cannot append to " + games;
      return false;
    }
  }
  const std::string scorePath = (fs::path(folder) / "score.txt").string();
  if (!LoadScore(scorePath, totals, why)) return false;
  if (!counts) return true;
  if (result == HUMAN_WON)
    ++totals.won;
  else if (result == ENGINE_WON)
    ++totals.lost;
  else if (result == DRAWN)
    ++totals.drawn;
  else
    return true;
  return SaveScore(scorePath, totals, why);
}
