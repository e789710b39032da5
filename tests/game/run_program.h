// Running a program of the build from a test: its output, its exit status,
// and where the build put it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

struct ProgramRun {
  int status = -1;
  std::string output;
};

// Runs a shell command line (stdout and stderr together) under a time
// limit, so a hanging program fails the test instead of stopping it.
inline ProgramRun RunShell(const std::string& command, int seconds) {
  ProgramRun run;
  std::string line = "timeout " + std::to_string(seconds) + " " + command + " 2>&1";
  std::FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) run.output.append(buf, n);
  int st = pclose(pipe);
#ifdef _WIN32
  run.status = st;  // the Windows runtime's pclose gives the exit code itself
#else
  run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
#endif
  return run;
}

inline std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The build's bin folder, from the environment CTest sets.
inline std::filesystem::path BuildBin() {
  const char* bin = std::getenv("MIRQ_BIN");
  return bin ? std::filesystem::path(bin) : std::filesystem::path();
}
