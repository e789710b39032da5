#include "support/scratch_dir.h"

#include <gtest/gtest.h>

#include <random>

namespace fs = std::filesystem;

namespace {

std::string RunningTestName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (info == nullptr) return "test";
  return info->name();
}

}  // namespace

ScratchDir::ScratchDir(const std::string& tag) {
  // Taken once, before any test points the temporary folder elsewhere.
  static const fs::path base = fs::temp_directory_path();
  std::string name = tag.empty() ? RunningTestName() : tag;
  for (char& c : name)
    if (c == '/' || c == '\\' || c == ':') c = '_';  // parameterised test names
  std::random_device random;
  for (;;) {
    fs::path candidate = base / ("mirq-" + name + "-" + std::to_string(random() % 1000000));
    if (fs::create_directories(candidate)) {
      path_ = fs::canonical(candidate);
      return;
    }
  }
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}
