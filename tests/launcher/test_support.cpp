#include "test_support.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/win32.h"

std::string LauncherPath(const fs::path& path) {
  std::string text = path.string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

fs::path FromLauncherPath(const std::string& path) {
#ifdef _WIN32
  return fs::path(path);
#else
  std::string text = path;
  std::replace(text.begin(), text.end(), '\\', '/');
  return fs::path(text);
#endif
}

void SetTemporaryFolder(const fs::path& folder) {
#ifdef _WIN32
  _putenv_s("TMP", folder.string().c_str());
  _putenv_s("TEMP", folder.string().c_str());
#else
  // The stand-in takes the session's private runtime folder first; the
  // folder must be the user's own and closed to others.
  fs::permissions(folder, fs::perms::owner_all);
  setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  setenv("TMPDIR", folder.c_str(), 1);
#endif
}

bool ShiftJisNames() {
#ifdef _WIN32
  return GetACP() == 932;
#else
  return true;
#endif
}

std::string PlatformMessage(unsigned long error) {
  char text[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(error), 0, text, sizeof(text), nullptr);
  return std::string(text, length);
}

std::string NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const std::string& name : names) joined += name + " ";
  return joined;
}

void ScratchTest::SetUp() {
  scratch_.emplace();
  root_ = scratch_->path();
  SetTemporaryFolder(root_);
}

void ScratchTest::TearDown() {
  scratch_.reset();
}
