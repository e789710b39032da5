// mate and select: the mate search and the root search on one position,
// with fresh tables (a new process), timing and node counts on stderr.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "book/book.h"
#include "eval/eval.h"
#include "position/position.h"
#include "position/usi.h"
#include "search/mate.h"
#include "search/root.h"
#include "search/search.h"
#include "search/tt.h"
#include "tool.h"
#include "tool_args.h"

namespace {

typedef std::chrono::steady_clock Clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int CmdMate(const std::vector<std::string>& args) {
  PositionText tp;
  size_t next = 0;
  std::string why;
  if (!ParsePositionWords(args, 0, tp, next, why)) return ToolError(why);
  int depth = MATE_DEPTH_IN_SEARCH;
  if (next < args.size()) {
    // Deeper searches would overrun the mate search's shared move area.
    if (!ParseCount(args[next], 1, 9, depth)) {
      return ToolError("mate: depth '" + args[next] + "' is not a number from 1 to 9");
    }
    ++next;
  }
  if (next < args.size()) return ToolError("mate: unexpected argument '" + args[next] + "'");

  Clock::time_point start = Clock::now();
  Move m{};
  int r = MateSearch(tp.final, tp.side, depth, &m);
  double ms = MillisecondsSince(start);
  std::printf("%d %s\n", r, r == MATE_PROVEN ? FormatUsiMove(m).c_str() : "none");
  std::fprintf(stderr, "nodes %llu time %.1f ms\n", static_cast<unsigned long long>(MateNodes), ms);
  return 0;
}

int CmdSelect(const std::vector<std::string>& args) {
  // The book's start position is set up before the game position, whose
  // set-up then owns the histories.
  SetUpStartPosition(BookStartPosition);

  // --book FILE is taken out first: the position's move list runs to the
  // end of the arguments.
  std::vector<std::string> rest;
  std::string bookFile;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--book") {
      if (i + 1 >= args.size()) return ToolError("select: --book needs a file name");
      bookFile = args[++i];
    } else {
      rest.push_back(args[i]);
    }
  }
  PositionText tp;
  size_t next = 0;
  std::string why;
  if (!ParsePositionWords(rest, 0, tp, next, why)) return ToolError(why);
  if (next < rest.size()) return ToolError("select: unexpected argument '" + rest[next] + "'");
  if (!bookFile.empty()) {
    // The engine reads a missing book as an empty one; here a wrong name
    // is more likely a mistake, so every listed file must open.
    size_t begin = 0;
    for (;;) {
      size_t comma = bookFile.find(',', begin);
      std::string name = bookFile.substr(begin, comma == std::string::npos ? comma : comma - begin);
      std::FILE* f = std::fopen(name.c_str(), "rb");
      if (!f) return ToolError("select: cannot open book file '" + name + "'");
      std::fclose(f);
      if (comma == std::string::npos) break;
      begin = comma + 1;
    }
    LoadBook(&Book, bookFile.c_str());
  }

  SearchTrace = stderr;
  EvalState e;
  ReplayWithEval(e, tp.start, tp.startSide, tp.moves.data(), tp.moves.size());
  static Move pv[PV_SIZE * PV_SIZE];
  Clock::time_point start = Clock::now();
  Move m = SelectMove(pv, tp.side, e);
  double ms = MillisecondsSince(start);
  if (IsEmptyMove(m)) {
    std::printf("none 0\n");
  } else {
    std::printf("%s %d\n", FormatUsiMove(m).c_str(), m.score);
  }
  std::fprintf(stderr, "nodes %llu (mate %llu) time %.1f ms\n",
               static_cast<unsigned long long>(SearchNodes),
               static_cast<unsigned long long>(MateNodes), ms);
  return 0;
}

const bool registeredMate = RegisterCommand(
    "mate", "mate POSITION [DEPTH]    mate by checks: RESULT MOVE (depth 7)", CmdMate);
const bool registeredSelect = RegisterCommand(
    "select", "select POSITION [--book FILE]    the engine's move: MOVE SCORE", CmdSelect);

}  // namespace
