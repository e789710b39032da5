#include "orphan.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#endif

bool Adopt(long pid, Orphan& o) {
#ifdef _WIN32
  HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(pid));
  o.id = reinterpret_cast<long long>(h);
  return h != nullptr;
#elif defined(__linux__)
  o.id = pid;
  return prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
#else
  (void)pid;
  (void)o;
  return false;
#endif
}

bool WaitOrphan(Orphan& o, int ms, int& status) {
#ifdef _WIN32
  HANDLE h = reinterpret_cast<HANDLE>(o.id);
  if (!h || WaitForSingleObject(h, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(h, &code);
  CloseHandle(h);
  o.id = 0;
  status = static_cast<int>(code);
  return true;
#else
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  int st = 0;
  for (;;) {
    pid_t r = waitpid(static_cast<pid_t>(o.id), &st, WNOHANG);
    if (r == static_cast<pid_t>(o.id)) break;
    if (r < 0 || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  o.id = 0;
  return true;
#endif
}

void StopOrphan(Orphan& o) {
  if (!o.id) return;
#ifdef _WIN32
  HANDLE h = reinterpret_cast<HANDLE>(o.id);
  TerminateProcess(h, 99);
  WaitForSingleObject(h, INFINITE);
  CloseHandle(h);
#else
  kill(static_cast<pid_t>(o.id), SIGKILL);
  int st;
  waitpid(static_cast<pid_t>(o.id), &st, 0);
#endif
  o.id = 0;
}
