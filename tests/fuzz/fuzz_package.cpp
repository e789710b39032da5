// The package unpacker on any bytes: the input is the package file, which
// is unpacked into SANDBOX/dest. Whatever the outcome, nothing may appear
// beside dest, nothing below dest may lead out of it, and a result of 0
// means every entry of the table was written, any other result leaves no
// start marker.
#include <cstdint>
#include <cstring>

#include "fuzz_support.h"
#include "package.h"
#include "sjis_path.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path& root = fuzz::ScratchRoot();
  fs::path package = root / "input.mpk";
  fs::path sandbox = root / "sandbox";
  fs::path dest = sandbox / "dest";
  fuzz::RemoveTree(sandbox);
  fs::create_directories(dest);
  fuzz::WriteFile(package, data, size);

  CPackage unpacker;
  int result = unpacker.Unpack(package.string(), dest.string());
  FUZZ_CHECK(result >= kUnpackOk && result <= kUnpackBadContent,
             "result " + std::to_string(result));

  std::set<std::string> beside = fuzz::NamesIn(sandbox);
  FUZZ_CHECK(beside == std::set<std::string>{"dest"}, "the sandbox holds " + fuzz::Join(beside));
  std::set<std::string> inRoot = fuzz::NamesIn(root);
  FUZZ_CHECK(inRoot == (std::set<std::string>{"input.mpk", "sandbox"}),
             "the scratch folder holds " + fuzz::Join(inRoot));
  fuzz::CheckContained(dest);
  // The marker is written last: a tree that failed never counts as complete.
  if (result != kUnpackOk)
    FUZZ_CHECK(!fs::exists(dest / kStartMarkerName), "a failed unpack left the start marker");
  FUZZ_CHECK(fuzz::ReadFile(package).size() == size, "the package file was changed");

  if (result == kUnpackOk && size >= sizeof(PackageHeader)) {
    // Every entry named in the table exists as a file below dest.
    PackageHeader header;
    std::memcpy(&header, data, sizeof header);
    for (uint32_t i = 0; i < header.count; ++i) {
      PackageEntry entry;
      std::memcpy(&entry, data + sizeof header + i * sizeof entry, sizeof entry);
      std::string name;
      for (size_t k = 0; entry.name[k] != '\0'; ++k) {
        bool pair =
            IsSjisLeadByte(static_cast<unsigned char>(entry.name[k])) && entry.name[k + 1] != '\0';
        name += pair || entry.name[k] != '\\' ? entry.name[k] : '/';
        if (pair) name += entry.name[++k];
      }
      FUZZ_CHECK(fs::is_regular_file(dest.string() + name),
                 "entry " + name + " is missing after success");
    }
  }
  fuzz::RemoveTree(sandbox);
  return 0;
}
