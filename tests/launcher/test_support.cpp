#include "test_support.h"

#include "platform/win32.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <vector>

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

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write fixture " << path;
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
  std::random_device random;
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  // Taken once, before any test points the temporary folder elsewhere.
  static const fs::path base = fs::temp_directory_path();
  root_ = base /
          ("mirq-launcher-" + std::string(info->name()) + "-" + std::to_string(random() % 1000000));
  fs::remove_all(root_);
  fs::create_directories(root_);
  root_ = fs::canonical(root_);
  SetTemporaryFolder(root_);
}

void ScratchTest::TearDown() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}
