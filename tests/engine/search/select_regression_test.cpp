// The recorded moves of select on a fixed set of positions: openings,
// exchanges, bought pieces in hand and mating nets, with the nodes each
// search visits. Each position starts from empty tables, as the analysis
// tool does.
#include <cstdlib>
#include <string>
#include <vector>

#include "position/movegen.h"
#include "search/level.h"
#include "search/mate.h"
#include "search/root.h"
#include "search/search.h"
#include "search_fixture.h"
#include "select_cases.h"

namespace {

std::string CasesPath() {
  if (const char* source = std::getenv("MIRQ_SOURCE")) {
    return std::string(source) + "/tests/engine/search/select_positions.txt";
  }
  return MIRQ_SELECT_CASES;
}

using SelectRegressionTest = SearchTest;

TEST_F(SelectRegressionTest, RecordedPositionsKeepTheirMoves) {
  std::vector<SelectCase> cases;
  std::string why;
  ASSERT_TRUE(LoadSelectCases(CasesPath(), cases, why)) << why;
  ASSERT_GE(cases.size(), 30u);
  static Move pv[PV_SIZE * PV_SIZE];
  for (const SelectCase& c : cases) {
    ClearTranspositionTable();
    ClearMateTable();
    EvalState e;
    int side = SELF;
    ASSERT_TRUE(ReplayCasePosition(c.position, e, side, why)) << c.name << ": " << why;
    const uint64_t nodes = SearchNodes, mateNodes = MateNodes;
    Move m = SelectMove(pv, side, e);
    EXPECT_EQ(DescribeSelected(m), c.move + " " + std::to_string(c.score))
        << c.name << " (line " << c.line << "): " << FormatSfen(e.pos, side);
    EXPECT_EQ(DescribeNodes(SearchNodes - nodes, MateNodes - mateNodes),
              DescribeNodes(c.nodes, c.mateNodes))
        << c.name << " (line " << c.line << "): nodes of the main and the mate search";
  }
}

// Easy and strong search the recorded positions less and more deeply than
// normal (so their node counts differ) and still return a legal move.
TEST_F(SelectRegressionTest, LevelsSearchOtherDepthsAndReturnLegalMoves) {
  std::vector<SelectCase> cases;
  std::string why;
  ASSERT_TRUE(LoadSelectCases(CasesPath(), cases, why)) << why;
  static Move pv[PV_SIZE * PV_SIZE];
  for (const char* name : {"easy", "strong"}) {
    ASSERT_TRUE(ChooseLevel(name));
    for (size_t i = 0; i < cases.size(); i += 8) {
      const SelectCase& c = cases[i];
      ClearTranspositionTable();
      ClearMateTable();
      EvalState e;
      int side = SELF;
      ASSERT_TRUE(ReplayCasePosition(c.position, e, side, why)) << c.name << ": " << why;
      const uint64_t nodes = SearchNodes;
      Move m = SelectMove(pv, side, e);
      const uint64_t searched = SearchNodes - nodes;
      if (std::string(name) == "easy")
        EXPECT_LT(searched, c.nodes) << name << " " << c.name;
      else
        EXPECT_GT(searched, c.nodes) << name << " " << c.name;
      MoveList legal;
      const int n = GenerateMoves(e.pos, side, legal);
      bool listed = false;
      for (int k = 0; k < n; ++k)
        listed = listed || (legal[k].from == m.from && legal[k].to == m.to &&
                            legal[k].piece == m.piece && !legal[k].promote);
      EXPECT_TRUE(listed) << name << " " << c.name << ": " << FormatUsiMove(m);
    }
  }
  ASSERT_TRUE(ChooseLevel("normal"));
  EXPECT_FALSE(ChooseLevel("hard")) << "an unknown name is refused";
  EXPECT_STREQ(Level->name, "normal") << "and leaves the level as it was";
}

}  // namespace
