#include "tree_identity.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "package_format.h"
#include "platform/win32.h"

namespace {

const size_t kChunk = 1 << 20;
const DWORD kRecordLimit = 64;

std::string IdentityPath(const std::string& extractDir) {
  return extractDir + ".id";
}

bool ReadAt(HANDLE file, int64_t offset, void* buffer, DWORD count) {
  LARGE_INTEGER at;
  at.QuadPart = offset;
  DWORD done = 0;
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
         ReadFile(file, buffer, count, &done, nullptr) && done == count;
}

// FNV-1a, 64 bits: enough to tell one package from another, no table.
uint64_t Checksum(uint64_t hash, const unsigned char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3ull;
  return hash;
}

}  // namespace

std::string PackageIdentity(const std::string& ownPath) {
  HANDLE file = CreateFileA(ownPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string identity;
  LARGE_INTEGER length;
  PayloadTrailer trailer;
  std::unique_ptr<unsigned char[]> chunk(new (std::nothrow) unsigned char[kChunk]);
  if (chunk && GetFileSizeEx(file, &length) &&
      length.QuadPart >= static_cast<int64_t>(sizeof(trailer)) &&
      ReadAt(file, length.QuadPart - static_cast<int64_t>(sizeof(trailer)), &trailer,
             sizeof(trailer)) &&
      static_cast<int64_t>(trailer.packageOffset) + trailer.packageSize <= length.QuadPart) {
    uint64_t hash = 0xCBF29CE484222325ull;
    bool whole = true;
    for (uint64_t done = 0; whole && done < trailer.packageSize; done += kChunk) {
      DWORD count = static_cast<DWORD>(
          trailer.packageSize - done < kChunk ? trailer.packageSize - done : kChunk);
      whole = ReadAt(file, static_cast<int64_t>(trailer.packageOffset + done), chunk.get(), count);
      hash = Checksum(hash, chunk.get(), count);
    }
    char text[40];
    std::snprintf(text, sizeof(text), "%u %016llx", static_cast<unsigned>(trailer.packageSize),
                  static_cast<unsigned long long>(hash));
    if (whole) identity = text;
  }
  CloseHandle(file);
  return identity;
}

std::string ReadTreeIdentity(const std::string& extractDir) {
  HANDLE file = CreateFileA(IdentityPath(extractDir).c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  char text[kRecordLimit] = {};
  DWORD done = 0;
  if (!ReadFile(file, text, kRecordLimit, &done, nullptr)) done = 0;
  CloseHandle(file);
  return std::string(text, done);
}

bool WriteTreeIdentity(const std::string& extractDir, const std::string& identity) {
  HANDLE file = CreateFileA(IdentityPath(extractDir).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  bool written =
      WriteFile(file, identity.data(), static_cast<DWORD>(identity.size()), &done, nullptr) &&
      done == identity.size() && FlushFileBuffers(file);
  CloseHandle(file);
  if (!written) DeleteTreeIdentity(extractDir);
  return written;
}

void DeleteTreeIdentity(const std::string& extractDir) {
  DeleteFileA(IdentityPath(extractDir).c_str());
}
