#include "scratch_game_tree.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "support/files.h"

namespace fs = std::filesystem;

const char* const TURN_FILES[6] = {"$setup.mvdf",  "$setTe.mvdf",   "$setKoma.mvdf",
                                   "$points.mvdf", "$enemyTe.mvdf", "$enemy.mvdf"};

ScratchGameTree::ScratchGameTree(const std::string& name) : root_(name) {
  fs::create_directories(root_ / "data");
  fs::create_directories(root_ / "save_data");
  Write("$setup.mvdf", "2");
  Write("$setTe.mvdf", "7161");
  Write("$setKoma.mvdf", "5031");
  Write("$points.mvdf", "000");
  Write("$enemyTe.mvdf", "6272");
  Write("$enemy.mvdf", "0");
}

void ScratchGameTree::Write(const std::string& name, const std::string& content) const {
  // The engine may hold the file open for a moment on some systems.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    if (std::FILE* f = std::fopen(File(name).string().c_str(), "wb")) {
      std::fwrite(content.data(), 1, content.size(), f);
      std::fclose(f);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::string ScratchGameTree::Read(const std::string& name) const {
  return ReadBytes(File(name));
}

bool ScratchGameTree::Exists(const std::string& name) const {
  return fs::exists(File(name));
}

void ScratchGameTree::Remove(const std::string& name) const {
  // On Windows a file the engine has open at that moment cannot be deleted.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::error_code ec;
    fs::remove(File(name), ec);
    if (!fs::exists(File(name))) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void ScratchGameTree::Age() const {
  auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (const char* name : TURN_FILES) {
    std::error_code ec;
    fs::last_write_time(File(name), old, ec);
  }
}

bool ScratchGameTree::Written(const std::string& name) const {
  std::error_code ec;
  auto t = fs::last_write_time(File(name), ec);
  if (ec) return false;
  return t > fs::file_time_type::clock::now() - std::chrono::minutes(30);
}

WorkingFolder::WorkingFolder(const fs::path& dir) : old_(fs::current_path()) {
  fs::current_path(dir);
}
WorkingFolder::~WorkingFolder() {
  std::error_code ec;
  fs::current_path(old_, ec);
}
