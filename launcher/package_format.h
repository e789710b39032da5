// The package appended to the launcher's executable: a header, a table of
// entries and the entries' contents back to back, followed at the very end
// of the file by a 16-byte trailer. Integers are 32-bit little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sjis_path.h"

const size_t kEntryNameSize = 260;

struct PackageHeader {
  char magic[4];  // "TAR" and a NUL byte
  uint32_t count;
};

struct PackageEntry {
  char name[kEntryNameSize];  // "\"-separated path below the destination, NUL-terminated
  uint32_t offset;            // from the package's first byte; the unpacker never reads it
  uint32_t size;
};

struct PayloadTrailer {
  char magic[4];  // "PAY" and a NUL byte
  uint32_t trailerSize;
  uint32_t packageSize;
  uint32_t packageOffset;  // absolute offset of the package in the launcher file
};

static_assert(sizeof(PackageHeader) == 8, "package header is 8 bytes");
static_assert(offsetof(PackageHeader, count) == 4, "entry count follows the magic");
static_assert(sizeof(PackageEntry) == 268, "package entry is 268 bytes");
static_assert(offsetof(PackageEntry, offset) == 260, "entry offset follows the name");
static_assert(offsetof(PackageEntry, size) == 264, "entry size follows the offset");
static_assert(sizeof(PayloadTrailer) == 16, "payload trailer is 16 bytes");
static_assert(offsetof(PayloadTrailer, packageSize) == 8, "package size at byte 8");
static_assert(offsetof(PayloadTrailer, packageOffset) == 12, "package offset at byte 12");

const char kPackageMagic[4] = {'T', 'A', 'R', '\0'};
const char kTrailerMagic[4] = {'P', 'A', 'Y', '\0'};

// An entry name may only name a file inside the destination folder: it
// begins with "\", is NUL-terminated within its field, and its components
// are neither empty nor "..", nor hold "/" or ":" (which would leave the
// folder or name a drive or stream). Shift-JIS trail bytes are not
// separators; "/" and ":" are never trail bytes, so they are refused even
// after a lead byte, where a file system would still take them as a
// separator or a drive mark.
inline bool IsSafeEntryName(const char* field, size_t fieldSize) {
  size_t length = 0;
  while (length < fieldSize && field[length] != '\0') ++length;
  if (length == fieldSize || length == 0 || field[0] != '\\') return false;
  for (size_t i = 0; i < length; ++i)
    if (field[i] == '/' || field[i] == ':') return false;
  std::string component;
  for (size_t i = 1; i <= length; ++i) {
    unsigned char c = i < length ? static_cast<unsigned char>(field[i]) : '\\';
    if (i < length && IsSjisLeadByte(c) && i + 1 < length) {
      component += field[i];
      component += field[++i];
      continue;
    }
    if (c == '/' || c == ':') return false;
    if (c == '\\') {
      if (component.empty() || component == "..") return false;
      component.clear();
    } else {
      component += static_cast<char>(c);
    }
  }
  return true;
}

inline bool IsSafeEntryName(const std::string& name) {
  return name.size() < kEntryNameSize && IsSafeEntryName(name.c_str(), name.size() + 1);
}
