// Readers of the commands' arguments.
#include "tool_args.h"

#include <cstdlib>

namespace {

// Deeper counts would not finish; the bound also keeps every ply the count
// reaches inside the key and check histories.
constexpr int MAX_PERFT_DEPTH = 20;

}  // namespace

bool ReadArgs(const std::vector<std::string>& args, size_t extra, const char* usage,
              PositionText& tp, size_t& next, std::string& why) {
  if (!ParsePositionWords(args, 0, tp, next, why)) return false;
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

bool ReadPosition(const std::vector<std::string>& args, size_t extra, const char* usage,
                  PositionText& tp, EvalState& e, size_t& next, std::string& why) {
  if (!ReadArgs(args, extra, usage, tp, next, why)) return false;
  ReplayWithEval(e, tp.start, tp.startSide, tp.moves.data(), tp.moves.size());
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

bool ParseCount(const std::string& text, int low, int high, int& out) {
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < low || v > high) return false;
  out = static_cast<int>(v);
  return true;
}
