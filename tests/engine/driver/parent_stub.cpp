// Stands in for a game program that starts the engine and then ends
// without a word (crashed, killed, window closed): starts the program
// given in the current folder, prints its process id and waits to be
// ended itself.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
  if (argc != 2) return 2;
#ifdef _WIN32
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string cmd = std::string("\"") + argv[1] + "\"";
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return 2;
  std::printf("%lu\n", static_cast<unsigned long>(pi.dwProcessId));
#else
  pid_t pid = fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    setpgid(0, 0);  // ending this program's group leaves the engine running
    execl(argv[1], argv[1], static_cast<char*>(nullptr));
    _exit(127);
  }
  std::printf("%ld\n", static_cast<long>(pid));
#endif
  std::fflush(stdout);
  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}
