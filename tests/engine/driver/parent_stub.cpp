// Stands in for a game program that starts the engine and then ends
// without a word (crashed, killed, window closed): starts the program
// given in the current folder, prints its process id and waits to be
// ended itself.
#include <chrono>
#include <cstdio>
#include <thread>

#include "support/child_process.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  // Never destroyed: the engine must outlive this program's end.
  static ChildProcess engine;
  if (!engine.Start(argv[1], {})) return 2;
  std::printf("%ld\n", engine.Id());
  std::fflush(stdout);
  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}
