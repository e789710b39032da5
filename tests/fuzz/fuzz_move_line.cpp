// The human's move line and the purchase line on any bytes, decoded the way
// the engine decodes them: the first line of the input (as the engine reads
// a turn file, at most 79 characters) is the text; the bytes after the
// first line end pick legal moves from the start position, so the move is
// judged against many positions. A decoded move must be one of the legal
// moves; a payment the engine finds must be accepted and affordable.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "driver/game.h"
#include "driver/points.h"
#include "driver/turn_files.h"
#include "fuzz_support.h"
#include "position/makemove.h"
#include "position/movegen.h"

namespace {

void ReadLine(const uint8_t* data, size_t size, char line[TURN_LINE_CHARS + 1]) {
  // The engine reads through the C library's stream; an empty input is an
  // empty file.
  std::FILE* f = size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "r") : nullptr;
  if (!ReadTurnLine(f, line)) line[0] = '\0';
  if (f) std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const EvalState start = [] {
    StartUp(1);
    return Current;
  }();
  char line[TURN_LINE_CHARS + 1];
  ReadLine(data, size, line);
  FUZZ_CHECK(std::strlen(line) <= TURN_LINE_CHARS, "line longer than the engine reads");

  // The position: legal moves picked by the bytes after the first newline,
  // always a pair so that SELF is to move.
  Current = start;
  const uint8_t* nl = static_cast<const uint8_t*>(std::memchr(data, '\n', size));
  size_t script = nl ? size - static_cast<size_t>(nl + 1 - data) : 0;
  for (size_t i = 0; i + 1 < script && i < 40; i += 2) {
    bool done = false;
    for (int side : {SELF, ENEMY}) {
      Move list[MAX_MOVES];
      int n = GenerateMoves(Current.pos, side, list);
      if (n == 0) {
        done = true;
        break;
      }
      MakeMove(Current.pos, side, list[nl[1 + i + (side == ENEMY)] % n]);
    }
    if (done) break;
  }
  BeginGame(Current, SELF);
  LegalCount = GenerateMoves(Current.pos, SELF, LegalMoves);

  MoveLine m = ScanMoveLine(line);
  FUZZ_CHECK(m.numbers >= 0 && m.numbers <= 2, "field count");
  FUZZ_CHECK(m.origin >= 0 && m.origin <= 255 && m.dest >= 0 && m.dest <= 255,
             "field out of range");
  if (m.numbers == 2) {
    Move move;
    if (DecodeHumanMove(m, move)) {
      bool listed = false;
      for (int i = 0; i < LegalCount; ++i)
        listed = listed || std::memcmp(&LegalMoves[i], &move, sizeof move) == 0;
      FUZZ_CHECK(listed, "a decoded move is not in the legal move list");
      FUZZ_CHECK(move.to == m.dest && (IsDrop(move) ? m.origin < 8 : move.from == m.origin),
                 "the decoded move is not the one the line names");
      const char* report = HumanPickUp(move.piece, move.to);
      FUZZ_CHECK(std::strlen(report) == 3, "point report");
    }
  }

  // The same text as a purchase line, and the engine's own payment search
  // with point counts taken from the input.
  (void)CheckPurchase(line);
  int held[POINT_KINDS] = {0, 0, 0};
  for (int i = 0; i < POINT_KINDS && i < static_cast<int>(size); ++i) held[i] = data[i] % 32;
  for (int kind = 0; kind <= 9; ++kind) {
    int pay[POINT_KINDS] = {-1, -1, -1};
    if (!FindPayment(kind, held, pay)) continue;
    char text[32];
    std::snprintf(text, sizeof text, "%d%d%d%d", kind, pay[0], pay[1], pay[2]);
    FUZZ_CHECK(CheckPurchase(text), std::string("a found payment is refused: ") + text);
    for (int i = 0; i < POINT_KINDS; ++i)
      FUZZ_CHECK(pay[i] >= 0 && pay[i] <= held[i],
                 std::string("payment beyond the points held: ") + text);
  }
  return 0;
}
