// The launcher's own-file stage on any bytes: the input is the launcher
// file, whose trailer names the package that is copied out to the
// temporary folder and unpacked into SANDBOX/dest. Nothing may appear
// beside dest or in the temporary folder except the temporary package
// after a failed unpack (kept there on purpose); the own file stays as it
// was.
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "package.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path& root = fuzz::ScratchRoot();
  static const fs::path temp = [&] {
    fs::path t = root / "temp";
    fs::create_directories(t);
    fs::permissions(t, fs::perms::owner_all);
    // The launcher's temporary folder, where "tmp.mpk" is written: the
    // session's private folder comes first.
    setenv("XDG_RUNTIME_DIR", t.c_str(), 1);
    setenv("TMPDIR", t.c_str(), 1);
    return t;
  }();
  fs::path self = root / "launcher.bin";
  fs::path sandbox = root / "sandbox";
  fs::path dest = sandbox / "dest";
  fuzz::RemoveTree(sandbox);
  fs::create_directories(dest);
  fuzz::WriteFile(self, data, size);

  int result = ExtractPayload(self.string(), dest.string());
  FUZZ_CHECK(result >= kExtractOk && result <= kExtractUnpackFailed,
             "result " + std::to_string(result));

  std::set<std::string> beside = fuzz::NamesIn(sandbox);
  FUZZ_CHECK(beside == std::set<std::string>{"dest"}, "the sandbox holds " + fuzz::Join(beside));
  std::set<std::string> inRoot = fuzz::NamesIn(root);
  FUZZ_CHECK(inRoot == (std::set<std::string>{"launcher.bin", "sandbox", "temp"}),
             "the scratch folder holds " + fuzz::Join(inRoot));
  fuzz::CheckContained(dest);
  std::set<std::string> inTemp = fuzz::NamesIn(temp);
  if (result == kExtractUnpackFailed)
    FUZZ_CHECK(inTemp == std::set<std::string>{"tmp.mpk"},
               "after a failed unpack the temporary folder holds " + fuzz::Join(inTemp));
  else
    FUZZ_CHECK(inTemp.empty(), "result " + std::to_string(result) + " left " + fuzz::Join(inTemp));
  FUZZ_CHECK(fuzz::ReadFile(self) == std::string(reinterpret_cast<const char*>(data), size),
             "the launcher file was changed");

  fs::remove(temp / "tmp.mpk");
  fuzz::RemoveTree(sandbox);
  return 0;
}
