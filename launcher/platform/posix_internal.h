// Shared by the files of the POSIX stand-in: the record behind every
// handle, path and error conversions, and the test hook for a full disk.
#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <string>

#include "platform/win32.h"

namespace posix_stand_in {

enum class Kind { File, Event, Process, Thread, Find, Mutex };

// Every handle is one of these records; the HANDLE is its address.
struct Object {
  explicit Object(Kind k) : kind(k) {}
  Kind kind;
  int fd = -1;  // File; Mutex: the lock file
  bool overlapped = false;
  bool fresh = false;  // File: created or emptied by this open
  std::string path;    // File: POSIX form
  bool signalled = false;
  pid_t pid = 0;
  bool waited = false;
  DIR* dir = nullptr;
  std::string folder;   // Find: the folder listed, POSIX form
  std::string pattern;  // Find: the name pattern
  bool single = false;  // Find: a lookup of one named entry, already reported
};

Object* AsObject(HANDLE h, Kind kind);
void DeleteObject(Object* o);

// Every "\" is a separator, except the second byte of a Shift-JIS
// double-byte character.
std::string ToPosix(LPCSTR path);
std::string ToWindows(const std::string& path);

// Maps errno to the Win32 code Windows reports for the same failure; a
// missing file in a missing folder is a missing path, as on Windows.
DWORD FromErrno(int err, const std::string& path = std::string());
BOOL Fail(DWORD error);

// The user's own temporary folder, POSIX form ending in "/", or "" when
// no folder that only this user can write is to be had.
std::string UserTempFolder();

// Test hook: how many of count bytes written into the file at
// path fit on its disk. All of them, unless MIRQ_FULL_DISK names a folder
// holding the file: that disk has MIRQ_FULL_DISK_FREE bytes left (none
// when unset), shared by every write of the process.
size_t FitsOnDisk(const std::string& path, size_t count);

}  // namespace posix_stand_in
