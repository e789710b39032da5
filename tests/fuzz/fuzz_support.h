// Helpers shared by the fuzz targets: a private scratch folder per process,
// whole-file writes, listings of what a folder holds, and a check that
// stops the run with a message (libFuzzer and the replay main both treat
// the abort as a crash and keep the input).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>

namespace fuzz {

namespace fs = std::filesystem;

[[noreturn]] inline void Fail(const char* file, int line, const std::string& what) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what.c_str());
  std::fflush(stderr);
  std::abort();
}

#define FUZZ_CHECK(cond, what)                             \
  do {                                                     \
    if (!(cond)) ::fuzz::Fail(__FILE__, __LINE__, (what)); \
  } while (0)

// A fresh folder of this process under the system's temporary folder,
// removed again when the process ends normally. libFuzzer ends without
// running exit handlers, so scripts/test --fuzz points TMPDIR at a folder
// of its own and removes that.
inline const fs::path& ScratchRoot();

inline void RemoveScratchRoot() {
  std::error_code ec;
  fs::remove_all(ScratchRoot(), ec);
}

inline const fs::path& ScratchRoot() {
  static const fs::path root = [] {
    std::string pattern = (fs::temp_directory_path() / "mirq-fuzz-XXXXXX").string();
    if (!mkdtemp(&pattern[0])) Fail(__FILE__, __LINE__, "cannot create a scratch folder");
    return fs::path(pattern);
  }();
  // Registered once root is built, so that the handler runs before root is
  // destroyed at exit.
  static const bool removedAtExit = (std::atexit(RemoveScratchRoot), true);
  (void)removedAtExit;
  return root;
}

inline void WriteFile(const fs::path& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  FUZZ_CHECK(out.good(), "cannot write " + path.string());
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names directly inside folder (links are not followed).
inline std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    names.insert(it->path().filename().string());
  return names;
}

inline std::string Join(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
  return "{" + text + "}";
}

// Every path below folder stays below it once resolved: no link and no
// ".." leads out of it.
inline void CheckContained(const fs::path& folder) {
  std::error_code ec;
  fs::path base = fs::canonical(folder, ec);
  FUZZ_CHECK(!ec, "cannot resolve " + folder.string());
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    FUZZ_CHECK(!it->is_symlink(), "a link appeared at " + it->path().string());
    fs::path real = fs::weakly_canonical(it->path(), ec);
    FUZZ_CHECK(!ec, "cannot resolve " + it->path().string());
    auto rel = real.lexically_relative(base);
    FUZZ_CHECK(!rel.empty() && *rel.begin() != "..",
               it->path().string() + " lies outside " + base.string());
  }
}

inline void RemoveTree(const fs::path& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
  FUZZ_CHECK(!ec, "cannot remove " + path.string() + ": " + ec.message());
}

}  // namespace fuzz
