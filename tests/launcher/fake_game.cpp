// Stands in for the game program in the launcher's end-to-end tests. It
// finds its tree from its own path, appends a line to savedata/runs.log and
// follows the commands of fakegame.txt beside it:
//   list               savedata/seen.txt: the names in savedata ("/" marks folders)
//   write NAME TEXT    savedata/NAME holds TEXT
//   delete NAME        removes savedata/NAME
//   mkdir NAME         savedata/NAME/inner.sav
//   probe PATH         appends "PATH yes|no" to savedata/probe.txt (PATH below the tree)
//   cwd                savedata/cwd.txt: the current folder
//   fill NAME BYTES    savedata/NAME holds BYTES bytes
//   hold               writes "playing" beside itself and waits (at most a
//                      minute) until "release" is there
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& text, bool append = false) {
  std::ofstream out(path, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  out << text;
}

}  // namespace

int main(int, char** argv) {
  fs::path tree = fs::absolute(fs::path(argv[0])).parent_path();
  fs::path save = tree / "savedata";
  std::error_code ec;
  fs::create_directories(save, ec);
  Write(save / "runs.log", "run\n", true);
  std::ifstream script(tree / "fakegame.txt");
  std::string line;
  while (std::getline(script, line)) {
    std::istringstream words(line);
    std::string command, name, text;
    words >> command >> name;
    std::getline(words >> std::ws, text);
    if (command == "list") {
      std::vector<std::string> names;
      for (const fs::directory_entry& entry : fs::directory_iterator(save))
        names.push_back(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
      std::sort(names.begin(), names.end());
      std::string joined;
      for (const std::string& n : names) joined += n + " ";
      Write(save / "seen.txt", joined);
    } else if (command == "write") {
      Write(save / name, text);
    } else if (command == "delete") {
      fs::remove(save / name, ec);
    } else if (command == "mkdir") {
      fs::create_directories(save / name, ec);
      Write(save / name / "inner.sav", "inner");
    } else if (command == "probe") {
      Write(save / "probe.txt", name + (fs::exists(tree / name) ? " yes\n" : " no\n"), true);
    } else if (command == "cwd") {
      Write(save / "cwd.txt", fs::current_path().string());
    } else if (command == "fill") {
      Write(save / name, std::string(std::stoul(text), 'x'));
    } else if (command == "hold") {
      Write(tree / "playing", "");
      for (int i = 0; i < 6000 && !fs::exists(tree / "release"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  return 0;
}
