// Fixtures shared by the launcher tests: a private scratch folder per test
// that is also the temporary folder the launcher sees, and conversions
// between std::filesystem paths and the launcher's "\"-separated paths.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support/files.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

// The path as the launcher writes it: "\" between the parts.
std::string LauncherPath(const fs::path& path);

// The inverse, for checking paths the launcher returns.
fs::path FromLauncherPath(const std::string& path);

// Points the platform's temporary folder (XDG_RUNTIME_DIR and TMPDIR, or
// TMP and TEMP) at folder for this process and the programs it starts.
void SetTemporaryFolder(const fs::path& folder);

// Whether the file system takes names as Shift-JIS bytes: always on POSIX,
// on Windows only with code page 932.
bool ShiftJisNames();

// The platform's own message text for a last-error value.
std::string PlatformMessage(unsigned long error);

// Sorted names of the entries directly in folder; folders end in "/".
std::string NamesIn(const fs::path& folder);

class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  fs::path root_;  // a fresh folder; also the temporary folder

 private:
  std::optional<ScratchDir> scratch_;
};
