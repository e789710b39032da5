// The engine driver's Windows calls: directory change reads for the folder
// watch, the parent process and regular-file opening for the turn files.
// platform_posix.cpp holds the same functions for everything else.
#include <sys/stat.h>
#include <windows.h>
// After windows.h, whose types it uses.
#include <tlhelp32.h>

#include <cstdio>

#include "driver/folder_watch.h"
#include "driver/parent.h"
#include "driver/platform.h"

// --- Folder watch -----------------------------------------------------------

namespace {

static_assert(sizeof(OVERLAPPED) <= sizeof(FolderWatch::overlapped), "room for the pending read");

OVERLAPPED& Pending(FolderWatch& w) {
  return *reinterpret_cast<OVERLAPPED*>(w.overlapped);
}

// Asks for the next batch of changes; false (and the watch closed) if the
// folder can no longer be read.
bool Arm(FolderWatch& w) {
  ResetEvent(w.event);
  OVERLAPPED& o = Pending(w);
  o = OVERLAPPED{};
  o.hEvent = w.event;
  if (ReadDirectoryChangesW(
          w.folderHandle, w.changes, sizeof w.changes, FALSE,
          FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE,
          nullptr, &o, nullptr))
    return true;
  CloseFolderWatch(w);
  return false;
}

}  // namespace

bool OpenFolderWatch(FolderWatch& w, const char* folder) {
  w.folder = folder;
  // Shared for deletion too: a watching engine must not keep its folder
  // from being removed.
  HANDLE h = CreateFileA(folder, FILE_LIST_DIRECTORY,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  w.folderHandle = h;
  w.event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!w.event) {
    CloseFolderWatch(w);
    return false;
  }
  return Arm(w);
}

void CloseFolderWatch(FolderWatch& w) {
  if (w.folderHandle) {
    // The pending read writes into w: it must be over before w goes.
    DWORD n;
    if (CancelIo(w.folderHandle)) GetOverlappedResult(w.folderHandle, &Pending(w), &n, TRUE);
    CloseHandle(w.folderHandle);
  }
  if (w.event) CloseHandle(w.event);
  w.folderHandle = nullptr;
  w.event = nullptr;
}

bool WaitFolderChange(FolderWatch& w, int ms) {
  if (!w.folderHandle && w.folder) OpenFolderWatch(w, w.folder);
  HANDLE handles[2];
  DWORD n = 0;
  if (w.folderHandle) handles[n++] = w.event;
  if (w.also) handles[n++] = w.also;
  if (n == 0) {
    Sleep(static_cast<DWORD>(ms));
    return false;
  }
  DWORD r = WaitForMultipleObjects(n, handles, FALSE, static_cast<DWORD>(ms));
  if (!w.folderHandle || r != WAIT_OBJECT_0) return false;
  // Only the wake-up counts, not what it was: the caller looks at the files.
  DWORD bytes;
  if (GetOverlappedResult(w.folderHandle, &Pending(w), &bytes, FALSE))
    Arm(w);
  else
    CloseFolderWatch(w);  // the folder went away; opened again once it is back
  return true;
}

bool FolderExists(const char* path) {
  DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// --- Parent process ---------------------------------------------------------

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

// --- Regular files ----------------------------------------------------------

std::FILE* OpenRegularFile(const char* path) {
  std::FILE* f = std::fopen(path, "r");
  struct _stat st;
  if (f && (_fstat(_fileno(f), &st) != 0 || !(st.st_mode & _S_IFREG))) {
    std::fclose(f);
    f = nullptr;
  }
  return f;
}

// Windows has no FIFOs in folders, and a folder cannot be opened.
std::FILE* CreateRegularFile(const char* path) {
  return std::fopen(path, "w+");
}
