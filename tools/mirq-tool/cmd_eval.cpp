// Evaluation commands: the evaluation sums and score, exchange values, the
// best capture threat and the move ordering of one position.
#include <cstdio>
#include <string>
#include <vector>

#include "eval/exchange.h"
#include "eval/ordering.h"
#include "position/movegen.h"
#include "position/usi.h"
#include "tool.h"
#include "tool_args.h"

namespace {

// Line 1: the eight sums in record order; line 2: the score (SELF's view).
int CmdEval(const std::vector<std::string>& args) {
  PositionText tp;
  EvalState e;
  size_t next;
  std::string why;
  if (!ReadPosition(args, 0, "eval POSITION", tp, e, next, why)) return ToolError(why);
  std::printf("%d %d %d %d %d %d %d %d\n", e.PhaseEnemy, e.PhaseSelf, e.TableSelf, e.TableEnemy,
              e.KingAttackSelf, e.KingAttackEnemy, e.KingDefenceSelf, e.KingDefenceEnemy);
  std::printf("%d\n", Evaluate(e));
  return 0;
}

int CmdSee(const std::vector<std::string>& args) {
  PositionText tp;
  EvalState e;
  size_t next;
  std::string why;
  if (!ReadPosition(args, 1, "see POSITION SQUARE", tp, e, next, why)) return ToolError(why);
  const int sq = ParseUsiSquare(args[next]);
  if (sq == 0) return ToolError("bad square '" + args[next] + "' (expected like 5e)");
  std::printf("%d\n", ExchangeValue(e.pos, sq));
  return 0;
}

int CmdThreat(const std::vector<std::string>& args) {
  PositionText tp;
  EvalState e;
  size_t next;
  std::string why;
  if (!ReadPosition(args, 0, "threat POSITION", tp, e, next, why)) return ToolError(why);
  std::printf("%d\n", BestCaptureThreat(e.pos, tp.side));
  return 0;
}

// The legal moves as ordered for the side to move, "USI SCORE" per line.
int CmdOrder(const std::vector<std::string>& args) {
  PositionText tp;
  EvalState e;
  size_t next;
  std::string why;
  if (!ReadPosition(args, 0, "order POSITION", tp, e, next, why)) return ToolError(why);
  MoveList list;
  const int n = GenerateMoves(e.pos, tp.side, list);
  OrderMoves(e, tp.side, list, n);
  for (int i = 0; i < n; ++i) std::printf("%s %d\n", FormatUsiMove(list[i]).c_str(), list[i].score);
  return 0;
}

const bool registered =
    RegisterCommand("eval", "eval POSITION           the eight evaluation sums, then the score",
                    CmdEval) &&
    RegisterCommand("see", "see POSITION SQUARE     exchange value on SQUARE (like 5e)", CmdSee) &&
    RegisterCommand("threat", "threat POSITION         best capture threat of the side to move",
                    CmdThreat) &&
    RegisterCommand("order", "order POSITION          ordered legal moves: MOVE SCORE", CmdOrder);

}  // namespace
