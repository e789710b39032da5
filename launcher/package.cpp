#include "package.h"

#include <cstring>
#include <memory>
#include <new>

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

// Copies one entry's bytes in one read and one write. A size beyond the
// bytes left in the package is refused before anything is allocated.
bool CopyContent(HANDLE package, HANDLE output, uint32_t size, int64_t left) {
  if (static_cast<int64_t>(size) > left) return false;
  std::unique_ptr<char[]> content(new (std::nothrow) char[size]);
  if (!content) return false;
  if (ReadBlock(package, content.get(), size) != size) return false;
  DWORD written = 0;
  return WriteFile(output, content.get(), size, &written, nullptr) && written == size;
}

}  // namespace

int CPackage::Unpack(const std::string& packagePath, const std::string& destination) {
  if (!FileExists(packagePath)) return kUnpackNoPackage;
  if (!DirectoryProbe(destination)) return kUnpackNoDestination;
  CHandleCloser package(
      CreateFileA(packagePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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
    if (ReadBlock(package.Get(), &table[i], sizeof(PackageEntry)) != sizeof(PackageEntry)) return kUnpackShortTable;
  left -= static_cast<int64_t>(header.count) * static_cast<int64_t>(sizeof(PackageEntry));

  // Every name is checked before anything is written, so that a hostile
  // name ("..", a drive, an unterminated field) writes nothing at all.
  for (uint32_t i = 0; i < header.count; ++i)
    if (!IsSafeEntryName(table[i].name, sizeof(table[i].name))) return kUnpackBadFolder;

  for (uint32_t i = 0; i < header.count; ++i) {
    const PackageEntry& entry = table[i];
    std::string path = destination + std::string(entry.name);
    std::string folder = path.substr(0, FindLastSeparator(path));
    if (!MakeDirectories(folder)) return kUnpackBadFolder;
    CHandleCloser output(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (output.Get() == INVALID_HANDLE_VALUE) return kUnpackCannotCreate;
    if (entry.size == 0) continue;
    if (!CopyContent(package.Get(), output.Get(), entry.size, left)) {
      // The entry that failed is not left behind cut short.
      output.Close();
      DeleteFileA(path.c_str());
      return kUnpackBadContent;
    }
    left -= entry.size;
    output.Close();
  }
  return kUnpackOk;
}

std::string TemporaryPackagePath() { return GetTempDirectory() + "\\tmp.mpk"; }

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
    if (self.Read(buffer.get(), trailer.packageSize) != trailer.packageSize) return kExtractCopyFailed;
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
