#include "engine_process.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

bool StartEngine(const std::string& exe, const std::string& dir, EngineProcess& p) {
#ifdef _WIN32
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string cmd = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  p.id = reinterpret_cast<long long>(pi.hProcess);
#else
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  p.id = pid;
#endif
  p.running = true;
  return true;
}

bool WaitEngine(EngineProcess& p, int ms, int& status) {
  if (!p.running) return false;
#ifdef _WIN32
  HANDLE h = reinterpret_cast<HANDLE>(p.id);
  if (WaitForSingleObject(h, ms) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(h, &code);
  CloseHandle(h);
  status = static_cast<int>(code);
#else
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  int st = 0;
  for (;;) {
    pid_t r = waitpid(static_cast<pid_t>(p.id), &st, WNOHANG);
    if (r == static_cast<pid_t>(p.id)) break;
    if (r < 0 || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
#endif
  p.running = false;
  return true;
}

void StopEngine(EngineProcess& p) {
  if (!p.running) return;
#ifdef _WIN32
  HANDLE h = reinterpret_cast<HANDLE>(p.id);
  TerminateProcess(h, 99);
  WaitForSingleObject(h, INFINITE);
  CloseHandle(h);
#else
  kill(static_cast<pid_t>(p.id), SIGKILL);
  int st;
  waitpid(static_cast<pid_t>(p.id), &st, 0);
#endif
  p.running = false;
}
