#include "prompt.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "interrupt.h"

#ifdef MIRQ_HAVE_READLINE
#include <poll.h>
#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>

namespace {

std::string* g_line = nullptr;
bool g_done = false;
bool g_eof = false;

void OnLine(char* text) {
  g_done = true;
  g_eof = text == nullptr;
  if (text) *g_line = text;
  std::free(text);
  rl_callback_handler_remove();
}

// Readline's callback form, so that an interrupt ends the wait for a line:
// the blocking form reads on through signals.
bool ReadEditedLine(const std::string& prompt, std::string& line) {
  rl_catch_signals = 0;
  g_line = &line;
  g_done = g_eof = false;
  rl_callback_handler_install(prompt.c_str(), OnLine);
  while (!g_done) {
    if (Interrupted()) {
      rl_callback_handler_remove();
      std::fputs("\n", stdout);
      return false;
    }
    pollfd in{0, POLLIN, 0};
    // A short timeout also catches a signal that came just before poll.
    if (poll(&in, 1, 200) <= 0) continue;
    if (in.revents & (POLLHUP | POLLERR | POLLNVAL))
      NoteHangUp();
    else
      rl_callback_read_char();
  }
  if (g_eof) return false;
  if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
  return true;
}

}  // namespace
#endif

bool ReadPromptLine(const std::string& prompt, std::string& line) {
  line.clear();
#ifdef MIRQ_HAVE_READLINE
  if (isatty(0) && isatty(1)) return ReadEditedLine(prompt, line);
#endif
  std::cout << prompt << std::flush;
  if (Interrupted() || !std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}
