#include "file_ex.h"

#include <cstring>

namespace {

const char* const kCauseTexts[] = {
    "The Operation Completed Successfully",
    "Invalid Operation on Closed File",
    "Parameter Supplied Is out of Range",
    "Operation Failed. I/O Operations are Running",
    "Parameter is Invalid",
};

std::string SystemText(DWORD error) {
  LPSTR buffer = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
      nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&buffer),
      0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) LocalFree(buffer);
  return text;
}

}  // namespace

CFileExException::CFileExException(DWORD error, int cause)
    : m_error(error),
      m_cause(cause),
      m_causeText(cause >= 0 && cause < 5 ? kCauseTexts[cause] : ""),
      m_systemText(SystemText(error)) {}

CFileEx::CFileEx() : m_file(nullptr), m_event(nullptr), m_open(FALSE), m_throw(FALSE) {
  std::memset(m_path, 0, sizeof(m_path));
  m_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

// Handles still held when the object goes (after a raise) are released.
CFileEx::~CFileEx() {
  if (m_open || m_event != nullptr) Close();
}

void CFileEx::Raise(DWORD error, int cause) const {
  if (m_throw) throw CFileExException(error, cause);
}

bool CFileEx::Open(LPCSTR path, DWORD disposition, DWORD access, DWORD sharing,
                   LPSECURITY_ATTRIBUTES security) {
  if (m_open) {
    CloseHandle(m_file);
    m_file = nullptr;
    m_open = FALSE;
  }
  if (path == nullptr || lstrlenA(path) >= MAX_PATH) return false;
  HANDLE file =
      CreateFileA(path, access, sharing, security, disposition, FILE_FLAG_OVERLAPPED, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    m_file = nullptr;
    Raise(error, CFileExException::kSuccess);
    return false;
  }
  m_file = file;
  std::memcpy(m_path, path, static_cast<size_t>(lstrlenA(path)) + 1);
  m_open = TRUE;
  return true;
}

int64_t CFileEx::GetLength() {
  if (!m_open) {
    Raise(0, CFileExException::kClosedFile);
    return 0;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(m_file, &size)) {
    Raise(GetLastError(), CFileExException::kSuccess);
    return 0;
  }
  return size.QuadPart;
}

void CFileEx::Seek(int64_t offset, DWORD origin) {
  if (!m_open) {
    Raise(0, CFileExException::kClosedFile);
    return;
  }
  // An offset beyond the length is skipped without a word, whatever the
  // origin; a negative offset from the end always proceeds.
  if (GetLength() < offset) return;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(m_file, distance, nullptr, origin))
    Raise(GetLastError(), CFileExException::kSuccess);
}

DWORD CFileEx::Read(LPVOID buffer, DWORD count) {
  return Transfer(buffer, count, false);
}

DWORD CFileEx::Write(LPCVOID buffer, DWORD count) {
  return Transfer(const_cast<LPVOID>(buffer), count, true);
}

DWORD CFileEx::Transfer(LPVOID buffer, DWORD count, bool write) {
  if (!m_open) {
    Raise(0, CFileExException::kClosedFile);
    return 0;
  }
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  LARGE_INTEGER position;
  if (!SetFilePointerEx(m_file, zero, &position, FILE_CURRENT)) {
    Raise(GetLastError(), CFileExException::kSuccess);
    position.QuadPart = 0;
  }
  OVERLAPPED overlapped;
  std::memset(&overlapped, 0, sizeof(overlapped));
  overlapped.Offset = static_cast<DWORD>(position.QuadPart & 0xFFFFFFFF);
  overlapped.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(position.QuadPart) >> 32);
  DWORD done = 0;
  if (buffer == nullptr) {
    Raise(0, CFileExException::kInvalidParameter);
    return 0;
  }
  BOOL ok = write ? WriteFile(m_file, buffer, count, &done, &overlapped)
                  : ReadFile(m_file, buffer, count, &done, &overlapped);
  if (!ok) {
    DWORD error = GetLastError();
    // A pending transfer whose completion reports a failure is a failure
    // too, not a transfer of the bytes the record happens to count.
    if (error != ERROR_IO_PENDING || !GetOverlappedResult(m_file, &overlapped, &done, TRUE)) {
      if (error == ERROR_IO_PENDING) error = GetLastError();
      done = 0;
      Raise(error, CFileExException::kSuccess);
      return 0;
    }
  }
  Seek(done, FILE_CURRENT);
  return done;
}

bool CFileEx::Close() {
  if (m_open) {
    CloseHandle(m_file);
    m_file = nullptr;
    m_open = FALSE;
  }
  BOOL closed = m_event != nullptr ? CloseHandle(m_event) : FALSE;
  m_event = nullptr;
  return closed != FALSE;
}
