#include "pack_writer.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <map>
#include <system_error>

#include "package_format.h"

namespace fs = std::filesystem;

namespace {

void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetU32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// Splits a stored name into its components the way the unpacker reads it.
std::vector<std::string> SplitName(const std::string& name) {
  std::vector<std::string> parts(1);
  for (size_t i = 1; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsSjisLeadByte(c) && i + 1 < name.size()) {
      parts.back() += name[i];
      parts.back() += name[++i];
    } else if (c == '\\') {
      parts.emplace_back();
    } else {
      parts.back() += name[i];
    }
  }
  return parts;
}

}  // namespace

bool BuildPackage(const std::vector<PackItem>& items, std::string& package, std::string& error) {
  const uint64_t limit = std::numeric_limits<uint32_t>::max();
  uint64_t offset =
      sizeof(PackageHeader) + sizeof(PackageEntry) * static_cast<uint64_t>(items.size());
  uint64_t total = offset;
  for (const PackItem& item : items) total += item.content.size();
  if (total > limit) {
    error = "package would exceed 4 GiB";
    return false;
  }
  package.clear();
  package.reserve(static_cast<size_t>(total));
  package.append(kPackageMagic, sizeof(kPackageMagic));
  PutU32(package, static_cast<uint32_t>(items.size()));
  for (const PackItem& item : items) {
    if (item.name.size() >= kEntryNameSize) {
      error = "name too long for the package: " + item.name;
      return false;
    }
    std::string field = item.name;
    field.resize(kEntryNameSize, '\0');
    package += field;
    PutU32(package, static_cast<uint32_t>(offset));
    PutU32(package, static_cast<uint32_t>(item.content.size()));
    offset += item.content.size();
  }
  for (const PackItem& item : items) package += item.content;
  return true;
}

std::string BuildTrailer(uint32_t packageSize, uint32_t packageOffset) {
  std::string trailer(kTrailerMagic, sizeof(kTrailerMagic));
  PutU32(trailer, sizeof(PayloadTrailer));
  PutU32(trailer, packageSize);
  PutU32(trailer, packageOffset);
  return trailer;
}

bool BuildPackedLauncher(const std::string& image, const std::string& package, std::string& packed,
                         std::string& error) {
  if (image.size() + package.size() + sizeof(PayloadTrailer) >
      std::numeric_limits<uint32_t>::max()) {
    error = "packed launcher would exceed 4 GiB";
    return false;
  }
  packed = image + package +
           BuildTrailer(static_cast<uint32_t>(package.size()), static_cast<uint32_t>(image.size()));
  return true;
}

std::string EntryNameFor(const fs::path& relative, std::string& error) {
  std::vector<std::string> components;
  std::string name;
  for (const fs::path& part : relative) {
    std::string text = part.string();
    components.push_back(text);
    name += "\\" + text;
  }
  // The unpacker refuses these names; a name whose bytes it would split
  // into other folders (a "\" inside a file name, a Shift-JIS character
  // across a separator) would land somewhere else.
  if (!IsSafeEntryName(name) || SplitName(name) != components) {
    error = "refused name: " + name;
    return std::string();
  }
  return name;
}

bool CollectFolder(const fs::path& folder, std::vector<PackItem>& items, std::string& error) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    error = "not a folder: " + folder.string();
    return false;
  }
  fs::recursive_directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    PackItem item;
    item.name = EntryNameFor(it->path().lexically_relative(folder), error);
    if (item.name.empty()) return false;
    if (!ReadWholeFile(it->path(), item.content, error)) return false;
    items.push_back(std::move(item));
  }
  if (ec) {
    error = "cannot list " + folder.string() + ": " + ec.message();
    return false;
  }
  std::sort(items.begin(), items.end(),
            [](const PackItem& a, const PackItem& b) { return a.name < b.name; });
  // Names that differ only in letter case are one file on Windows.
  std::map<std::string, std::string> folded;
  for (const PackItem& item : items) {
    auto seen = folded.emplace(FoldedEntryName(item.name), item.name);
    if (!seen.second) {
      error = "refused name: " + item.name + " is the same file as " + seen.first->second +
              " on Windows";
      return false;
    }
  }
  // The start marker goes last, so that a tree is never complete before
  // every other entry is.
  std::stable_partition(items.begin(), items.end(),
                        [](const PackItem& item) { return !IsStartMarker(item.name); });
  return true;
}

bool ReadPackedEntries(const std::string& packed, std::vector<ListedEntry>& entries,
                       std::string& error) {
  if (packed.size() < sizeof(PayloadTrailer)) {
    error = "file too short for a trailer";
    return false;
  }
  size_t trailerAt = packed.size() - sizeof(PayloadTrailer);
  uint64_t size = GetU32(packed, trailerAt + 8);
  uint64_t offset = GetU32(packed, trailerAt + 12);
  if (offset + size > trailerAt || size < sizeof(PackageHeader) ||
      packed.compare(offset, sizeof(kPackageMagic), kPackageMagic, sizeof(kPackageMagic)) != 0) {
    error = "no package before the trailer";
    return false;
  }
  uint64_t count = GetU32(packed, offset + 4);
  if (sizeof(PackageHeader) + count * sizeof(PackageEntry) > size) {
    error = "entry table longer than the package";
    return false;
  }
  for (uint64_t i = 0; i < count; ++i) {
    size_t at = static_cast<size_t>(offset + sizeof(PackageHeader) + i * sizeof(PackageEntry));
    std::string field = packed.substr(at, kEntryNameSize);
    entries.push_back({field.substr(0, field.find('\0')), GetU32(packed, at + 264)});
  }
  return true;
}

bool ReadWholeFile(const fs::path& path, std::string& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path.string();
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = "cannot read " + path.string();
    return false;
  }
  return true;
}

bool WriteWholeFile(const fs::path& path, const std::string& bytes, std::string& error) {
  fs::path part = path;
  part += ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(part, ignored);
      error = "cannot write " + path.string();
      return false;
    }
  }
  std::error_code ec;
  fs::rename(part, path, ec);
  if (ec) {
    fs::remove(part, ec);
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}
