// The POSITION argument shared by every command:
//   startpos [moves M1 M2 ...]
//   sfen BOARD SIDE HANDS MOVENUMBER [moves M1 M2 ...]
// The move list ends at the end of the arguments or at the first argument
// that is a plain integer (a command's own number, such as a depth).
#include "position/makemove.h"
#include "position/position.h"
#include "position/usi.h"
#include "tool.h"

namespace {

bool IsInteger(const std::string& s) {
  size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

}  // namespace

bool ParseToolPosition(const std::vector<std::string>& args, size_t pos, ToolPosition& out,
                       size_t& next, std::string& why) {
  if (pos >= args.size()) {
    why = "missing position (startpos or sfen BOARD SIDE HANDS MOVENUMBER)";
    return false;
  }
  if (args[pos] == "startpos") {
    const int32_t hand[EHI + 1] = {};
    SetUp(out.start, 0, StartDiagram, hand);
    out.startSide = SELF;
    ++pos;
  } else if (args[pos] == "sfen") {
    // The four fields come as four arguments, or quoted as one.
    size_t fields = (pos + 1 < args.size() && args[pos + 1].find(' ') != std::string::npos) ? 1 : 4;
    if (pos + fields >= args.size()) {
      why = "sfen needs 4 fields: BOARD SIDE HANDS MOVENUMBER";
      return false;
    }
    std::string text;
    for (size_t i = 1; i <= fields; ++i) text += args[pos + i] + " ";
    if (!ParseSfen(text, out.start, out.startSide, why)) return false;
    pos += 1 + fields;
  } else {
    why = "unknown position '" + args[pos] + "' (expected startpos or sfen)";
    return false;
  }

  out.moves.clear();
  out.final = out.start;
  out.side = out.startSide;
  if (pos < args.size() && args[pos] == "moves") {
    for (++pos; pos < args.size() && !IsInteger(args[pos]); ++pos) {
      if (out.final.ply + 1 >= GAME_PLY_LIMIT) {
        why = "too many moves: a game ends before ply " + std::to_string(GAME_PLY_LIMIT);
        return false;
      }
      Move m;
      std::string reason;
      if (!ParseUsiMove(out.final, out.side, args[pos], true, m, reason)) {
        why = "move " + std::to_string(out.moves.size() + 1) + ": " + reason;
        return false;
      }
      MakeMove(out.final, out.side, m);
      out.moves.push_back(m);
      out.side = Opponent(out.side);
    }
  }
  next = pos;
  return true;
}
