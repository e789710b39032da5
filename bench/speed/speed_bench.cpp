// Engine speed where a player feels it: whole self-play games timed per
// engine turn (the baseline search plus one per affordable purchase), and
// SelectMove, the mate search and perft on fixed positions. Every result
// (moves, scores, node counts, game records) is printed on lines starting
// "result" so that two builds can be compared line for line; timings are on
// lines starting "time". The source uses only the engine's long-standing
// interfaces, so it can be built against an older tree as well
// (bench/speed/compare builds it both ways and runs both); --level needs a
// tree with levels.
//
//   bench_speed [--level NAME] WORKLOAD ...   at level NAME (default normal)
//   bench_speed games SEED...      self-play games, ENEMY's turns timed
//   bench_speed select FILE [NAME...]  SelectMove per position from empty tables
//   bench_speed mate FILE [NAME...]    MateSearch (depth 7) per position
//   bench_speed perft DEPTH        perft of the start position
//   bench_speed hands SEED...      positions of those games, more in hand
//
// FILE holds lines "NAME | POSITION", POSITION as the analysis tool takes
// it ("startpos [moves ...]" or "sfen BOARD SIDE HANDS N [moves ...]").
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver/game.h"
#include "driver/points.h"
#include "position/keys.h"
#include "position/movegen.h"
#include "position/perft.h"
#include "position/position.h"
#include "position/usi.h"
#include "search/mate.h"
#include "search/root.h"
#include "search/search.h"
#include "search/tt.h"
#if __has_include("search/level.h")
#include "search/level.h"
#define MIRQ_HAVE_LEVELS 1
#endif

namespace {

// Processor time of this process: on a shared machine it varies far less
// than the wall clock, which is also kept.
struct Stopwatch {
  std::clock_t cpu = std::clock();
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  double CpuMs() const { return 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC; }
  double WallMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall)
        .count();
  }
};

struct Times {
  std::vector<double> cpu, wall;
  void Add(const Stopwatch& w) {
    cpu.push_back(w.CpuMs());
    wall.push_back(w.WallMs());
  }
  void Append(const Times& t) {
    cpu.insert(cpu.end(), t.cpu.begin(), t.cpu.end());
    wall.insert(wall.end(), t.wall.begin(), t.wall.end());
  }
};

// Median, 90th percentile and maximum of a set of times.
void PrintOne(const std::string& what, const char* clock, std::vector<double> ms, uint64_t nodes) {
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  double total = 0;
  for (double t : ms) total += t;
  const size_t n = ms.size();
  const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
  const double p90 = ms[std::min(n - 1, static_cast<size_t>(0.9 * (n - 1) + 0.5))];
  std::printf("time %s %s count %zu median %.2f p90 %.2f max %.2f total %.1f ms  %.0f nodes/s\n",
              what.c_str(), clock, n, median, p90, ms.back(), total,
              total > 0 ? nodes / (total / 1000) : 0.0);
}

void PrintSummary(const std::string& what, const Times& t, uint64_t nodes) {
  PrintOne(what, "cpu", t.cpu, nodes);
  PrintOne(what, "wall", t.wall, nodes);
}

uint64_t AllNodes() {
  return SearchNodes + MateNodes;
}

// --- Whole games --------------------------------------------------------------

constexpr int GAME_PLIES = 120;  // a game is cut here to bound the run
// The engine holds this many points of every kind at each of its turns, so
// that it weighs a purchase of most kinds.
constexpr int TURN_POINTS = 3;

// The slowest engine turn (processor time) and where it was.
struct Worst {
  double cpu = -1, wall = 0;
  unsigned seed = 0;
  int ply = 0;
  void Take(const Worst& o) {
    if (o.cpu > cpu) *this = o;
  }
};

struct GameRun {
  Times turns;
  Worst worst;
  uint64_t turnNodes = 0;
  std::vector<EvalState> enemyTurns;  // positions ENEMY searched from
};

