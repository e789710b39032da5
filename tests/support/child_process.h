// A program started as a child process of the test (or of a helper program
// of the tests): in a working folder of the test's choice, with its
// standard streams taken from or sent to files, watched and ended. The one
// file of the tests that knows the platform's process calls.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

struct ChildStreams {
  ChildStreams() = default;
  explicit ChildStreams(std::filesystem::path folder) : workdir(std::move(folder)) {}

  std::filesystem::path workdir;  // empty: the test's own
  std::filesystem::path input;    // empty: the null device
  std::filesystem::path output;   // empty: the test's own
  std::filesystem::path errors;   // empty: the test's own
};

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Stop(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts exe with args. On Windows exe may leave out ".exe".
  bool Start(const std::filesystem::path& exe, const std::vector<std::string>& args,
             const ChildStreams& streams = {});
  // Waits up to ms for the process to end; true with its exit status (on
  // POSIX 128 + the signal for one that was killed) once it has.
  bool Wait(int ms, int& status);
  bool Running() const { return running_; }
  // Takes over watching process pid, which is not the test's own child, so
  // that Wait and Stop work on it once its parent has gone: on Linux the
  // test becomes the process its orphans go to, on Windows it opens the
  // process. False where neither can be done.
  bool Adopt(long pid);
  // The process id, as another process would name it.
  long Id() const;
  // Ends a process that still runs, with what it started (POSIX), and
  // waits for it.
  void Stop();
  // POSIX: sends sig to the process, or to its whole group as a terminal
  // does. Windows: ends the process alone, whatever sig is.
  bool Signal(int sig, bool group = false);

 private:
  bool running_ = false;
  long long id_ = 0;  // process id (POSIX) or process handle (Windows)
};
