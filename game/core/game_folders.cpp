#include "game_folders.h"

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

std::string OwnFolder(const char* argv0) {
  std::string self;
#ifdef _WIN32
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n > 0 && n < sizeof buf) self.assign(buf, n);
#else
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n > 0) self.assign(buf, static_cast<size_t>(n));
#endif
  if (self.empty() && argv0) {
    std::error_code ec;
    fs::path p = fs::absolute(argv0, ec);
    if (!ec) self = p.string();
  }
  return fs::path(self).parent_path().string();
}

GameFolders FoldersAt(const std::string& root) {
  fs::path r(root);
  GameFolders t;
  t.root = r.string();
  t.data = (r / "data").string();
  t.turns = (r / "save_data").string();
  t.saves = (r / "savedata").string();
#ifdef _WIN32
  t.engine = (r / "data" / "Mirqmind.exe").string();
#else
  t.engine = (r / "data" / "Mirqmind").string();
#endif
  return t;
}
