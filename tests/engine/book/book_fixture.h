// Building book lines by hand, replaying them from the start position and
// loading them from files, shared by the book tests and the book tool's.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "book/book.h"
#include "book/book_codes.h"
#include "position/keys.h"
#include "position/makemove.h"
#include "position/position.h"
#include "support/files.h"
#include "support/scratch_dir.h"

// One two-byte book entry.
struct Entry {
  int dest;    // byte 0
  int origin;  // byte 1
};

// Board move between squares (0x78 style), optionally promoting.
inline Entry Step(int from, int to, bool promote = false) {
  return {BookCodeOfSquare(to) + (promote ? BOOK_OFFSET : 0), BookCodeOfSquare(from)};
}
inline Entry Drop(int kind, int to) {
  return {BookCodeOfSquare(to), BOOK_OFFSET + kind};
}

// One 512-byte record holding the line, zero after its last entry.
inline std::vector<uint8_t> RecordBytes(const std::vector<Entry>& line) {
  std::vector<uint8_t> bytes(BOOK_RECORD_BYTES, 0);
  for (size_t j = 0; j < line.size(); ++j) {
    bytes[2 * j] = static_cast<uint8_t>(line[j].dest);
    bytes[2 * j + 1] = static_cast<uint8_t>(line[j].origin);
  }
  return bytes;
}

// The book start position, replaying lines on it and looking them up.
class BookReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitHashKeys();
    SetUpStartPosition(start);
  }

  // The start position with the given moves made (first player first).
  Position Play(const std::vector<Entry>& line) {
    Position p = start;
    int side = SELF;
    for (const Entry& e : line) {
      MakeMove(p, side, DecodeBookEntry(e.dest, e.origin, side, p));
      side = Opponent(side);
    }
    return p;
  }

  int Lookup(const OpeningBook& node, const Position& p, int n) {
    return LookupBook(&node, start, SELF, p, n, cands, counts);
  }

  Position start;
  Move cands[MAX_MOVES];
  int32_t counts[MAX_MOVES];
};

// Book files in a scratch folder of the test's own, loaded as the engine
// loads them.
class BookFileTest : public BookReplayTest {
 protected:
  void TearDown() override {
    for (OpeningBook& node : loaded) ReleaseBook(&node);
  }

  // Writes the lines as records, cut to truncateTo bytes if that is not 0.
  std::string WriteFile(const std::string& name, const std::vector<std::vector<Entry>>& lines,
                        size_t truncateTo = 0) {
    std::vector<uint8_t> bytes;
    for (const auto& line : lines) {
      auto r = RecordBytes(line);
      bytes.insert(bytes.end(), r.begin(), r.end());
    }
    if (truncateTo) bytes.resize(truncateTo);
    WriteBytes(dir / name, std::string(bytes.begin(), bytes.end()));
    return (dir / name).string();
  }

  // The test's copy shares the records, which are released after the test.
  OpeningBook Load(const std::string& names) {
    OpeningBook node{nullptr, 0, nullptr};
    LoadBook(&node, names.c_str());
    loaded.push_back(node);
    return node;
  }

  ScratchDir dir;
  std::vector<OpeningBook> loaded;  // every node Load gave out
};