// One game: the engine plays ENEMY as in a game (hand emptied, castle
// tables chosen, ChooseEngineMove with purchases); SELF is played by the
// same search from a hand that, one turn in two, holds a piece it bought.
void PlayOne(unsigned seed, GameRun& run) {
  StartUp(seed);
  ClearTranspositionTable();
  ClearMateTable();
  std::mt19937 rng(seed);
  std::string record;
  int side = SELF;
  const char* end = "ply limit";
  while (Current.pos.ply < GAME_PLIES) {
    MoveList legal;
    if (GenerateMoves(Current.pos, side, legal) == 0) {
      end = side == SELF ? "SELF has no move" : "ENEMY has no move";
      break;
    }
    FillHand(0, Current.pos, side);
    SelectCastleTables(Current);
    Move m;
    if (side == SELF) {
      EvalState e = Current;
      const int kind = static_cast<int>(rng() % 14);  // 1..7: a bought piece
      if (kind >= FU && kind <= HI) AddHandPiece(kind, e.pos, SELF);
      m = SelectMove(SearchBuffer, SELF, e);
      if (IsEmptyMove(m)) {
        end = "SELF found no move";
        break;
      }
      if (IsDrop(m)) AddHandPiece(KindOf(m.piece), Current.pos, SELF);
    } else {
      run.enemyTurns.push_back(Current);
      const int points[POINT_KINDS] = {TURN_POINTS, TURN_POINTS, TURN_POINTS};
      const uint64_t nodes = AllNodes();
      const Stopwatch watch;
      EngineChoice c = ChooseEngineMove(SelectMove, Current, points);
      run.turns.Add(watch);
      run.worst.Take({run.turns.cpu.back(), run.turns.wall.back(), seed, Current.pos.ply});
      run.turnNodes += AllNodes() - nodes;
      if (IsEmptyMove(c.move)) {
        end = "ENEMY found no move";
        break;
      }
      if (c.kind) AddHandPiece(c.kind, Current.pos, ENEMY);
      m = c.move;
      record += c.kind ? " +" + std::to_string(c.kind) : std::string();
    }
    record += " " + FormatUsiMove(m) + ":" + std::to_string(m.score);
    MakeMoveEval(Current, side, m);
    if (CountRepetitions(Current.pos.ply, Current.pos.Kyokumen) >= 4) {
      end = "repetition";
      break;
    }
    side = Opponent(side);
  }
  std::printf("result game %u plies %d (%s):%s\n", seed, Current.pos.ply, end, record.c_str());
}

int RunGames(const std::vector<unsigned>& seeds) {
  GameRun all;
  for (unsigned seed : seeds) {
    GameRun one;
    PlayOne(seed, one);
    PrintSummary("game " + std::to_string(seed) + " turn", one.turns, one.turnNodes);
    all.turns.Append(one.turns);
    all.worst.Take(one.worst);
    all.turnNodes += one.turnNodes;
  }
  PrintSummary("games turn", all.turns, all.turnNodes);
  if (all.worst.cpu >= 0) {
    std::printf("time games worst turn cpu %.2f wall %.2f ms (game %u ply %d)\n", all.worst.cpu,
                all.worst.wall, all.worst.seed, all.worst.ply);
  }
  return 0;
}

// Positions from the games with more pieces in hand, as after several
// purchases: ENEMY to move with two to four pieces, SELF with one to four.
int PrintHandPositions(const std::vector<unsigned>& seeds) {
  for (unsigned seed : seeds) {
    GameRun run;
    PlayOne(seed, run);
    std::mt19937 rng(seed * 7919u);
    for (size_t i = 4; i < run.enemyTurns.size(); i += 6) {
      Position p = run.enemyTurns[i].pos;
      for (int side : {ENEMY, SELF}) {
        const int pieces =
            (side == ENEMY ? 2 : 1) + static_cast<int>(rng() % (side == ENEMY ? 3 : 4));
        for (int k = 0; k < pieces; ++k) ++p.Motigoma[side | (FU + static_cast<int>(rng() % 7))];
      }
      std::printf("g%u-%d | sfen %s\n", seed, p.ply, FormatSfen(p, ENEMY).c_str());
    }
  }
  return 0;
}

// --- Fixed positions ----------------------------------------------------------

struct Case {
  std::string name;
  EvalState e;
  int side;
};

// The position text read, then its moves made with evaluation; castle
// tables chosen for the final position, as a turn does.
bool SetUpCase(const std::string& text, EvalState& e, int& side, std::string& why) {
  PositionText position;
  if (!ParsePositionText(text, position, why)) return false;
  ReplayWithEval(e, position.start, position.startSide, position.moves.data(),
                 position.moves.size());
  side = position.side;
  return true;
}

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  const size_t e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// "NAME | POSITION [| anything]"; '#' lines and blank lines are skipped.
// The cases to run by name; all when empty.
std::vector<std::string> Only;

bool LoadCases(const char* path, std::vector<Case>& out) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "bench_speed: cannot open %s\n", path);
    return false;
  }
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    const size_t a = line.find('|');
    const size_t b = a == std::string::npos ? a : line.find('|', a + 1);
    Case c;
    std::string why;
    c.name = Trim(line.substr(0, a));
    if (!Only.empty() && std::find(Only.begin(), Only.end(), c.name) == Only.end()) continue;
    if (a == std::string::npos ||
        !SetUpCase(Trim(line.substr(a + 1, b == std::string::npos ? b : b - a - 1)), c.e, c.side,
                   why)) {
      std::fprintf(stderr, "bench_speed: %s:%d: %s\n", path, n,
                   why.empty() ? "expected NAME | POSITION" : why.c_str());
      return false;
    }
    out.push_back(c);
  }
  return true;
}

