#include "engine_process.h"

#ifdef _WIN32

#include <windows.h>

bool EngineProcess::Start(const std::string& exe, const std::string& workdir, std::string& why) {
  if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
    why = "the engine " + exe + " is missing";
    return false;
  }
  // Standard input and output go to NUL: the console belongs to the player.
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (nul != INVALID_HANDLE_VALUE) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul;
    si.hStdOutput = nul;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION pi{};
  std::string cmd = "\"" + exe + "\"";
  BOOL started = CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, nul != INVALID_HANDLE_VALUE,
                                CREATE_SUSPENDED, nullptr, workdir.c_str(), &si, &pi);
  DWORD error = GetLastError();
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!started) {
    why = "cannot start " + exe + " (error " + std::to_string(error) + ")";
    return false;
  }
  // The engine polls without end; a job that dies with this process makes
  // sure it does not outlive the game program.
  job_ = CreateJobObjectA(nullptr, nullptr);
  if (job_) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    AssignProcessToJobObject(job_, pi.hProcess);
  }
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  started_ = true;
  ended_ = false;
  return true;
}

bool EngineProcess::Running() {
  if (!started_ || ended_) return false;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) return true;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  status_ = static_cast<int>(code);
  CloseHandle(process_);
  process_ = nullptr;
  ended_ = true;
  return false;
}

void EngineProcess::Stop() {
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, INFINITE);
    Running();
  }
  if (job_) {
    CloseHandle(job_);
    job_ = nullptr;
  }
}

#else

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>
#ifdef __linux__
#include <sys/prctl.h>
#endif

bool EngineProcess::Start(const std::string& exe, const std::string& workdir, std::string& why) {
  struct stat st;
  if (stat(exe.c_str(), &st) != 0) {
    why = "the engine " + exe + " is missing";
    return false;
  }
  // An unpacked tree may not carry the execute bit; the engine is ours.
  if (!(st.st_mode & S_IXUSR)) chmod(exe.c_str(), st.st_mode | S_IXUSR);

  // The child reports a failed exec through a close-on-exec pipe.
  int report[2];
  if (pipe(report) != 0) {
    why = std::string("cannot start the engine: ") + std::strerror(errno);
    return false;
  }
  fcntl(report[1], F_SETFD, FD_CLOEXEC);
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) {
    why = std::string("cannot start the engine: ") + std::strerror(errno);
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (pid == 0) {
    close(report[0]);
#ifdef __linux__
    // The engine polls without end; it must not outlive the game program.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
#endif
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 1);
    }
    int err = 0;
    if (chdir(workdir.c_str()) != 0) err = errno;
    if (!err) {
      execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
      err = errno;
    }
    ssize_t ignored = write(report[1], &err, sizeof err);
    (void)ignored;
    _exit(127);
  }
  (void)parent;
  close(report[1]);
  int err = 0;
  ssize_t n;
  do n = read(report[0], &err, sizeof err);
  while (n < 0 && errno == EINTR);
  close(report[0]);
  if (n == static_cast<ssize_t>(sizeof err)) {
    waitpid(pid, nullptr, 0);
    why = "cannot start " + exe + ": " + std::strerror(err);
    return false;
  }
  pid_ = pid;
  started_ = true;
  ended_ = false;
  return true;
}

bool EngineProcess::Running() {
  if (!started_ || ended_) return false;
  int st = 0;
  pid_t r = waitpid(pid_, &st, WNOHANG);
  if (r == 0) return true;
  if (r == pid_)
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  else
    status_ = -1;
  ended_ = true;
  return false;
}

void EngineProcess::Stop() {
  if (!Running()) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 500 && Running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  if (Running()) {
    kill(pid_, SIGKILL);
    int st = 0;
    waitpid(pid_, &st, 0);
    status_ = -1;
    ended_ = true;
  }
}

#endif
