// A throw-away game tree for the engine: data/ (the engine's working
// folder) and save_data/ with the six turn files as the game ships them.
#pragma once

#include <filesystem>
#include <string>

#include "support/scratch_dir.h"

class ScratchGameTree {
 public:
  explicit ScratchGameTree(const std::string& name);
  ScratchGameTree(const ScratchGameTree&) = delete;
  ScratchGameTree& operator=(const ScratchGameTree&) = delete;

  std::filesystem::path Data() const { return root_ / "data"; }
  std::filesystem::path File(const std::string& name) const { return root_ / "save_data" / name; }

  // Writes as the game program does: the whole content, no terminator.
  void Write(const std::string& name, const std::string& content) const;
  // The content of a turn file; "" if it is missing or empty.
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  void Remove(const std::string& name) const;

  // Dates every turn file an hour back, so that any later write shows.
  void Age() const;
  bool Written(const std::string& name) const;

 private:
  ScratchDir root_;
};

// The six turn files by name.
extern const char* const TURN_FILES[6];

// Runs the calling thread in dir until destroyed (in-process games).
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::filesystem::path& dir);
  ~WorkingFolder();

 private:
  std::filesystem::path old_;
};
