// Folder change notifications: inotify on Linux, directory change reads
// on Windows, plain sleeps elsewhere.
#include "driver/folder_watch.h"

#ifdef _WIN32

#include <windows.h>

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

#else

#include <sys/stat.h>

#include <chrono>
#include <thread>

#ifdef __linux__
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>
#endif

namespace {

void Sleep(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

#ifdef __linux__
// A file closed after writing, created or moved in; and the folder itself
// deleted or moved away, which ends the watch.
constexpr uint32_t WATCHED =
    IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t FOLDER_GONE = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;
#endif

}  // namespace

bool OpenFolderWatch(FolderWatch& w, const char* folder) {
  w.folder = folder;
#ifdef __linux__
  w.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (w.fd >= 0) w.wd = inotify_add_watch(w.fd, folder, WATCHED);
  return w.wd >= 0;
#else
  return false;
#endif
}

void CloseFolderWatch(FolderWatch& w) {
#ifdef __linux__
  if (w.fd >= 0) close(w.fd);
#endif
  w.fd = -1;
  w.wd = -1;
}

bool WaitFolderChange(FolderWatch& w, int ms) {
#ifdef __linux__
  if (w.fd >= 0 && w.wd < 0 && w.folder) w.wd = inotify_add_watch(w.fd, w.folder, WATCHED);
  if (w.wd < 0) {
    Sleep(ms);
    return false;
  }
  pollfd p = {w.fd, POLLIN, 0};
  if (poll(&p, 1, ms) <= 0) return false;
  // Only the wake-up counts, not what it was: the caller looks at the files.
  alignas(inotify_event) char events[4096];
  bool gone = false;
  ssize_t n;
  while ((n = read(w.fd, events, sizeof events)) > 0) {
    for (ssize_t at = 0; at < n;) {
      const inotify_event* e = reinterpret_cast<const inotify_event*>(events + at);
      if (e->mask & FOLDER_GONE) gone = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
  }
  if (gone) {
    inotify_rm_watch(w.fd, w.wd);
    w.wd = -1;
  }
  return true;
#else
  Sleep(ms);
  return false;
#endif
}

bool FolderExists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

#endif
