// A full disk on demand, for tests of what the launcher does when a write
// does not fit: MIRQ_FULL_DISK names a folder, MIRQ_FULL_DISK_FREE the
// bytes left on its disk. Nothing else in the stand-in reads the
// environment for this.
#include <cstdlib>
#include <string>

#include "platform/posix_internal.h"

namespace posix_stand_in {

namespace {

// "//" and a trailing "/" do not change which file a path names.
std::string Normal(const std::string& path) {
  std::string out;
  for (char c : path)
    if (c != '/' || out.empty() || out.back() != '/') out += c;
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

struct FullDisk {
  std::string folder;  // empty: no full disk
  unsigned long long free = 0;
};

FullDisk& Disk() {
  static FullDisk disk = [] {
    FullDisk d;
    const char* folder = std::getenv("MIRQ_FULL_DISK");
    const char* free = std::getenv("MIRQ_FULL_DISK_FREE");
    if (folder != nullptr && folder[0] == '/') d.folder = Normal(folder) + "/";
    if (free != nullptr) d.free = std::strtoull(free, nullptr, 10);
    return d;
  }();
  return disk;
}

}  // namespace

size_t FitsOnDisk(const std::string& path, size_t count) {
  FullDisk& disk = Disk();
  if (disk.folder.empty() || Normal(path).compare(0, disk.folder.size(), disk.folder) != 0)
    return count;
  size_t fits = count < disk.free ? count : static_cast<size_t>(disk.free);
  disk.free -= fits;
  return fits;
}

}  // namespace posix_stand_in
