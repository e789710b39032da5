// The analysis tool's shared parts: the command registry and the position
// argument (startpos | sfen ... [moves ...], read by ParsePositionWords).
#pragma once

#include <string>
#include <vector>

#include "position/usi.h"

// A command gets the arguments after its name and returns the exit status.
typedef int (*ToolCommand)(const std::vector<std::string>& args);

// Each command file registers its commands from a static initialiser.
bool RegisterCommand(const char* name, const char* usage, ToolCommand fn);

// Prints "mirq-tool: MESSAGE" on standard error and returns 2.
int ToolError(const std::string& message);
