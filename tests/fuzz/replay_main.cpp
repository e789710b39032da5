// Runs a fuzz target over every file of the folders (or files) it is given,
// so the seed corpus and every kept crash input run in the normal test suite.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

static bool RunFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

int main(int argc, char** argv) {
  int files = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    fs::path arg(argv[i]);
    if (fs::is_directory(arg)) {
      std::vector<fs::path> paths;
      for (const auto& entry : fs::directory_iterator(arg))
        if (entry.is_regular_file()) paths.push_back(entry.path());
      std::sort(paths.begin(), paths.end());
      for (const auto& p : paths) ok = RunFile(p) && ok, ++files;
    } else {
      ok = RunFile(arg) && ok;
      ++files;
    }
  }
  std::printf("%d inputs replayed\n", files);
  if (files == 0) {
    std::fprintf(stderr, "no corpus inputs found\n");
    return 1;
  }
  return ok ? 0 : 1;
}
