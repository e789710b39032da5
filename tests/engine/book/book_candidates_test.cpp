// Book candidates over chains of in-memory nodes: when the next node is
// consulted, and which proposals count as the same move.
#include <gtest/gtest.h>

#include <vector>

#include "book_fixture.h"
#include "position/usi.h"

namespace {

// Records held in memory for one node.
struct Node {
  explicit Node(const std::vector<std::vector<Entry>>& lines) {
    for (const auto& line : lines) {
      auto record = RecordBytes(line);
      bytes.insert(bytes.end(), record.begin(), record.end());
    }
    node.records = reinterpret_cast<uint8_t(*)[BOOK_RECORD_BYTES]>(bytes.data());
    node.count = static_cast<int>(lines.size());
    node.next = nullptr;
  }
  std::vector<uint8_t> bytes;
  OpeningBook node;
};

class BookCandidatesTest : public BookReplayTest {};

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
  const std::vector<Entry> walk = {Step(0x58, 0x57), E84,
                                   Step(0x57, 0x56), E34,
                                   Step(0x56, 0x55), Step(0x83, 0x84),
                                   Step(0x55, 0x54), Step(0x33, 0x34)};
  auto with = [&](const Entry& last) {
    std::vector<Entry> line;
    line.reserve(walk.size() + 1);
    line.insert(line.end(), walk.begin(), walk.end());
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
