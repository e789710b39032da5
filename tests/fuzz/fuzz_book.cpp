// The book loader and lookup on any bytes: the input is a book file, loaded
// as a chain of three files (the input, a missing file, the input again).
// Lookups follow the engine's book answers from the start position for a
// number of plies and then ask at plies the lines cannot reach; every
// candidate must name squares of the board, the candidates' counts can
// never exceed the records, and every answer the engine would play must
// be a legal move.
#include <cstdint>

#include "book/book.h"
#include "fuzz_support.h"
#include "position/keys.h"
#include "position/makemove.h"
#include "position/pieces.h"
#include "position/position.h"
#include "search/root.h"

namespace fs = std::filesystem;

namespace {

Move candidates[MAX_MOVES];
int32_t counts[MAX_MOVES];

int CheckedLookup(const OpeningBook& book, int records, const Position& p, int n) {
  int found = LookupBook(&book, BookStartPosition, SELF, p, n, candidates, counts);
  FUZZ_CHECK(found >= 0 && found <= MAX_MOVES, "candidate count " + std::to_string(found));
  long total = 0;
  for (int i = 0; i < found; ++i) {
    const Move& m = candidates[i];
    FUZZ_CHECK(counts[i] >= 1, "a candidate without a line");
    FUZZ_CHECK(IsSquare(m.to), "a candidate's destination is no square");
    FUZZ_CHECK(IsDrop(m) ? (KindOf(m.piece) >= FU && KindOf(m.piece) <= HI) : IsSquare(m.from),
               "a candidate's origin is neither a drop nor a square");
    total += counts[i];
  }
  FUZZ_CHECK(total <= records, "more proposals than records");
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    InitHashKeys();
    SetUpStartPosition(BookStartPosition);
    return true;
  }();
  (void)ready;
  const fs::path& root = fuzz::ScratchRoot();
  fs::path file = root / "book.bin";
  fuzz::WriteFile(file, data, size);
  std::string names = file.string() + "," + (root / "missing.bin").string() + "," + file.string();

  OpeningBook book = {nullptr, 0, nullptr};
  LoadBook(&book, names.c_str());
  int records = static_cast<int>((size + BOOK_RECORD_BYTES - 1) / BOOK_RECORD_BYTES);
  FUZZ_CHECK(book.count == records,
             "records " + std::to_string(book.count) + " for " + std::to_string(size) + " bytes");
  FUZZ_CHECK(book.next && book.next->count == 0 && book.next->next &&
                 book.next->next->count == records && !book.next->next->next,
             "the chain does not follow the names");

  // Follow the engine's own book answers while there are any: each must
  // be a legal move of the side whose piece it moves.
  Book = book;
  Position p = BookStartPosition;
  for (int n = 0; n < 24; ++n) {
    CheckedLookup(book, records, p, n);
    Move m;
    if (AskBook(p, &m) == 0) break;
    int side = m.piece & (SELF | ENEMY);
    Move plain = m;
    plain.promote = 0;
    FUZZ_CHECK(side == (n % 2 == 0 ? SELF : ENEMY), "the book answers for the side not to move");
    FUZZ_CHECK(IsLegal(p, side, plain), "the book's answer is no legal move");
    FUZZ_CHECK(!m.promote || MayPromote(side, m),
               "the book's answer promotes a piece that cannot promote");
    MakeMove(p, side, m);
    for (int code = SFU; code <= EHI; ++code)
      FUZZ_CHECK(p.Motigoma[code] >= 0, "a hand count below zero");
  }
  Book = OpeningBook{nullptr, 0, nullptr};
  // Plies the records cannot reach, and the last plies a game has.
  for (int n :
       {BOOK_RECORD_ENTRIES - 1, BOOK_RECORD_ENTRIES, BOOK_RECORD_ENTRIES + 1, GAME_PLY_LIMIT - 1})
    CheckedLookup(book, records, BookStartPosition, n);
  FUZZ_CHECK(LookupBook(&book, BookStartPosition, SELF, p, GAME_PLY_LIMIT, candidates, counts) == 0,
             "a lookup beyond the game's plies");
  FUZZ_CHECK(LookupBook(&book, BookStartPosition, SELF, p, -1, candidates, counts) == 0,
             "a lookup at ply -1");

  ReleaseBook(&book);
  FUZZ_CHECK(!book.records && book.count == 0 && !book.next, "a released book still holds records");
  return 0;
}
