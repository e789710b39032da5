// mirqpack LAUNCHER FOLDER -o OUTPUT: appends the package of every file
// under FOLDER to a copy of LAUNCHER.
// mirqpack --list FILE: prints the entries of a packed launcher.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "pack_writer.h"

namespace fs = std::filesystem;

namespace {

const int kExitFailure = 1;
const int kExitRefused = 2;

int Usage() {
  std::fprintf(stderr,
               "usage: mirqpack LAUNCHER FOLDER -o OUTPUT\n"
               "       mirqpack --list FILE\n");
  return kExitRefused;
}

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "mirqpack: %s\n", message.c_str());
  return code;
}

int List(const fs::path& file) {
  std::string packed, error;
  std::vector<ListedEntry> entries;
  if (!ReadWholeFile(file, packed, error) || !ReadPackedEntries(packed, entries, error))
    return Fail(error, kExitFailure);
  for (const ListedEntry& entry : entries) std::printf("%s\t%u\n", entry.name.c_str(), entry.size);
  return 0;
}

int Pack(const fs::path& launcher, const fs::path& folder, const fs::path& output) {
  std::string image, package, packed, error;
  std::vector<PackItem> items;
  if (!ReadWholeFile(launcher, image, error)) return Fail(error, kExitFailure);
  if (!CollectFolder(folder, items, error))
    return Fail(error, error.rfind("refused", 0) == 0 ? kExitRefused : kExitFailure);
  if (!BuildPackage(items, package, error) || !BuildPackedLauncher(image, package, packed, error))
    return Fail(error, kExitFailure);
  if (!WriteWholeFile(output, packed, error)) return Fail(error, kExitFailure);
  // The output is a program like the launcher it was made from.
  std::error_code ec;
  fs::permissions(output, fs::status(launcher, ec).permissions(), ec);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--list") == 0) return List(argv[2]);
  if (argc == 5 && std::strcmp(argv[3], "-o") == 0) return Pack(argv[1], argv[2], argv[4]);
  return Usage();
}
