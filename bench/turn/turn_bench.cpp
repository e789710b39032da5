// The engine's turn (baseline search plus one per affordable purchase) on
// middle-game positions, and the cost of waiting for the human.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "driver/game.h"
#include "driver/points.h"
#include "position/movegen.h"
#include "search/mate.h"
#include "search/tt.h"

namespace fs = std::filesystem;

namespace {

// Positions with the engine to move after 20, 30 and 40 moves of the
// search playing both sides, hands emptied as in a game.
const std::vector<EvalState>& MiddleGames() {
  static std::vector<EvalState> games;
  if (!games.empty()) return games;
  StartUp(1);
  EvalState e = Current;
  int side = SELF;
  for (int ply = 0; ply < 41; ++ply) {
    FillHand(0, e.pos, side);
    SelectCastleTables(e);
    Move m = SelectMove(SearchBuffer, side, e);
    if (IsEmptyMove(m)) break;
    MakeMoveEval(e, side, m);
    side = Opponent(side);
    if (side == ENEMY && (e.pos.ply == 21 || e.pos.ply == 31 || e.pos.ply == 41)) {
      EvalState g = e;
      FillHand(0, g.pos, ENEMY);
      SelectCastleTables(g);
      games.push_back(g);
    }
  }
  return games;
}

int searches;
Move CountingSelect(Move* pv, int side, EvalState e) {
  ++searches;
  return SelectMove(pv, side, e);
}

void BM_EngineTurn(benchmark::State& state) {
  const std::vector<EvalState>& games = MiddleGames();
  if (static_cast<size_t>(state.range(0)) >= games.size()) {
    state.SkipWithError("self-play ended early");
    return;
  }
  const EvalState& e = games[state.range(0)];
  const int points[POINT_KINDS] = {3, 2, 2};  // every kind but gold affordable
  searches = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ClearTranspositionTable();
    ClearMateTable();
    state.ResumeTiming();
    EngineChoice c = ChooseEngineMove(CountingSelect, e, points);
    benchmark::DoNotOptimize(c);
  }
  state.counters["searches"] = benchmark::Counter(searches, benchmark::Counter::kAvgIterations);
  state.SetLabel("ply " + std::to_string(e.pos.ply));
}
BENCHMARK(BM_EngineTurn)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(5);

void WriteFile(const fs::path& path, const char* text) {
  std::FILE* f = std::fopen(path.string().c_str(), "wb");
  if (!f) return;
  std::fputs(text, f);
  std::fclose(f);
}

// CPU time the human turn's polling burns per second of waiting.
void BM_IdlePolling(benchmark::State& state) {
  fs::path root = fs::temp_directory_path() / "mirq_turn_bench";
  fs::remove_all(root);
  fs::create_directories(root / "data");
  fs::create_directories(root / "save_data");
  WriteFile(root / "save_data" / "$setup.mvdf", "2");
  fs::path old = fs::current_path();
  fs::current_path(root / "data");
  StartUp(1);
  auto game = std::async(std::launch::async, [] { return PlayGame(SelectMove); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  double cpuMs = 0, wallMs = 0;
  for (auto _ : state) {
    std::clock_t c0 = std::clock();
    auto w0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    cpuMs += 1000.0 * (std::clock() - c0) / CLOCKS_PER_SEC;
    wallMs +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0).count();
  }
  state.counters["cpu_ms_per_s"] = 1000.0 * cpuMs / wallMs;
  // A line with one number ends the game.
  WriteFile(root / "save_data" / "$setTe.mvdf", "7");
  WriteFile(root / "save_data" / "$setup.mvdf", "3");
  game.wait();
  fs::current_path(old);
  fs::remove_all(root);
}
BENCHMARK(BM_IdlePolling)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
