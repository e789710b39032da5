#include "run_tool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string TempPath(const char* tag) {
  const char* dir = std::getenv("TMPDIR");
  std::string path = std::string(dir ? dir : "/tmp") + "/mirq-tool-test-" + tag + "-XXXXXX";
  int fd = mkstemp(&path[0]);
  if (fd >= 0) close(fd);
  return path;
}

}  // namespace

ToolRun RunTool(const std::vector<std::string>& args) {
  ToolRun run{-1, "", ""};
  const char* bin = std::getenv("MIRQ_BIN");
  if (bin == nullptr) {
    run.err = "MIRQ_BIN is not set";
    return run;
  }
  std::string tool = std::string(bin) + "/mirq-tool";
  std::string outPath = TempPath("out");
  std::string errPath = TempPath("err");
  std::vector<char*> argv;
  argv.push_back(&tool[0]);
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(&a[0]);
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_TRUNC, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_TRUNC, 0);
  pid_t pid;
  int rc = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc == 0) {
    int wstatus = 0;
    if (waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
    run.out = ReadFile(outPath);
    run.err = ReadFile(errPath);
  } else {
    run.err = "cannot start " + tool;
  }
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return run;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
