// Speed of the position core: perft leaves per second from the start
// position and a middle-game position, move generation, and copy-make.
#include <benchmark/benchmark.h>

#include <cstring>

#include "position/keys.h"
#include "position/makemove.h"
#include "position/movegen.h"
#include "position/perft.h"
#include "position/position.h"

namespace {

// A middle game: both castles half built, SELF's bishop and rook out, the
// ENEMY rook on 8b, pieces in both hands. SELF to move.
const uint8_t kMiddleDiagram[81] = {
    EKY, EKE, EMP, EKI, EMP, EMP, EMP, EKE, EKY,  // rank 1, file 9 .. 1
    EMP, EHI, EGI, EOU, EKI, EMP, EGI, EMP, EMP,  // rank 2
    EFU, EFU, EFU, EFU, EMP, EFU, EFU, EFU, EFU,  // rank 3
    EMP, EMP, EMP, EMP, EFU, EMP, EMP, EMP, EMP,  // rank 4
    EMP, EMP, SFU, EMP, EMP, EMP, EMP, EMP, EMP,  // rank 5
    EMP, EMP, EMP, EMP, EMP, EMP, SFU, EMP, EMP,  // rank 6
    SFU, SFU, EMP, SFU, SFU, SFU, EMP, SFU, SFU,  // rank 7
    EMP, SKA, SGI, SKI, EMP, EMP, SGI, SHI, EMP,  // rank 8
    SKY, SKE, SOU, EMP, SKI, EMP, EMP, SKE, SKY,  // rank 9
};

Position MakePosition(const uint8_t* diagram, bool withHands) {
  InitHashKeys();
  int32_t hand[EHI + 1] = {};
  if (withHands) {
    hand[SGI] = 1;
    hand[SKY] = 1;
    hand[EKA] = 1;
    hand[EGI] = 1;
  }
  Position p;
  SetUp(p, 0, diagram, hand);
  return p;
}

void RunPerft(benchmark::State& state, const Position& p) {
  const int depth = static_cast<int>(state.range(0));
  uint64_t leaves = 0;
  for (auto _ : state) {
    const uint64_t n = Perft(p, SELF, depth);
    benchmark::DoNotOptimize(n);
    leaves += n;
  }
  state.counters["leaves"] =
      benchmark::Counter(static_cast<double>(leaves), benchmark::Counter::kIsRate);
}

void BM_PerftStart(benchmark::State& state) {
  RunPerft(state, MakePosition(StartDiagram, false));
}
BENCHMARK(BM_PerftStart)->Arg(5)->Unit(benchmark::kMillisecond);

void BM_PerftMiddle(benchmark::State& state) {
  RunPerft(state, MakePosition(kMiddleDiagram, true));
}
BENCHMARK(BM_PerftMiddle)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_GenerateMiddle(benchmark::State& state) {
  const Position p = MakePosition(kMiddleDiagram, true);
  MoveList list;
  int64_t moves = 0;
  for (auto _ : state) {
    const int n = GenerateMoves(p, SELF, list);
    benchmark::DoNotOptimize(list);
    moves += n;
  }
  state.counters["moves"] =
      benchmark::Counter(static_cast<double>(moves), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GenerateMiddle);

// One copy of the Position and one make-move per call, cycling through the
// legal moves of the middle-game position.
void BM_CopyMakeMiddle(benchmark::State& state) {
  const Position p = MakePosition(kMiddleDiagram, true);
  MoveList list;
  const int n = GenerateMoves(p, SELF, list);
  Position child;
  int i = 0;
  for (auto _ : state) {
    std::memcpy(&child, &p, sizeof child);
    MakeMove(child, SELF, list[i]);
    benchmark::DoNotOptimize(child);
    if (++i == n) i = 0;
  }
}
BENCHMARK(BM_CopyMakeMiddle);

}  // namespace

BENCHMARK_MAIN();
