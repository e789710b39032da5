// Folder change notifications: inotify on Linux, change notification
// handles on Windows, plain sleeps elsewhere.
#include "driver/folder_watch.h"

#ifdef _WIN32

#include <windows.h>

bool OpenFolderWatch(FolderWatch& w, const char* folder) {
  w.folder = folder;
  HANDLE h = FindFirstChangeNotificationA(
      folder, FALSE,
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
  w.change = h == INVALID_HANDLE_VALUE ? nullptr : h;
  return w.change != nullptr;
}

void CloseFolderWatch(FolderWatch& w) {
  if (w.change) FindCloseChangeNotification(w.change);
  w.change = nullptr;
}

bool WaitFolderChange(FolderWatch& w, int ms) {
  if (!w.change && w.folder) OpenFolderWatch(w, w.folder);
  HANDLE handles[2];
  DWORD n = 0;
  if (w.change) handles[n++] = w.change;
  if (w.also) handles[n++] = w.also;
  if (n == 0) {
    Sleep(static_cast<DWORD>(ms));
    return false;
  }
  DWORD r = WaitForMultipleObjects(n, handles, FALSE, static_cast<DWORD>(ms));
  if (!w.change || r != WAIT_OBJECT_0) return false;
  // Re-armed for the next wait; a folder that went away is opened again.
  if (!FindNextChangeNotification(w.change)) CloseFolderWatch(w);
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
