#include "support/run_program.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/child_process.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

ProgramRun RunProgram(const fs::path& exe, const std::vector<std::string>& args,
                      const std::string& input, int seconds) {
  ProgramRun run;
  ScratchDir files("run");
  ChildStreams streams;
  streams.output = files / "out.txt";
  streams.errors = files / "err.txt";
  if (!input.empty()) {
    streams.input = files / "in.txt";
    WriteBytes(streams.input, input);
  }
  ChildProcess child;
  if (!child.Start(exe, args, streams)) {
    run.errors = "cannot start " + exe.string();
    return run;
  }
  int status = -1;
  bool ended = child.Wait(seconds * 1000, status);
  child.Stop();
  run.output = ReadBytes(streams.output);
  run.errors = ReadBytes(streams.errors);
  if (ended) {
    run.status = status;
  } else {
    run.errors += "\n" + exe.string() + " still ran after " + std::to_string(seconds) + " s";
  }
  return run;
}

ProgramRun RunShell(const std::string& command, int seconds) {
  return RunProgram("sh", {"-c", "exec 2>&1; " + command}, "", seconds);
}

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

fs::path BuildBin() {
  const char* bin = std::getenv("MIRQ_BIN");
  return bin ? fs::path(bin) : fs::path();
}

ProgramRun RunTool(const std::vector<std::string>& args, const std::string& input) {
  if (BuildBin().empty()) {
    ProgramRun run;
    run.errors = "MIRQ_BIN is not set";
    return run;
  }
  ProgramRun run = RunProgram(BuildBin() / "mirq-tool", args, input);
#ifdef _WIN32
  for (std::string* text : {&run.output, &run.errors})
    text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
#endif
  return run;
}

ProgramRun RunToolLine(const std::string& line) {
  std::vector<std::string> args;
  std::istringstream words(line);
  for (std::string word; words >> word;) args.push_back(word);
  return RunTool(args);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
