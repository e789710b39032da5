// Book commands: mkbook writes a book file from game lines given as USI
// moves; book lists what a chain of book files proposes for a position.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "book/book.h"
#include "book/book_codes.h"
#include "position/makemove.h"
#include "position/position.h"
#include "position/usi.h"
#include "tool.h"

namespace {

typedef std::vector<uint8_t> Record;

// Encodes one game line (moves from the start position, first player
// first) as a 512-byte record; false with a message naming the line and
// the move that was refused.
bool EncodeLine(const std::string& text, int lineNumber, Record& record, std::string& why) {
  std::istringstream in(text);
  std::vector<std::string> moves;
  for (std::string token; in >> token;) moves.push_back(token);
  if (moves.size() > static_cast<size_t>(BOOK_RECORD_ENTRIES)) {
    why = "line " + std::to_string(lineNumber) + ": " + std::to_string(moves.size()) +
          " moves, a book line holds at most " + std::to_string(BOOK_RECORD_ENTRIES);
    return false;
  }
  Position p;
  SetUpStartPosition(p);
  int side = SELF;
  record.assign(BOOK_RECORD_BYTES, 0);
  for (size_t j = 0; j < moves.size(); ++j) {
    // Hands as in a game: the first player (the human) holds one piece of
    // every kind it may have bought; the second player (the engine) holds
    // nothing, since a book move it plays is never paid for.
    for (int kind = FU; kind <= HI; ++kind) p.Motigoma[side + kind] = side == SELF ? 1 : 0;
    Move m;
    std::string reason;
    if (side == ENEMY && moves[j].find('*') != std::string::npos) {
      why = "line " + std::to_string(lineNumber) + ": move " + std::to_string(j + 1) + " '" +
            moves[j] + "': the second player drops only pieces it buys, which a book line cannot";
      return false;
    }
    if (!ParseUsiMove(p, side, moves[j], true, m, reason)) {
      why = "line " + std::to_string(lineNumber) + ": move " + std::to_string(j + 1) + " '" +
            moves[j] + "': " + reason;
      return false;
    }
    int dest = BookCodeOfSquare(m.to) + (m.promote ? BOOK_OFFSET : 0);
    int origin = IsDrop(m) ? BOOK_OFFSET + KindOf(m.piece) : BookCodeOfSquare(m.from);
    record[2 * j] = static_cast<uint8_t>(dest);
    record[2 * j + 1] = static_cast<uint8_t>(origin);
    MakeMove(p, side, m);
    side = Opponent(side);
  }
  return true;
}

bool WriteRecords(const std::string& path, const std::vector<Record>& records) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = true;
  for (const Record& r : records)
    if (std::fwrite(r.data(), 1, r.size(), f) != r.size()) ok = false;
  if (std::fclose(f) != 0) ok = false;
  return ok;
}

int MakeBook(const std::vector<std::string>& args) {
  if (args.size() != 1) return ToolError("usage: mkbook OUT.bin (game lines on standard input)");
  const std::string out = args[0];
  std::vector<Record> records;
  std::string line;
  for (int number = 1; std::getline(std::cin, line); ++number) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;  // blank line
    Record record;
    std::string why;
    if (!EncodeLine(line, number, record, why)) return ToolError(why + "; nothing written");
    records.push_back(record);
  }
  // Written beside the target and renamed only when complete, so a failed
  // run never leaves a partial book behind.
  const std::string temp = out + ".tmp";
  std::error_code ec;
  if (!WriteRecords(temp, records)) {
    std::filesystem::remove(temp, ec);
    return ToolError("cannot write '" + temp + "'");
  }
  std::filesystem::rename(temp, out, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return ToolError("cannot rename '" + temp + "' to '" + out + "'");
  }
  std::printf("%zu records\n", records.size());
  return 0;
}

// The candidates of the book files for POSITION, one "MOVE COUNT" line each
// in the order first proposed; the engine plays the first with the largest
// count among those that are legal moves. The lines start from the start position whatever POSITION
// says.
int QueryBook(const std::vector<std::string>& args) {
  if (args.size() < 2) return ToolError("usage: book FILE[,FILE...] POSITION");
  PositionText tp;
  size_t next;
  std::string why;
  if (!ParsePositionWords(args, 1, tp, next, why)) return ToolError(why);
  if (next != args.size()) return ToolError("unexpected argument '" + args[next] + "'");
  OpeningBook book = {nullptr, 0, nullptr};
  LoadBook(&book, args[0].c_str());
  Position start;
  SetUpStartPosition(start);
  static Move candidates[MAX_MOVES];
  static int32_t counts[MAX_MOVES];
  int n = LookupBook(&book, start, SELF, tp.final, tp.final.ply, candidates, counts);
  ReleaseBook(&book);
  for (int i = 0; i < n; ++i)
    std::printf("%s %d\n", FormatUsiMove(candidates[i]).c_str(), counts[i]);
  return 0;
}

const bool registered =
    RegisterCommand(
        "mkbook",
        "mkbook OUT.bin          game lines (USI moves from startpos) on stdin -> book file",
        MakeBook) &&
    RegisterCommand("book",
                    "book FILES POSITION     book candidates: MOVE COUNT (FILES comma-separated)",
                    QueryBook);

}  // namespace
