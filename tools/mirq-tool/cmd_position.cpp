// Position commands: legal moves, perft and its divide, keys, SFEN.
#include <cinttypes>
#include <cstdio>

#include "position/makemove.h"
#include "position/movegen.h"
#include "position/perft.h"
#include "position/usi.h"
#include "tool.h"

namespace {

// Deeper counts would not finish; the bound also keeps every ply the count
// reaches inside the key and check histories.
constexpr int MAX_PERFT_DEPTH = 20;

// Parses the POSITION and requires exactly `extra` arguments after it.
bool ReadArgs(const std::vector<std::string>& args, size_t extra, const char* usage,
              ToolPosition& tp, size_t& next, std::string& why) {
  if (!ParseToolPosition(args, 0, tp, next, why)) return false;
  if (args.size() - next < extra) {
    why = std::string("missing argument; usage: ") + usage;
    return false;
  }
  if (args.size() - next > extra) {
    why = "unexpected argument '" + args[next + extra] + "'; usage: " + usage;
    return false;
  }
  return true;
}

bool ReadDepth(const std::string& text, int& depth, std::string& why) {
  bool ok = !text.empty() && text.size() <= 3;
  depth = 0;
  for (char c : text) {
    ok = ok && c >= '0' && c <= '9';
    if (ok) depth = depth * 10 + (c - '0');
  }
  if (!ok || depth > MAX_PERFT_DEPTH) {
    why = "bad depth '" + text + "' (expected 0.." + std::to_string(MAX_PERFT_DEPTH) + ")";
    return false;
  }
  return true;
}

int CmdMoves(const std::vector<std::string>& args) {
  ToolPosition tp;
  size_t next;
  std::string why;
  if (!ReadArgs(args, 0, "moves POSITION", tp, next, why)) return ToolError(why);
  MoveList list;
  int n = GenerateMoves(tp.final, tp.side, list);
  for (int i = 0; i < n; ++i) std::printf("%s\n", FormatUsiMove(list[i]).c_str());
  return 0;
}

int CmdPerft(const std::vector<std::string>& args) {
  ToolPosition tp;
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
  ToolPosition tp;
  size_t next;
  std::string why;
  int depth;
  if (!ReadArgs(args, 1, "divide POSITION DEPTH", tp, next, why) ||
      !ReadDepth(args[next], depth, why))
    return ToolError(why);
  if (depth < 1) return ToolError("bad depth '" + args[next] + "' (divide needs 1 or more)");
  MoveList list;
  int n = GenerateMoves(tp.final, tp.side, list);
  uint64_t total = 0;
  for (int i = 0; i < n; ++i) {
    Position child = tp.final;
    MakeMove(child, tp.side, list[i]);
    uint64_t count = Perft(child, Opponent(tp.side), depth - 1);
    total += count;
    std::printf("%s %" PRIu64 "\n", FormatUsiMove(list[i]).c_str(), count);
  }
  std::printf("total %" PRIu64 "\n", total);
  return 0;
}

int CmdKeys(const std::vector<std::string>& args) {
  ToolPosition tp;
  size_t next;
  std::string why;
  if (!ReadArgs(args, 0, "keys POSITION", tp, next, why)) return ToolError(why);
  std::printf("%016" PRIx64 " %016" PRIx64 " %016" PRIx64 "\n", uint64_t(tp.final.Hash),
              uint64_t(tp.final.Hand), uint64_t(tp.final.Kyokumen));
  return 0;
}

int CmdSfen(const std::vector<std::string>& args) {
  ToolPosition tp;
  size_t next;
  std::string why;
  if (!ReadArgs(args, 0, "sfen POSITION", tp, next, why)) return ToolError(why);
  std::printf("%s\n", FormatSfen(tp.final, tp.side).c_str());
  return 0;
}

const bool registered =
    RegisterCommand("moves", "moves POSITION          legal moves of the side to move", CmdMoves) &&
    RegisterCommand("perft", "perft POSITION DEPTH    leaf count of the legal move tree", CmdPerft) &&
    RegisterCommand("divide", "divide POSITION DEPTH   perft per legal move, then the total",
                    CmdDivide) &&
    RegisterCommand("keys", "keys POSITION           Hash Hand Kyokumen in hexadecimal", CmdKeys) &&
    RegisterCommand("sfen", "sfen POSITION           the position as SFEN", CmdSfen);

}  // namespace
