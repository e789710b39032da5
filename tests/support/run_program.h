// Running a program of the build to its end and capturing what it prints,
// under a time limit, so a hanging program fails the test instead of
// stopping the run.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ProgramRun {
  int status = -1;     // exit status; -1 if it did not start or did not end in time
  std::string output;  // standard output
  std::string errors;  // standard error, and why the run failed
};

// Runs exe with args, input as its standard input.
ProgramRun RunProgram(const std::filesystem::path& exe, const std::vector<std::string>& args,
                      const std::string& input = "", int seconds = 120);

// Runs a POSIX shell command line; its standard error joins the output.
ProgramRun RunShell(const std::string& command, int seconds);

// s as one word of a POSIX shell command line.
std::string Quoted(const std::string& s);

// The build's bin folder, from the environment CTest sets; empty outside.
std::filesystem::path BuildBin();

// Runs the build's mirq-tool. On Windows its text-mode line ends are
// turned into "\n", as the tests compare lines.
ProgramRun RunTool(const std::vector<std::string>& args, const std::string& input = "");
// The same with the arguments given as one line, separated by blanks (so
// none may hold one).
ProgramRun RunToolLine(const std::string& line);

// Splits text into lines without their newlines.
std::vector<std::string> Lines(const std::string& text);
