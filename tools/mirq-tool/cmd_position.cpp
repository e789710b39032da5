// Position commands: legal moves, perft and its divide, keys, SFEN.
#include <cinttypes>
#include <cstdio>

#include "position/movegen.h"
#include "position/perft.h"
#include "position/usi.h"
#include "tool.h"
#include "tool_args.h"

namespace {

int CmdMoves(const std::vector<std::string>& args) {
  PositionText tp;
  size_t next;
  std::string why;
  if (!ReadArgs(args, 0, "moves POSITION", tp, next, why)) return ToolError(why);
  MoveList list;
  int n = GenerateMoves(tp.final, tp.side, list);
  for (int i = 0; i < n; ++i) std::printf("%s\n", FormatUsiMove(list[i]).c_str());
  return 0;
}

int CmdPerft(const std::vector<std::string>& args) {
  PositionText tp;
  size_t next;
  std::string why;
  int depth;
  if (!ReadArgs(args, 1, "perft POSITION DEPTH", tp, next, why) ||
      !ReadDepth(args[next], depth, why))
    return ToolError(why);
  std::printf("%" PRIu64 "\n", Perft(tp.final, tp.side, depth));
  return 0;
}

// One line per legal move, "MOVE COUNT", then the total.
int CmdDivide(const std::vector<std::string>& args) {
  PositionText tp;
  size_t next;
  std::string why;
  int depth;
  if (!ReadArgs(args, 1, "divide POSITION DEPTH", tp, next, why) ||
      !ReadDepth(args[next], depth, why))
    return ToolError(why);
  if (depth < 1) return ToolError("bad depth '" + args[next] + "' (divide needs 1 or more)");
  MoveList moves;
  static uint64_t counts[MAX_MOVES];
  int n = PerftDivide(tp.final, tp.side, depth, moves, counts);
  uint64_t total = 0;
  for (int i = 0; i < n; ++i) {
    total += counts[i];
    std::printf("%s %" PRIu64 "\n", FormatUsiMove(moves[i]).c_str(), counts[i]);
  }
  std::printf("total %" PRIu64 "\n", total);
  return 0;
}

int CmdKeys(const std::vector<std::string>& args) {
  PositionText tp;
  size_t next;
  std::string why;
  if (!ReadArgs(args, 0, "keys POSITION", tp, next, why)) return ToolError(why);
  std::printf("%016" PRIx64 " %016" PRIx64 " %016" PRIx64 "\n", uint64_t(tp.final.Hash),
              uint64_t(tp.final.Hand), uint64_t(tp.final.Kyokumen));
  return 0;
}

int CmdSfen(const std::vector<std::string>& args) {
  PositionText tp;
  size_t next;
  std::string why;
  if (!ReadArgs(args, 0, "sfen POSITION", tp, next, why)) return ToolError(why);
  std::printf("%s\n", FormatSfen(tp.final, tp.side).c_str());
  return 0;
}

const bool registered =
    RegisterCommand("moves", "moves POSITION          legal moves of the side to move", CmdMoves) &&
    RegisterCommand("perft", "perft POSITION DEPTH    leaf count of the legal move tree",
                    CmdPerft) &&
    RegisterCommand("divide", "divide POSITION DEPTH   perft per legal move, then the total",
                    CmdDivide) &&
    RegisterCommand("keys", "keys POSITION           Hash Hand Kyokumen in hexadecimal", CmdKeys) &&
    RegisterCommand("sfen", "sfen POSITION           the position as SFEN", CmdSfen);

}  // namespace
