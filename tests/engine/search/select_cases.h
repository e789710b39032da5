// The select regression suite: positions written as the analysis tool takes
// them, with the move and ordering score the root search returns. Read by
// the search tests and by the select benchmark.
//
// File format, one case a line ('#' starts a comment line):
//   NAME | POSITION | MOVE SCORE | NODES MATE_NODES
// POSITION is "startpos [moves ...]" or "sfen BOARD SIDE HANDS N [moves ...]";
// MOVE is a USI move or "none"; NODES and MATE_NODES count the calls of the
// main search and of the mate search, so a change of ordering or pruning
// shows even when it picks the same move.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "position/usi.h"

struct SelectCase {
  int line;
  std::string name;
  std::string position;
  std::string move;    // expected
  int score;           // expected
  uint64_t nodes;      // expected SearchNodes of the call
  uint64_t mateNodes;  // expected MateNodes of the call
};

inline std::string TrimCase(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  size_t e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

inline bool LoadSelectCases(const std::string& path, std::vector<SelectCase>& out,
                            std::string& why) {
  std::ifstream in(path);
  if (!in) {
    why = "cannot open " + path;
    return false;
  }
  std::string text;
  for (int line = 1; std::getline(in, text); ++line) {
    text = TrimCase(text);
    if (text.empty() || text[0] == '#') continue;
    size_t a = text.find('|');
    size_t b = a == std::string::npos ? a : text.find('|', a + 1);
    size_t d = b == std::string::npos ? b : text.find('|', b + 1);
    if (d == std::string::npos) {
      why = path + ":" + std::to_string(line) +
            ": expected NAME | POSITION | MOVE SCORE | NODES MATE_NODES";
      return false;
    }
    SelectCase c;
    c.line = line;
    c.name = TrimCase(text.substr(0, a));
    c.position = TrimCase(text.substr(a + 1, b - a - 1));
    std::istringstream result(text.substr(b + 1, d - b - 1));
    std::string rest;
    if (!(result >> c.move >> c.score) || result >> rest) {
      why = path + ":" + std::to_string(line) + ": expected MOVE SCORE after the second '|'";
      return false;
    }
    std::istringstream counts(text.substr(d + 1));
    if (!(counts >> c.nodes >> c.mateNodes) || counts >> rest) {
      why = path + ":" + std::to_string(line) + ": expected NODES MATE_NODES after the third '|'";
      return false;
    }
    out.push_back(c);
  }
  return true;
}

// Sets up the position with evaluation: the position text read, its moves
// made with evaluation, castle tables chosen for the final position.
inline bool ReplayCasePosition(const std::string& position, EvalState& e, int& side,
                               std::string& why) {
  PositionText text;
  if (!ParsePositionText(position, text, why)) return false;
  ReplayWithEval(e, text.start, text.startSide, text.moves.data(), text.moves.size());
  side = text.side;
  return true;
}

// "NODES MATE_NODES" as the file records them.
inline std::string DescribeNodes(uint64_t nodes, uint64_t mateNodes) {
  return std::to_string(nodes) + " " + std::to_string(mateNodes);
}

// "MOVE SCORE" as the analysis tool prints it.
inline std::string DescribeSelected(const Move& m) {
  if (IsEmptyMove(m)) return "none 0";
  return FormatUsiMove(m) + " " + std::to_string(m.score);
}
