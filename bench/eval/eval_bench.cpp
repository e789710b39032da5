// Cost per call of Evaluate, ExchangeValue and OrderMoves on a fixed set of
// middle-game positions.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "eval/exchange.h"
#include "eval/ordering.h"
#include "position/keys.h"
#include "position/movegen.h"
#include "position/usi.h"

namespace {

struct Sample {
  EvalState e;
  int side;
};

const char* const Sfens[] = {
    "ln1g1g1nl/1r2k2b1/p1ppsp1pp/1p2p1p2/9/2P1P1+p2/PP1PSP1PP/1B2K2R1/LN1G1GSNL b Ps 1",
    "l4k2l/2+R3g2/p1n1ppsp1/2p+B3p1/1p1P5/4P1P2/PPS2PN1P/2G2S1+r1/LN2K3L w GNPbp 1",
    "lnsgkgsnl/9/ppppppppp/9/9/9/PPPPPPPPP/9/LNSGKGSNL b - 1",
    "ln3g1nl/1r1sk1sb1/p1ppppgpp/1p4p2/9/2P1P4/PPBP1PPPP/2G1S2R1/LN2KGSNL b - 1",
};

// Each start position, then 30 plies of seeded random play from it: the
// same positions on every run.
std::vector<Sample> Samples() {
  InitHashKeys();
  std::vector<Sample> out;
  std::mt19937 rng(2024);
  for (const char* sfen : Sfens) {
    Sample s;
    std::memset(&s.e, 0, sizeof s.e);
    std::string why;
    if (!ParseSfen(sfen, s.e.pos, s.side, why)) {
      std::fprintf(stderr, "bench_eval: %s: %s\n", sfen, why.c_str());
      std::exit(1);
    }
    InitEvaluation(s.e);
    for (int ply = 0; ply < 30; ++ply) {
      Move list[MAX_MOVES];
      const int n = GenerateMoves(s.e.pos, s.side, list);
      if (n == 0) break;
      if (ply % 10 == 0) out.push_back(s);
      MakeMoveEval(s.e, s.side, list[rng() % n]);
      s.side = Opponent(s.side);
    }
    Move list[MAX_MOVES];
    if (GenerateMoves(s.e.pos, s.side, list) > 0) out.push_back(s);
  }
  for (Sample& s : out) SelectCastleTables(s.e);
  return out;
}

const std::vector<Sample>& Positions() {
  static const std::vector<Sample> samples = Samples();
  return samples;
}

void BM_Evaluate(benchmark::State& state) {
  const auto& ps = Positions();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Evaluate(ps[i].e));
    if (++i == ps.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Evaluate);

// Only occupied squares: empty ones return at once.
void BM_ExchangeValue(benchmark::State& state) {
  std::vector<std::pair<const Position*, int>> targets;
  for (const Sample& s : Positions())
    for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq)
      if (IsSquare(sq) && s.e.pos.Ban(sq) != EMP) targets.push_back({&s.e.pos, sq});
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ExchangeValue(*targets[i].first, targets[i].second));
    if (++i == targets.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExchangeValue);

void BM_OrderMoves(benchmark::State& state) {
  const auto& ps = Positions();
  std::vector<std::vector<Move>> lists;
  for (const Sample& s : ps) {
    Move list[MAX_MOVES];
    const int n = GenerateMoves(s.e.pos, s.side, list);
    lists.emplace_back(list, list + n);
  }
  size_t i = 0;
  int64_t moves = 0;
  Move work[MAX_MOVES];
  for (auto _ : state) {
    const std::vector<Move>& l = lists[i];
    std::copy(l.begin(), l.end(), work);
    OrderMoves(ps[i].e, ps[i].side, work, static_cast<int>(l.size()));
    benchmark::ClobberMemory();
    moves += static_cast<int64_t>(l.size());
    if (++i == ps.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["moves_per_call"] =
      benchmark::Counter(static_cast<double>(moves) / state.iterations());
}
BENCHMARK(BM_OrderMoves);

void BM_MakeMoveEval(benchmark::State& state) {
  const auto& ps = Positions();
  std::vector<std::vector<Move>> lists;
  for (const Sample& s : ps) {
    Move list[MAX_MOVES];
    const int n = GenerateMoves(s.e.pos, s.side, list);
    lists.emplace_back(list, list + n);
  }
  size_t i = 0, j = 0;
  for (auto _ : state) {
    EvalState copy = ps[i].e;
    MakeMoveEval(copy, ps[i].side, lists[i][j]);
    benchmark::DoNotOptimize(copy.PhaseSelf);
    if (++j >= lists[i].size()) {
      j = 0;
      if (++i == ps.size()) i = 0;
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MakeMoveEval);

}  // namespace

BENCHMARK_MAIN();
