// Sleeping until a file in a folder changes, so that a side waiting for
// the other's write spends nothing while nobody writes. Notifications can
// be missed (a file system without them, a full event queue), so every
// wait also ends after a given time and the caller looks again.
#pragma once

struct FolderWatch {
  const char* folder = nullptr;  // the caller's string, alive while watching
  void* also = nullptr;          // Windows: a handle whose signal also ends the wait
#ifdef _WIN32
  void* change = nullptr;  // change notification handle, null if none
#else
  int fd = -1;  // inotify descriptor, -1 if none
  int wd = -1;  // watch of the folder, -1 once it is gone
#endif
};

// Starts watching folder for files written and closed, created or moved
// in. False when no notification could be set up: waits then only sleep.
bool OpenFolderWatch(FolderWatch& w, const char* folder);
void CloseFolderWatch(FolderWatch& w);

// Sleeps until something in the folder changed, ms milliseconds passed or
// (Windows) w.also was signalled. True when a change woke it. A folder that
// went away is watched again by a later wait once it is back.
bool WaitFolderChange(FolderWatch& w, int ms);

// True when path names an existing folder.
bool FolderExists(const char* path);
