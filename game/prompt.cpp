#include "prompt.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#ifdef MIRQ_HAVE_READLINE
#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>
#endif

bool ReadPromptLine(const std::string& prompt, std::string& line) {
#ifdef MIRQ_HAVE_READLINE
  if (isatty(0) && isatty(1)) {
    char* text = readline(prompt.c_str());
    if (!text) return false;
    line = text;
    std::free(text);
    if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
    return true;
  }
#endif
  std::cout << prompt << std::flush;
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}
