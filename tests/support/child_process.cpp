#include "support/child_process.h"

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

#ifdef _WIN32
namespace {

// One argument as the runtime's command-line parser reads it back.
std::string CommandArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
    slashes = 0;
    quoted += c;
  }
  quoted.append(2 * slashes, '\\');
  return quoted + "\"";
}

HANDLE Open(const fs::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  std::string name = path.empty() ? std::string("NUL") : path.string();
  return CreateFileA(name.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool ChildProcess::Start(const fs::path& exe, const std::vector<std::string>& args,
                         const ChildStreams& streams) {
  Stop();
  std::string line = CommandArgument(exe.string());
  for (const std::string& a : args) line += " " + CommandArgument(a);
  HANDLE in = Open(streams.input, false);
  HANDLE out = streams.output.empty() ? INVALID_HANDLE_VALUE : Open(streams.output, true);
  HANDLE err = streams.errors.empty() ? INVALID_HANDLE_VALUE : Open(streams.errors, true);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = streams.output.empty() ? GetStdHandle(STD_OUTPUT_HANDLE) : out;
  startup.hStdError = streams.errors.empty() ? GetStdHandle(STD_ERROR_HANDLE) : err;
  std::string workdir = streams.workdir.string();
  PROCESS_INFORMATION process = {};
  bool opened = in != INVALID_HANDLE_VALUE &&
                (streams.output.empty() || out != INVALID_HANDLE_VALUE) &&
                (streams.errors.empty() || err != INVALID_HANDLE_VALUE);
  bool started =
      opened && CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                               workdir.empty() ? nullptr : workdir.c_str(), &startup, &process);
  for (HANDLE h : {in, out, err})
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  if (!started) return false;
  CloseHandle(process.hThread);
  id_ = reinterpret_cast<long long>(process.hProcess);
  running_ = true;
  return true;
}

bool ChildProcess::Wait(int ms, int& status) {
  if (!running_) return false;
  HANDLE h = reinterpret_cast<HANDLE>(id_);
  if (WaitForSingleObject(h, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(h, &code);
  CloseHandle(h);
  status = static_cast<int>(code);
  running_ = false;
  return true;
}

bool ChildProcess::Signal(int, bool) {
  return running_ && TerminateProcess(reinterpret_cast<HANDLE>(id_), 99);
}

bool ChildProcess::Adopt(long pid) {
  Stop();
  HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE,
                         static_cast<DWORD>(pid));
  if (h == nullptr) return false;
  id_ = reinterpret_cast<long long>(h);
  running_ = true;
  return true;
}

long ChildProcess::Id() const {
  return running_ ? static_cast<long>(GetProcessId(reinterpret_cast<HANDLE>(id_))) : 0;
}

void ChildProcess::Stop() {
  if (!running_) return;
  HANDLE h = reinterpret_cast<HANDLE>(id_);
  TerminateProcess(h, 99);
  WaitForSingleObject(h, INFINITE);
  CloseHandle(h);
  running_ = false;
}

#else

bool ChildProcess::Start(const fs::path& exe, const std::vector<std::string>& args,
                         const ChildStreams& streams) {
  Stop();
  // Everything the child needs is made before fork: after it, in a
  // threaded test program, only system calls are safe.
  std::string program = exe.string();
  std::vector<std::string> words = args;
  std::vector<char*> argv{&program[0]};
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  std::string workdir = streams.workdir.string();
  std::string input = streams.input.empty() ? std::string("/dev/null") : streams.input.string();
  std::string output = streams.output.string();
  std::string errors = streams.errors.string();

  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // A group of its own, so that Stop also ends what the program started.
    setpgid(0, 0);
    if (!workdir.empty() && chdir(workdir.c_str()) != 0) _exit(126);
    int in = open(input.c_str(), O_RDONLY);
    if (in < 0 || dup2(in, 0) < 0) _exit(126);
    const int flags = O_WRONLY | O_CREAT | O_TRUNC;
    if (!output.empty()) {
      int out = open(output.c_str(), flags, 0644);
      if (out < 0 || dup2(out, 1) < 0) _exit(126);
    }
    if (!errors.empty()) {
      int err = open(errors.c_str(), flags, 0644);
      if (err < 0 || dup2(err, 2) < 0) _exit(126);
    }
    execvp(argv[0], argv.data());
    _exit(127);
  }
  setpgid(pid, pid);  // also here, or a Stop right away could miss the group
  id_ = pid;
  running_ = true;
  return true;
}

bool ChildProcess::Wait(int ms, int& status) {
  if (!running_) return false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  int st = 0;
  for (;;) {
    pid_t r = waitpid(static_cast<pid_t>(id_), &st, WNOHANG);
    if (r == static_cast<pid_t>(id_)) break;
    if (r < 0 || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  running_ = false;
  return true;
}

bool ChildProcess::Signal(int sig, bool group) {
  pid_t pid = static_cast<pid_t>(id_);
  return running_ && kill(group ? -pid : pid, sig) == 0;
}

bool ChildProcess::Adopt(long pid) {
  Stop();
#ifdef __linux__
  if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) return false;
  id_ = pid;
  running_ = true;
  return true;
#else
  (void)pid;
  return false;
#endif
}

long ChildProcess::Id() const {
  return running_ ? static_cast<long>(id_) : 0;
}

void ChildProcess::Stop() {
  if (!running_) return;
  kill(-static_cast<pid_t>(id_), SIGKILL);
  kill(static_cast<pid_t>(id_), SIGKILL);
  int st;
  waitpid(static_cast<pid_t>(id_), &st, 0);
  running_ = false;
}

#endif
