// The engine program while it waits for the human: its own CPU time over
// a fixed wait, and how fast the game program's requests are answered
// (purchases and rejected moves, so no thinking is counted). A request
// takes three turn-file writes; what one costs in the folder used (the
// system's temporary folder, TMPDIR) is printed too, since on some disks
// rewriting a file flushes it and that, not the waiting, dominates.
//
//   wait_bench [SECONDS [REQUESTS]]     defaults 10 and 200
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine_link.h"
#include "turn_files.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// CPU time of a process in seconds, or -1 where it cannot be read. The
// scheduler's own count is in nanoseconds; the tick count is the fallback.
double CpuSeconds(long pid) {
  std::ifstream sched("/proc/" + std::to_string(pid) + "/schedstat");
  double ns;
  if (sched >> ns) return ns / 1e9;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  size_t at = text.rfind(')');
  if (at == std::string::npos) return -1;
  std::vector<std::string> fields;
  std::string field;
  for (size_t i = at + 2; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ' ') {
      fields.push_back(field);
      field.clear();
    } else {
      field += text[i];
    }
  }
  if (fields.size() < 13) return -1;
  return (std::stod(fields[11]) + std::stod(fields[12])) / 100.0;
}

// The engine in its folder, as the game program starts it; 0 on failure.
pid_t StartEngine(const fs::path& exe, const fs::path& folder) {
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) == 0) execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid > 0 ? pid : 0;
}

double Millis(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 10;
  int requests = argc > 2 ? std::atoi(argv[2]) : 200;
  fs::path engine = fs::absolute(fs::path(argv[0]).parent_path() / "mirqmind");

  std::random_device rd;
  fs::path root = fs::temp_directory_path() / ("mirq-wait-bench-" + std::to_string(rd()));
  fs::create_directories(root / "data");
  TurnFiles files((root / "save_data").string());
  std::string why;
  pid_t pid = 0;
  if (!files.WriteInitial(why) || !(pid = StartEngine(engine, root / "data"))) {
    std::fprintf(stderr, "wait_bench: cannot start %s %s\n", engine.c_str(), why.c_str());
    fs::remove_all(root);
    return 2;
  }
  auto stop = [&](int status) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    fs::remove_all(root);
    return status;
  };
  EngineLink link(files, [&] { return waitpid(pid, nullptr, WNOHANG) == 0; });

  // Start-up (book, tables) is not waiting: the first answer shows it is over.
  if (link.RequestPurchase("1100").outcome != LinkOutcome::Accepted) {
    std::fprintf(stderr, "wait_bench: the engine did not answer\n");
    return stop(1);
  }
  double cpu0 = CpuSeconds(pid);
  auto wall0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  double cpu = CpuSeconds(pid) - cpu0;
  double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
  if (cpu0 < 0)
    std::printf("idle CPU: not measurable here\n");
  else
    std::printf("idle CPU over %.1f s of waiting: %.3f %% of one core (%.2f ms)\n", wall,
                100 * cpu / wall, 1000 * cpu);

  // Purchases are judged and illegal moves refused without a search.
  std::vector<double> took;
  for (int i = 0; i < requests; ++i) {
    auto t0 = Clock::now();
    LinkReply r = i % 2 ? link.RequestMove("7876") : link.RequestPurchase("1100");
    took.push_back(Millis(Clock::now() - t0));
    LinkOutcome expected = i % 2 ? LinkOutcome::Rejected : LinkOutcome::Accepted;
    if (r.outcome != expected) {
      std::fprintf(stderr, "wait_bench: request %d was not answered as expected\n", i);
      return stop(1);
    }
  }
  std::sort(took.begin(), took.end());
  std::printf("answer latency over %d requests: median %.3f ms, worst %.3f ms\n", requests,
              took[took.size() / 2], took.back());

  TurnFiles scratch(root.string());
  std::vector<double> writes;
  for (int i = 0; i < 100; ++i) {
    auto t0 = Clock::now();
    scratch.Write("write.mvdf", "2");
    writes.push_back(Millis(Clock::now() - t0));
  }
  std::sort(writes.begin(), writes.end());
  std::printf("one turn-file write in %s: median %.3f ms\n", root.parent_path().string().c_str(),
              writes[writes.size() / 2]);
  return stop(0);
}
