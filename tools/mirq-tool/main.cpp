// mirq-tool: the engine's command-line window for developers and tests.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "position/keys.h"
#include "tool.h"

namespace {

struct Entry {
  const char* usage;
  ToolCommand fn;
};

std::map<std::string, Entry>& Registry() {
  static std::map<std::string, Entry> registry;
  return registry;
}

void Usage() {
  std::fprintf(stderr, "usage: mirq-tool COMMAND POSITION [ARGS]\n");
  std::fprintf(stderr, "  POSITION := startpos [moves M1 M2 ...]\n");
  std::fprintf(stderr, "            | sfen BOARD SIDE HANDS MOVENUMBER [moves M1 M2 ...]\n");
  std::fprintf(stderr, "commands:\n");
  for (const auto& kv : Registry()) std::fprintf(stderr, "  %s\n", kv.second.usage);
}

}  // namespace

bool RegisterCommand(const char* name, const char* usage, ToolCommand fn) {
  Registry()[name] = Entry{usage, fn};
  return true;
}

int ToolError(const std::string& message) {
  std::fprintf(stderr, "mirq-tool: %s\n", message.c_str());
  return 2;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    Usage();
    return 2;
  }
  std::string name = argv[1];
  if (name == "help" || name == "--help" || name == "-h") {
    Usage();
    return 0;
  }
  auto it = Registry().find(name);
  if (it == Registry().end()) return ToolError("unknown command '" + name + "'");
  InitHashKeys();
  std::vector<std::string> args(argv + 2, argv + argc);
  return it->second.fn(args);
}
