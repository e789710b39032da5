#include "turn_files.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

std::string TurnFiles::PathOf(const char* name) const {
  return (std::filesystem::path(folder_) / name).string();
}

bool TurnFiles::WriteInitial(std::string& why) const {
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  static const char* const shipped[6][2] = {
      {turn::kSetup, "2"},      {turn::kSetTe, "7161"},
      {turn::kSetKoma, "5031"}, {turn::kPoints, POINT_REPORT[0]},
      {turn::kEnemyTe, "6272"}, {turn::kEnemy, "0"},
  };
  for (const auto& file : shipped) {
    if (!Write(file[0], file[1])) {
      why = "cannot write " + PathOf(file[0]);
      return false;
    }
  }
  return true;
}

bool TurnFiles::Write(const char* name, const std::string& text) const {
  const std::string path = PathOf(name);
  for (int attempt = 0; attempt < 250; ++attempt) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
      bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
      ok = std::fclose(f) == 0 && ok;
      if (ok) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

bool TurnFiles::Read(const char* name, std::string& text) const {
  std::FILE* f = std::fopen(PathOf(name).c_str(), "rb");
  if (!f) return false;
  char buf[80];
  size_t n = std::fread(buf, 1, 79, f);
  std::fclose(f);
  text.assign(buf, n);
  size_t end = text.find_first_of("\r\n");
  if (end != std::string::npos) text.resize(end);
  return true;
}

char TurnFiles::FirstChar(const char* name) const {
  std::string text;
  if (!Read(name, text) || text.empty()) return 0;
  return text[0];
}
