// Writing and reading the package that follows the launcher's image. Byte
// strings hold file contents; names are the bytes stored in the package.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct PackItem {
  std::string name;  // "\"-separated, beginning with "\"
  std::string content;
};

// Header, entry table and contents back to back, offsets as the unpacker
// expects them. Names are stored as given (at most 259 bytes, else false).
bool BuildPackage(const std::vector<PackItem>& items, std::string& package, std::string& error);

// The 16-byte trailer that closes a packed launcher.
std::string BuildTrailer(uint32_t packageSize, uint32_t packageOffset);

// The launcher image, the package and the trailer pointing at it.
bool BuildPackedLauncher(const std::string& image, const std::string& package, std::string& packed,
                         std::string& error);

// The name a file at relative path gets in the package, or "" with error
// set when the unpacker would refuse or misread it.
std::string EntryNameFor(const std::filesystem::path& relative, std::string& error);

// Every regular file below folder, sorted byte-wise by entry name, the
// start marker last; names that would meet on Windows are refused.
bool CollectFolder(const std::filesystem::path& folder, std::vector<PackItem>& items,
                   std::string& error);

struct ListedEntry {
  std::string name;
  uint32_t size;
};

// The entries of a packed launcher's package.
bool ReadPackedEntries(const std::string& packed, std::vector<ListedEntry>& entries,
                       std::string& error);

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string& error);
// Writes through a temporary file beside path, so that a failure leaves
// no partial output.
bool WriteWholeFile(const std::filesystem::path& path, const std::string& bytes,
                    std::string& error);
