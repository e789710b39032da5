// The position text on any bytes: the input, split at
// newlines, is the argument list. A position that is accepted must write
// back as SFEN text that reads as the same position, and every move must
// write as USI text that reads back as the same move.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "position/keys.h"
#include "position/makemove.h"
#include "position/usi.h"

namespace {

bool SamePosition(const Position& a, const Position& b) {
  return std::memcmp(a.Cells, b.Cells, sizeof a.Cells) == 0 &&
         std::memcmp(a.Motigoma, b.Motigoma, sizeof a.Motigoma) == 0 && a.ply == b.ply &&
         a.Kyokumen == b.Kyokumen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (InitHashKeys(), true);
  (void)ready;
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size && args.size() <= 1200; ++i) {
    if (data[i] == '\n')
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }

  PositionText tp;
  size_t next = 0;
  std::string why;
  if (!ParsePositionWords(args, 0, tp, next, why)) {
    FUZZ_CHECK(!why.empty(), "a refusal without a reason");
    return 0;
  }
  FUZZ_CHECK(next <= args.size(), "the next argument lies past the end");
  FUZZ_CHECK(tp.final.ply < GAME_PLY_LIMIT, "more plies than a game has");

  std::string sfen = FormatSfen(tp.start, tp.startSide);
  Position again;
  int side = 0;
  FUZZ_CHECK(ParseSfen(sfen, again, side, why), "written SFEN '" + sfen + "' is refused: " + why);
  FUZZ_CHECK(side == tp.startSide && SamePosition(again, tp.start),
             "SFEN '" + sfen + "' reads differently");

  Position p = tp.start;
  side = tp.startSide;
  for (const Move& m : tp.moves) {
    std::string text = FormatUsiMove(m);
    Move back;
    FUZZ_CHECK(ParseUsiMove(p, side, text, true, back, why),
               "written move '" + text + "' is refused: " + why);
    FUZZ_CHECK(std::memcmp(&back, &m, sizeof m) == 0, "move '" + text + "' reads back differently");
    MakeMove(p, side, m);
    side = Opponent(side);
  }
  FUZZ_CHECK(SamePosition(p, tp.final) && side == tp.side, "replayed moves end elsewhere");
  return 0;
}
