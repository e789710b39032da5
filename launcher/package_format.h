// The package appended to the launcher's executable: a header, a table of
// entries and the entries' contents back to back, followed at the very end
// of the file by a 16-byte trailer. Integers are 32-bit little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "entry_name.h"

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

// The empty entry at the package's root whose presence marks a complete
// tree. The unpacker writes it after every other entry, the packer stores
// it last.
const char kStartMarkerName[] = "start.mirq";

inline bool IsStartMarker(const std::string& name) {
  return FoldedEntryName(name) == FoldedEntryName(std::string("\\") + kStartMarkerName);
}

const char kPackageMagic[4] = {'T', 'A', 'R', '\0'};
const char kTrailerMagic[4] = {'P', 'A', 'Y', '\0'};
