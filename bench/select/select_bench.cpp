// Times SelectMove on the regression positions: per position the time, the
// nodes of the main and the mate search and the move, each checked against
// the recorded ones; then the median and the worst. Each position starts
// from empty tables, as a fresh engine would; the time is SelectMove's alone. The registered
// benchmarks repeat the same calls under the benchmark library's timing.
//
//   bench_select [--cases FILE] [benchmark flags]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "position/keys.h"
#include "search/mate.h"
#include "search/root.h"
#include "search/search.h"
#include "search/tt.h"
#include "select_cases.h"

namespace {

Move Pv[PV_SIZE * PV_SIZE];

struct Loaded {
  SelectCase c;
  EvalState e;
  int side;
};

std::vector<Loaded> Cases;

// Replays the position (the histories and the evaluation's square table
// are process-wide, so this comes right before its search) and empties
// both tables.
void Prepare(Loaded& l) {
  std::string why;
  ReplayCasePosition(l.c.position, l.e, l.side, why);
  ClearTranspositionTable();
  ClearMateTable();
}

void BM_Select(benchmark::State& state, Loaded* l) {
  for (auto _ : state) {
    state.PauseTiming();
    Prepare(*l);
    state.ResumeTiming();
    uint64_t nodes = SearchNodes;
    Move m = SelectMove(Pv, l->side, l->e);
    benchmark::DoNotOptimize(m);
    state.counters["nodes"] = static_cast<double>(SearchNodes - nodes);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = MIRQ_SELECT_CASES;
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--cases") == 0 && i + 1 < argc) {
      path = argv[++i];
    } else {
      rest.push_back(argv[i]);
    }
  }
  InitHashKeys();
  SearchTrace = stderr;
  std::vector<SelectCase> cases;
  std::string why;
  if (!LoadSelectCases(path, cases, why)) {
    std::fprintf(stderr, "bench_select: %s\n", why.c_str());
    return 2;
  }
  for (const SelectCase& c : cases) {
    Loaded l{c, EvalState{}, SELF};
    if (!ReplayCasePosition(c.position, l.e, l.side, why)) {
      std::fprintf(stderr, "bench_select: %s line %d: %s\n", path.c_str(), c.line, why.c_str());
      return 2;
    }
    Cases.push_back(l);
  }

  // One timed pass with the summary.
  std::vector<double> times;
  int changed = 0, nodesChanged = 0;
  std::printf("%-28s %10s %10s %10s  %s\n", "position", "ms", "nodes", "mate", "move");
  for (Loaded& l : Cases) {
    Prepare(l);
    uint64_t nodes = SearchNodes, mates = MateNodes;
    auto start = std::chrono::steady_clock::now();
    Move m = SelectMove(Pv, l.side, l.e);
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    times.push_back(ms);
    std::string got = DescribeSelected(m);
    std::string expect = l.c.move + " " + std::to_string(l.c.score);
    bool same = got == expect;
    if (!same) ++changed;
    std::string gotNodes = DescribeNodes(SearchNodes - nodes, MateNodes - mates);
    std::string expectNodes = DescribeNodes(l.c.nodes, l.c.mateNodes);
    bool sameNodes = gotNodes == expectNodes;
    if (!sameNodes) ++nodesChanged;
    std::printf("%-28s %10.1f %10llu %10llu  %s%s%s\n", l.c.name.c_str(), ms,
                static_cast<unsigned long long>(SearchNodes - nodes),
                static_cast<unsigned long long>(MateNodes - mates), got.c_str(),
                same ? "" : ("  CHANGED, recorded " + expect).c_str(),
                sameNodes ? "" : ("  NODES CHANGED, recorded " + expectNodes).c_str());
  }
  if (!times.empty()) {
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    size_t n = sorted.size();
    double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    size_t worst = std::max_element(times.begin(), times.end()) - times.begin();
    std::printf(
        "positions %zu  median %.1f ms  worst %.1f ms (%s)  moves changed %d  nodes changed %d\n",
        n, median, times[worst], Cases[worst].c.name.c_str(), changed, nodesChanged);
  }

  for (Loaded& l : Cases) {
    benchmark::RegisterBenchmark(("select/" + l.c.name).c_str(), BM_Select, &l)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  }
  int rc = static_cast<int>(rest.size());
  benchmark::Initialize(&rc, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return changed || nodesChanged ? 1 : 0;
}
