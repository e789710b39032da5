// Starting and watching the engine program: the one platform-specific
// piece of the scripted games.
#pragma once

#include <string>

struct EngineProcess {
  long long id = 0;  // process id (POSIX) or process handle (Windows)
  bool running = false;
};

// Starts exe with no arguments in the working folder dir.
bool StartEngine(const std::string& exe, const std::string& dir, EngineProcess& p);
// Waits up to ms for the process to end; true with its exit status if it has.
bool WaitEngine(EngineProcess& p, int ms, int& status);
// Ends a process that is still running.
void StopEngine(EngineProcess& p);
