// A program started as a child process of the test: in a working folder of
// the test's choice, with its standard streams taken from or sent to files,
// watched and ended. The one file of the tests that knows the platform's
// process calls.
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
  // Ends a process that still runs, with what it started (POSIX), and
  // waits for it.
  void Stop();

 private:
  bool running_ = false;
  long long id_ = 0;  // process id (POSIX) or process handle (Windows)
};
