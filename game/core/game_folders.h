// Where the game program finds its tree: the folder of its own executable,
// whatever the current directory is (the launcher does not change it).
#pragma once

#include <string>

struct GameFolders {
  std::string root;    // folder of the game program
  std::string data;    // root/data: the engine and its working folder
  std::string turns;   // root/save_data: the turn files
  std::string saves;   // root/savedata: the player's saved data
  std::string engine;  // data/Mirqmind (Mirqmind.exe on Windows)
};

// The folder that holds the running executable; argv0 is the fallback when
// the platform cannot tell.
std::string OwnFolder(const char* argv0);

GameFolders FoldersAt(const std::string& root);
