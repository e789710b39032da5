// The stand-in's processes, waits and named mutexes.
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>

#include "platform/posix_internal.h"
#include "platform/win32.h"

extern char** environ;

using namespace posix_stand_in;

namespace {

// A Windows GUI program is not stopped by its game's console: Ctrl-C, a
// closed terminal or a quit key reach the game only. From the start of a
// game until it has ended these signals are ignored here and left to the
// game as they were before.
const int kShieldedSignals[] = {SIGINT, SIGQUIT, SIGHUP};
struct sigaction g_saved[3];
bool g_shielded = false;

void Shield(posix_spawnattr_t* attributes) {
  sigset_t defaults;
  sigemptyset(&defaults);
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  for (int i = 0; i < 3; ++i) {
    struct sigaction old = {};
    sigaction(kShieldedSignals[i], &ignore, &old);
    if (!g_shielded) g_saved[i] = old;
    if (g_saved[i].sa_handler != SIG_IGN) sigaddset(&defaults, kShieldedSignals[i]);
  }
  g_shielded = true;
  posix_spawnattr_setsigdefault(attributes, &defaults);
  posix_spawnattr_setflags(attributes, POSIX_SPAWN_SETSIGDEF);
}

void Unshield() {
  if (!g_shielded) return;
  for (int i = 0; i < 3; ++i) sigaction(kShieldedSignals[i], &g_saved[i], nullptr);
  g_shielded = false;
}

// A mutex's name becomes a lock file in the user's own temporary folder.
std::string LockPath(const std::string& name) {
  std::string folder = UserTempFolder();
  if (folder.empty()) return folder;
  std::string file = name;
  for (char& c : file)
    if (c == '\\' || c == '/') c = '_';
  return folder + file + ".lock";
}

}  // namespace

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                           LPPROCESS_INFORMATION lpProcessInformation) {
  // The program is the application name, or the command line's first
  // token (quoted or up to the first blank); it gets no arguments.
  std::string program;
  if (lpApplicationName != nullptr) {
    program = lpApplicationName;
  } else if (lpCommandLine != nullptr) {
    std::string line = lpCommandLine;
    if (!line.empty() && line[0] == '"') {
      size_t end = line.find('"', 1);
      program = line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    } else {
      program = line.substr(0, line.find_first_of(" \t"));
    }
  }
  std::string path = ToPosix(program.c_str());
  if (path.empty()) return Fail(ERROR_FILE_NOT_FOUND);
  char* argv[] = {&path[0], nullptr};
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  Shield(&attributes);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, path.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) {
    Unshield();
    return Fail(FromErrno(rc, path));
  }
  Object* process = new Object(Kind::Process);
  process->pid = pid;
  Object* thread = new Object(Kind::Thread);
  thread->pid = pid;
  lpProcessInformation->hProcess = process;
  lpProcessInformation->hThread = thread;
  lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
  lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR lpName) {
  Object* o = new Object(Kind::Mutex);
  if (lpName != nullptr) {
    std::string path = LockPath(lpName);
    o->fd = path.empty()
                ? -1
                : open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat st;
    if (o->fd < 0 || fstat(o->fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      DWORD error = o->fd < 0 && !path.empty() ? FromErrno(errno, path) : ERROR_ACCESS_DENIED;
      DeleteObject(o);
      SetLastError(error);
      return nullptr;
    }
  }
  if (bInitialOwner) WaitForSingleObject(o, 0);
  SetLastError(ERROR_SUCCESS);
  return o;
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
  Object* o = AsObject(hMutex, Kind::Mutex);
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (o->fd >= 0) flock(o->fd, LOCK_UN);
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  if (hHandle == nullptr || hHandle == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  Object* o = static_cast<Object*>(hHandle);
  if (o->kind == Kind::Event) return o->signalled ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  if (o->kind == Kind::Mutex) {
    // The lock goes with the open file: a holder that dies releases it.
    if (o->fd < 0) return WAIT_OBJECT_0;
    int how = LOCK_EX | (dwMilliseconds == INFINITE ? 0 : LOCK_NB);
    while (flock(o->fd, how) != 0) {
      if (errno == EWOULDBLOCK) return WAIT_TIMEOUT;
      if (errno != EINTR) {
        SetLastError(FromErrno(errno));
        return WAIT_FAILED;
      }
    }
    return WAIT_OBJECT_0;
  }
  if (o->kind != Kind::Process) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  if (o->waited) return WAIT_OBJECT_0;
  int status = 0;
  int options = dwMilliseconds == INFINITE ? 0 : WNOHANG;
  for (;;) {
    pid_t r = waitpid(o->pid, &status, options);
    if (r == o->pid) break;
    if (r == 0) return WAIT_TIMEOUT;
    if (errno != EINTR) {
      SetLastError(FromErrno(errno));
      return WAIT_FAILED;
    }
  }
  o->waited = true;
  Unshield();
  return WAIT_OBJECT_0;
}
