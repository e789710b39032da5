// Waiting for a process that is not the test's own child: the engine
// started by a stand-in game program that the test then ends.
#pragma once

struct Orphan {
  long long id = 0;  // process id (POSIX) or process handle (Windows)
};

// Takes hold of process pid while its parent still runs (Windows: a
// handle; Linux: the test becomes the one that inherits its orphans).
// False where this cannot be done.
bool Adopt(long pid, Orphan& o);
// Waits up to ms for the process to end; true with its exit status.
bool WaitOrphan(Orphan& o, int ms, int& status);
// Ends it if it still runs (a failed test).
void StopOrphan(Orphan& o);
