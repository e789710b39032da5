// CFileEx: sequential reads and writes over a handle opened for overlapped
// I/O; the object keeps the file position and waits for every transfer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"

class CFileExException {
 public:
  CFileExException(DWORD error, int cause);

  DWORD GetError() const { return m_error; }
  int GetCause() const { return m_cause; }
  const std::string& GetCauseText() const { return m_causeText; }
  const std::string& GetSystemText() const { return m_systemText; }

  // Causes, indexes into the status table.
  static const int kSuccess = 0;
  static const int kClosedFile = 1;
  static const int kOutOfRange = 2;
  static const int kPending = 3;
  static const int kInvalidParameter = 4;

 private:
  DWORD m_error;
  int m_cause;
  std::string m_causeText;
  std::string m_systemText;
};

class CFileEx {
 public:
  CFileEx();
  ~CFileEx();
  CFileEx(const CFileEx&) = delete;
  CFileEx& operator=(const CFileEx&) = delete;

  void SetThrowFlag(BOOL value) { m_throw = value; }
  BOOL IsOpen() const { return m_open; }
  const char* GetPath() const { return m_path; }

  bool Open(LPCSTR path, DWORD disposition, DWORD access, DWORD sharing,
            LPSECURITY_ATTRIBUTES security);
  int64_t GetLength();
  void Seek(int64_t offset, DWORD origin);
  DWORD Read(LPVOID buffer, DWORD count);
  DWORD Write(LPCVOID buffer, DWORD count);
  bool Close();

 private:
  DWORD Transfer(LPVOID buffer, DWORD count, bool write);
  void Raise(DWORD error, int cause) const;

  HANDLE m_file;
  HANDLE m_event;
  BOOL m_open;
  BOOL m_throw;
  char m_path[MAX_PATH];
};
