// Starting the engine as a child process in its own folder, watching it and
// ending it. The only file of the game program that knows the platform's
// process calls.
#pragma once

#include <string>

class EngineProcess {
 public:
  EngineProcess() = default;
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;
  ~EngineProcess() { Stop(); }

  // Starts exe with workdir as its working folder and no arguments. Its
  // standard input and output are detached from the terminal, which
  // belongs to the player.
  bool Start(const std::string& exe, const std::string& workdir, std::string& why);

  // False once the process has ended (it is then reaped).
  bool Running();
  // Exit status after the process ended, -1 when killed by a signal.
  int ExitStatus() const { return status_; }
  // Ends a process that still runs and waits for it.
  void Stop();

 private:
  bool started_ = false;
  bool ended_ = false;
  int status_ = 0;
#ifdef _WIN32
  void* process_ = nullptr;
  void* job_ = nullptr;
#else
  int pid_ = -1;
#endif
};
