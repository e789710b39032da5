// The engine driver's POSIX calls: inotify for the folder watch on Linux
// (plain sleeps elsewhere), the parent process and regular-file opening for
// the turn files. platform_win32.cpp holds the same functions for Windows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#ifdef __linux__
#include <poll.h>
#include <sys/inotify.h>
#endif

#include "driver/folder_watch.h"
#include "driver/parent.h"
#include "driver/platform.h"

// --- Folder watch -----------------------------------------------------------

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

// --- Parent process ---------------------------------------------------------

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

// --- Regular files ----------------------------------------------------------

std::FILE* OpenRegularFile(const char* path) {
  // Non-blocking, so that a FIFO does not wait for a writer.
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  std::FILE* f = nullptr;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) f = fdopen(fd, "r");
  if (!f) close(fd);
  return f;
}

std::FILE* CreateRegularFile(const char* path) {
  int fd = open(path, O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat st;
  std::FILE* f = nullptr;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ftruncate(fd, 0) == 0) f = fdopen(fd, "w+");
  if (!f) close(fd);
  return f;
}
