// The stand-in's paths: the user's own temporary folder and the program's
// own file.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix_internal.h"
#include "platform/win32.h"

namespace posix_stand_in {

namespace {

// A folder only this user can write: a real folder (not a link), owned by
// the user, without write permission for group or others.
bool IsPrivateFolder(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string WithSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path != "/") path += '/';
  return path;
}

}  // namespace

// Windows gives every user a temporary folder of their own. Here the
// shared /tmp would let another user plant a tree, links or pipes where
// the launcher writes and runs; so the folder is the session's runtime
// folder when that is private, else a folder of this user's own below
// TMPDIR or /tmp, created for the purpose.
std::string UserTempFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime))
    return WithSlash(runtime);
  const char* env = std::getenv("TMPDIR");
  std::string base = env != nullptr && env[0] == '/' ? env : "/tmp";
  std::string own = WithSlash(base) + "mirq-" + std::to_string(geteuid());
  mkdir(own.c_str(), 0700);
  return IsPrivateFolder(own) ? WithSlash(own) : std::string();
}

}  // namespace posix_stand_in

using namespace posix_stand_in;

DWORD WINAPI GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
  std::string path = UserTempFolder();
  if (path.empty()) return Fail(ERROR_ACCESS_DENIED);
  path = ToWindows(path);
  if (lpBuffer == nullptr || nBufferLength <= path.size())
    return static_cast<DWORD>(path.size() + 1);
  std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR lpFilename, DWORD nSize) {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n < 0) return Fail(FromErrno(errno));
  if (lpFilename == nullptr || nSize == 0) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::string path = ToWindows(std::string(buffer, static_cast<size_t>(n)));
  if (path.size() >= nSize) {
    std::memcpy(lpFilename, path.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, path.c_str(), path.size() + 1);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}
