// Runs mirq-tool from the build's bin folder and captures what it prints.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
  int status;        // exit status, or -1 if the tool did not exit normally
  std::string out;   // standard output
  std::string err;   // standard error
};

ToolRun RunTool(const std::vector<std::string>& args);

// Splits text into lines without their newlines.
std::vector<std::string> Lines(const std::string& text);
