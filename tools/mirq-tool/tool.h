// The analysis tool's shared parts: the command registry and the position
// argument (startpos | sfen ... [moves ...]).
#pragma once

#include <string>
#include <vector>

#include "position/types.h"

// What a POSITION argument names: the set-up position, its side to move, and
// the moves after "moves" (already checked legal, in order, alternating
// sides). Commands replay the moves with the make-move they need.
struct ToolPosition {
  Position start;
  int startSide;
  std::vector<Move> moves;
  Position final;  // start with the moves made by plain make-move
  int side;        // side to move in final
};

// Parses args[pos..] as a POSITION; on success sets next to the index of
// the first argument after it. On failure returns false with a reason.
bool ParseToolPosition(const std::vector<std::string>& args, size_t pos, ToolPosition& out,
                       size_t& next, std::string& why);

// A command gets the arguments after its name and returns the exit status.
typedef int (*ToolCommand)(const std::vector<std::string>& args);

// Each command file registers its commands from a static initialiser.
bool RegisterCommand(const char* name, const char* usage, ToolCommand fn);

// Prints "mirq-tool: MESSAGE" on standard error and returns 2.
int ToolError(const std::string& message);
