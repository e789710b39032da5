// The opening book: recorded game lines replayed from the start position.
#pragma once

#include "position/types.h"

constexpr int BOOK_RECORD_BYTES = 512;  // 256 two-byte entries
constexpr int BOOK_RECORD_ENTRIES = 256;

// One node per book file, chained by next.
struct OpeningBook {
  uint8_t (*records)[BOOK_RECORD_BYTES];
  int count;
  OpeningBook* next;
};

// The engine's book (loaded once from "public.bin" by the engine program)
// and the position its lines start from.
extern OpeningBook Book;
extern Position BookStartPosition;

// Loads a comma-separated list of files into node (and chained nodes).
// A missing or unreadable file gives an empty node.
void LoadBook(OpeningBook* node, const char* names);
// Frees the records of node and every node chained behind it, leaving node
// empty. The engine never calls it: its book lives for the whole run.
void ReleaseBook(OpeningBook* node);
// Candidates proposed for position p at ply n; returns their number.
int LookupBook(const OpeningBook* node, const Position& start, int firstSide, const Position& p,
               int n, Move* candidates, int32_t* counts);
// Decodes entry bytes (destination, origin) for side against board.
Move DecodeBookEntry(uint8_t dest, uint8_t origin, int side, const Position& board);
