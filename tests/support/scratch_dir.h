// A fresh folder of a test's own under the system's temporary folder,
// removed with everything in it when the object goes.
#pragma once

#include <filesystem>
#include <string>

class ScratchDir {
 public:
  // The folder's name carries tag, or the running test's name if tag is
  // empty, so a folder left behind by a crash says whose it was.
  explicit ScratchDir(const std::string& tag = "");
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::filesystem::path operator/(const std::filesystem::path& relative) const {
    return path_ / relative;
  }

 private:
  std::filesystem::path path_;
};
