#include "package.h"

#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <set>

#include "file_ex.h"
#include "folders.h"
#include "platform/win32.h"
#include "sjis_path.h"

namespace {

// Closes the handle it holds on every way out.
class CHandleCloser {
 public:
  explicit CHandleCloser(HANDLE handle) : m_handle(handle) {}
  ~CHandleCloser() { Close(); }
  CHandleCloser(const CHandleCloser&) = delete;
  CHandleCloser& operator=(const CHandleCloser&) = delete;
  HANDLE Get() const { return m_handle; }
  void Close() {
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE m_handle;
};

// Reads up to count bytes in one call; returns the count read, 0 on failure.
DWORD ReadBlock(HANDLE file, void* buffer, DWORD count) {
  DWORD done = 0;
  if (!ReadFile(file, buffer, count, &done, nullptr)) return 0;
  return done;
}

// Reads one entry's bytes in one read. A size beyond the bytes left in
// the package is refused before anything is allocated.
bool ReadContent(HANDLE package, uint32_t size, int64_t left, std::unique_ptr<char[]>& content) {
  if (static_cast<int64_t>(size) > left) return false;
  content.reset(new (std::nothrow) char[size > 0 ? size : 1]);
  return content && ReadBlock(package, content.get(), size) == size;
}

bool WriteContent(HANDLE output, const char* content, uint32_t size) {
  DWORD written = 0;
  return size == 0 || (WriteFile(output, content, size, &written, nullptr) && written == size);
}

// Creates the entry's file and writes the content read by read (an empty
// one when read is null); a file whose content fails is deleted again.
int WriteEntry(const std::string& path, const std::function<bool(std::unique_ptr<char[]>&)>& read,
               uint32_t size) {
  CHandleCloser output(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (output.Get() == INVALID_HANDLE_VALUE) return kUnpackCannotCreate;
  std::unique_ptr<char[]> content;
  if (size > 0 && !(read(content) && WriteContent(output.Get(), content.get(), size))) {
    output.Close();
    DeleteFileA(path.c_str());
    return kUnpackBadContent;
  }
  return kUnpackOk;
}

}  // namespace

int CPackage::Unpack(const std::string& packagePath, const std::string& destination) {
  if (!FileExists(packagePath)) return kUnpackNoPackage;
  if (!DirectoryProbe(destination)) return kUnpackNoDestination;
  CHandleCloser package(CreateFileA(packagePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (package.Get() == INVALID_HANDLE_VALUE) return kUnpackCannotOpen;

  PackageHeader header;
  std::memset(&header, 0, sizeof(header));
  if (ReadBlock(package.Get(), &header, sizeof(header)) != sizeof(header)) return kUnpackBadHeader;
  if (std::strncmp(header.magic, m_magic, sizeof(header.magic)) != 0) return kUnpackBadHeader;

  // Sizes read from the file are bounded by the file before anything is
  // allocated: a table that cannot fit is refused before it is read.
  LARGE_INTEGER fileSize;
  if (!GetFileSizeEx(package.Get(), &fileSize)) return kUnpackShortTable;
  int64_t left = fileSize.QuadPart - static_cast<int64_t>(sizeof(header));
  if (static_cast<int64_t>(header.count) * static_cast<int64_t>(sizeof(PackageEntry)) > left)
    return kUnpackShortTable;
  // A table that fits the file but not in memory is a failure, not a crash.
  std::unique_ptr<PackageEntry[]> table(new (std::nothrow) PackageEntry[header.count]);
  if (!table && header.count > 0) return kUnpackShortTable;
  for (uint32_t i = 0; i < header.count; ++i)
    if (ReadBlock(package.Get(), &table[i], sizeof(PackageEntry)) != sizeof(PackageEntry))
      return kUnpackShortTable;
  left -= static_cast<int64_t>(header.count) * static_cast<int64_t>(sizeof(PackageEntry));

  // Every name is checked before anything is written, so that a hostile
  // name ("..", a drive, a device, a second name for one file) writes
  // nothing at all.
  std::set<std::string> folded;
  for (uint32_t i = 0; i < header.count; ++i) {
    if (!IsSafeEntryName(table[i].name, sizeof(table[i].name))) return kUnpackBadFolder;
    if (!folded.insert(FoldedEntryName(table[i].name)).second) return kUnpackBadFolder;
  }

  // The start marker is written after every other entry, wherever it
  // stands, and one left by an earlier tree goes before anything is
  // written: a tree cut off while unpacking never counts as complete.
  std::string marker = destination + "\\" + kStartMarkerName;
  if (!DeleteFileA(marker.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
      GetLastError() != ERROR_PATH_NOT_FOUND)
    return kUnpackCannotCreate;
  const PackageEntry* markerEntry = nullptr;
  std::unique_ptr<char[]> markerContent;

  for (uint32_t i = 0; i < header.count; ++i) {
    const PackageEntry& entry = table[i];
    auto read = [&](std::unique_ptr<char[]>& content) {
      return ReadContent(package.Get(), entry.size, left, content);
    };
    if (IsStartMarker(entry.name)) {
      markerEntry = &entry;
      if (entry.size > 0 && !read(markerContent)) return kUnpackBadContent;
    } else {
      std::string path = destination + std::string(entry.name);
      std::string folder = path.substr(0, FindLastSeparator(path));
      if (!MakeDirectories(folder)) return kUnpackBadFolder;
      int result = WriteEntry(path, read, entry.size);
      if (result != kUnpackOk) return result;
    }
    left -= entry.size;
  }
  if (markerEntry == nullptr) return kUnpackOk;
  return WriteEntry(
      destination + std::string(markerEntry->name),
      [&](std::unique_ptr<char[]>& content) {
        content = std::move(markerContent);
        return true;
      },
      markerEntry->size);
}

std::string TemporaryPackagePath() {
  return GetTempDirectory() + "\\tmp.mpk";
}

int ExtractPayload(const std::string& ownPath, const std::string& destination) {
  std::string packagePath = TemporaryPackagePath();
  CFileEx self;
  self.SetThrowFlag(TRUE);
  PayloadTrailer trailer;
  std::memset(&trailer, 0, sizeof(trailer));
  try {
    self.Open(ownPath.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr);
    if (!self.IsOpen()) throw CFileExException(0, CFileExException::kClosedFile);
    self.Seek(-static_cast<int64_t>(sizeof(trailer)), FILE_END);
    if (self.Read(&trailer, sizeof(trailer)) != sizeof(trailer)) return kExtractBadTrailer;
  } catch (const CFileExException&) {
    return kExtractBadTrailer;
  }

  bool created = false;
  try {
    // A recorded size beyond the whole file is refused before any
    // allocation; a size of 0 leaves no buffer, which the read refuses.
    if (static_cast<int64_t>(trailer.packageSize) > self.GetLength()) return kExtractCopyFailed;
    std::unique_ptr<char[]> buffer;
    if (trailer.packageSize > 0) {
      buffer.reset(new (std::nothrow) char[trailer.packageSize]());
      if (!buffer) return kExtractCopyFailed;
    }
    self.Seek(trailer.packageOffset, FILE_BEGIN);
    // A short read would unpack zeros as if they were the package.
    if (self.Read(buffer.get(), trailer.packageSize) != trailer.packageSize)
      return kExtractCopyFailed;
    CFileEx copy;
    copy.SetThrowFlag(TRUE);
    copy.Open(packagePath.c_str(), CREATE_ALWAYS, GENERIC_WRITE, 0, nullptr);
    created = copy.IsOpen() != FALSE;
    DWORD written = copy.Write(buffer.get(), trailer.packageSize);
    copy.Close();
    if (written != trailer.packageSize) throw CFileExException(0, CFileExException::kOutOfRange);
  } catch (const CFileExException&) {
    if (created) DeleteFileA(packagePath.c_str());  // no half-written package is left behind
    return kExtractCopyFailed;
  }

  CPackage package;
  if (package.Unpack(packagePath, destination) != kUnpackOk) {
    self.Close();
    return kExtractUnpackFailed;
  }
  DeleteFileA(packagePath.c_str());
  self.Close();
  return kExtractOk;
}

bool ExtractSelf(const std::string& destination) {
  char ownPath[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, ownPath, MAX_PATH);
  return ExtractPayload(ownPath, destination) == kExtractOk;
}
