// Finding the parent process and telling when it has ended.
#include "driver/parent.h"

#ifdef _WIN32

#include <windows.h>
// After windows.h, whose types it uses.
#include <tlhelp32.h>

#ifndef PROCESS_QUERY_LIMITED_INFORMATION
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
#endif

namespace {

HANDLE parent = nullptr;
bool parentGone = false;

DWORD ParentId() {
  DWORD self = GetCurrentProcessId(), id = 0;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
    if (entry.th32ProcessID == self) {
      id = entry.th32ParentProcessID;
      break;
    }
  }
  CloseHandle(snap);
  return id;
}

bool StartedAfter(HANDLE a, HANDLE b) {
  FILETIME ca, cb, x, y, z;
  if (!GetProcessTimes(a, &ca, &x, &y, &z) || !GetProcessTimes(b, &cb, &x, &y, &z)) return false;
  return CompareFileTime(&ca, &cb) > 0;
}

}  // namespace

void WatchParent() {
  DWORD id = ParentId();
  if (!id) return;
  parent = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!parent) {
    // No such process any more; any other failure leaves it unwatched.
    parentGone = GetLastError() == ERROR_INVALID_PARAMETER;
    return;
  }
  // A parent that ended before the snapshot may have passed its id on to a
  // newer process.
  if (StartedAfter(parent, GetCurrentProcess())) {
    CloseHandle(parent);
    parent = nullptr;
    parentGone = true;
  }
}

bool ParentEnded() {
  return parentGone || (parent && WaitForSingleObject(parent, 0) == WAIT_OBJECT_0);
}

void* ParentHandle() {
  return parent;
}

#else

#include <unistd.h>

namespace {

// An orphan is handed to another process, so a changed parent id means
// the parent has ended.
pid_t parent = 0;

}  // namespace

void WatchParent() {
  parent = getppid();
}

bool ParentEnded() {
  return parent != 0 && getppid() != parent;
}

void* ParentHandle() {
  return nullptr;
}

#endif
