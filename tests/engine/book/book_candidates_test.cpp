// Book candidates over chains of in-memory nodes: when the next node is
// consulted, and which proposals count as the same move.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "book/book.h"
#include "book/book_codes.h"
#include "position/keys.h"
#include "position/makemove.h"
#include "position/position.h"
#include "position/usi.h"

namespace {

struct Entry {
  int dest;
  int origin;
};

Entry Step(int from, int to, bool promote = false) {
  return {BookCodeOfSquare(to) + (promote ? BOOK_OFFSET : 0), BookCodeOfSquare(from)};
}

// Records held in memory for one node.
struct Node {
  explicit Node(const std::vector<std::vector<Entry>>& lines) : bytes(lines.size()) {
    for (size_t r = 0; r < lines.size(); ++r) {
      std::memset(bytes[r].b, 0, BOOK_RECORD_BYTES);
      for (size_t j = 0; j < lines[r].size(); ++j) {
        bytes[r].b[2 * j] = static_cast<uint8_t>(lines[r][j].dest);
        bytes[r].b[2 * j + 1] = static_cast<uint8_t>(lines[r][j].origin);
      }
    }
    node.records = reinterpret_cast<uint8_t(*)[BOOK_RECORD_BYTES]>(bytes.data());
    node.count = static_cast<int>(bytes.size());
    node.next = nullptr;
  }
  struct Record {
    uint8_t b[BOOK_RECORD_BYTES];
  };
  std::vector<Record> bytes;
  OpeningBook node;
};

class BookCandidatesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitHashKeys();
    static const int32_t noHand[EHI + 1] = {};
    ::SetUp(start, 0, StartDiagram, noHand);
  }
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

const Entry P76 = Step(0x78, 0x77);
const Entry P26 = Step(0x28, 0x27);
const Entry E34 = Step(0x32, 0x33);
const Entry E84 = Step(0x82, 0x83);

TEST_F(BookCandidatesTest, NextNodeAnswersWhenMatchingLinesOfTheFirstProposeNothing) {
  // Both lines of the first node reach the board after 7h7g, but one ends
  // there and the other is cut by an end mark: no candidate.
  Node first({{P76}, {P76, {0xFF, 0x32}, P26}});
  Node second({{P76, E84}, {P26, E34}});
  first.node.next = &second.node;
  ASSERT_EQ(Lookup(first.node, Play({P76}), 1), 1);
  EXPECT_EQ(cands[0].from, 0x82);
  EXPECT_EQ(cands[0].piece, EFU);
  EXPECT_EQ(counts[0], 1);

  // A single candidate in the first node keeps the second out.
  Node third({{P76, E34}});
  third.node.next = &second.node;
  ASSERT_EQ(Lookup(third.node, Play({P76}), 1), 1);
  EXPECT_EQ(cands[0].from, 0x32);
}

TEST_F(BookCandidatesTest, PromotingAndPlainProposalsOfTheSameStepAreTwoCandidates) {
  // The pawn of file 5 walks up to 5d; at ply 8 the lines take it to 5c,
  // promoting or not.
  const std::vector<Entry> walk = {Step(0x58, 0x57), E84, Step(0x57, 0x56), E34, Step(0x56, 0x55),
                                   Step(0x83, 0x84), Step(0x55, 0x54), Step(0x33, 0x34)};
  auto with = [&](const Entry& last) {
    std::vector<Entry> line = walk;
    line.push_back(last);
    return line;
  };
  Node book({with(Step(0x54, 0x53, true)), with(Step(0x54, 0x53)), with(Step(0x54, 0x53, true))});
  Position p = Play(walk);
  ASSERT_EQ(p.Ban(0x54), SFU) << FormatSfen(p, SELF);
  ASSERT_EQ(Lookup(book.node, p, 8), 2) << FormatSfen(p, SELF);
  EXPECT_EQ(cands[0].promote, 1);
  EXPECT_EQ(counts[0], 2);
  EXPECT_EQ(cands[1].promote, 0);
  EXPECT_EQ(counts[1], 1);
  EXPECT_EQ(cands[1].from, cands[0].from);
  EXPECT_EQ(cands[1].to, cands[0].to);
}

}  // namespace
