// Readers of the commands' arguments: a POSITION with a fixed number of
// arguments after it, and the numbers some commands take.
#pragma once

#include <string>
#include <vector>

#include "eval/eval.h"
#include "tool.h"

// Parses the POSITION and requires exactly `extra` arguments after it; next
// is the index of the first of them. usage goes into the message.
bool ReadArgs(const std::vector<std::string>& args, size_t extra, const char* usage,
              PositionText& tp, size_t& next, std::string& why);

// ReadArgs, then the position replayed with evaluation.
bool ReadPosition(const std::vector<std::string>& args, size_t extra, const char* usage,
                  PositionText& tp, EvalState& e, size_t& next, std::string& why);

// A perft depth: decimal digits, 0 to 20.
bool ReadDepth(const std::string& text, int& depth, std::string& why);

// A number from low to high (a search depth).
bool ParseCount(const std::string& text, int low, int high, int& out);