Move Pv[PV_SIZE * PV_SIZE];

// Replays a case right before its search (the histories and the square
// table are process-wide) and empties both tables, as a fresh engine.
void Prepare(Case& c, const char* path, int index) {
  std::vector<Case> again;
  LoadCases(path, again);
  c = again[index];
  ClearTranspositionTable();
  ClearMateTable();
}

int RunSelect(const char* path) {
  std::vector<Case> cases;
  if (!LoadCases(path, cases)) return 2;
  Times times;
  uint64_t allNodes = 0;
  for (size_t i = 0; i < cases.size(); ++i) {
    Case& c = cases[i];
    Prepare(c, path, static_cast<int>(i));
    const uint64_t nodes = SearchNodes, mates = MateNodes;
    const Stopwatch watch;
    const Move m = SelectMove(Pv, c.side, c.e);
    times.Add(watch);
    allNodes += AllNodes() - nodes - mates;
    std::printf("result select %-16s %s %d nodes %llu mate %llu\n", c.name.c_str(),
                IsEmptyMove(m) ? "none" : FormatUsiMove(m).c_str(), m.score,
                static_cast<unsigned long long>(SearchNodes - nodes),
                static_cast<unsigned long long>(MateNodes - mates));
    std::printf("time select %-16s cpu %.2f wall %.2f ms\n", c.name.c_str(), times.cpu.back(),
                times.wall.back());
  }
  PrintSummary("select", times, allNodes);
  return 0;
}

int RunMate(const char* path) {
  std::vector<Case> cases;
  if (!LoadCases(path, cases)) return 2;
  Times times;
  uint64_t allNodes = 0;
  for (size_t i = 0; i < cases.size(); ++i) {
    Case& c = cases[i];
    Prepare(c, path, static_cast<int>(i));
    const uint64_t mates = MateNodes;
    Move m{};
    const Stopwatch watch;
    const int r = MateSearch(c.e.pos, c.side, MATE_DEPTH_IN_SEARCH, &m);
    times.Add(watch);
    allNodes += MateNodes - mates;
    std::printf("result mate %-16s %d %s nodes %llu\n", c.name.c_str(), r,
                r == MATE_PROVEN ? FormatUsiMove(m).c_str() : "none",
                static_cast<unsigned long long>(MateNodes - mates));
    std::printf("time mate %-16s cpu %.2f wall %.2f ms\n", c.name.c_str(), times.cpu.back(),
                times.wall.back());
  }
  PrintSummary("mate", times, allNodes);
  return 0;
}

int RunPerft(int depth) {
  Position p;
  SetUpStartPosition(p);
  const Stopwatch watch;
  const uint64_t leaves = Perft(p, SELF, depth);
  const double cpu = watch.CpuMs(), wall = watch.WallMs();
  std::printf("result perft %d %llu\n", depth, static_cast<unsigned long long>(leaves));
  std::printf("time perft %d cpu %.1f wall %.1f ms  %.0f leaves/s\n", depth, cpu, wall,
              leaves / (cpu / 1000));
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: bench_speed [--level easy|normal|strong] games SEED... | hands SEED... |\n"
               "         select FILE | mate FILE | perft DEPTH\n");
  return 2;
}

// "--level NAME" in front of the workload; false for a bad one.
bool TakeLevel(int& argc, char**& argv) {
  if (argc < 2 || std::string(argv[1]) != "--level") return true;
#ifdef MIRQ_HAVE_LEVELS
  if (argc < 3 || !ChooseLevel(argv[2])) {
    std::fprintf(stderr, "bench_speed: --level takes easy, normal or strong\n");
    return false;
  }
  std::printf("result level %s\n", Level->name);
  argc -= 2;
  argv += 2;
  return true;
#else
  std::fprintf(stderr, "bench_speed: this tree has no levels\n");
  return false;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  if (!TakeLevel(argc, argv)) return 2;
  if (argc < 3) return Usage();
  const std::string what = argv[1];
  InitHashKeys();
  SearchTrace = stderr;  // the refused-store trace is no result here
  if (what == "games" || what == "hands") {
    std::vector<unsigned> seeds;
    for (int i = 2; i < argc; ++i)
      seeds.push_back(static_cast<unsigned>(std::strtoul(argv[i], nullptr, 10)));
    return what == "games" ? RunGames(seeds) : PrintHandPositions(seeds);
  }
  Only.assign(argv + 3, argv + argc);
  if (what == "select") return RunSelect(argv[2]);
  if (what == "mate") return RunMate(argv[2]);
  if (what == "perft") return RunPerft(std::atoi(argv[2]));
  return Usage();
}
