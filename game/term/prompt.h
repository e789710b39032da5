// Reading the player's lines: GNU readline (editing and history) when the
// build has it and input is a terminal, plain getline otherwise.
#pragma once

#include <string>

// False at end of input and when the program is interrupted (interrupt.h).
bool ReadPromptLine(const std::string& prompt, std::string& line);
