// mirq-web: the game program with a board in the player's own browser.
// Started by the launcher with no arguments, like mirq-term; it serves the
// page on the loopback address, opens it, and plays games against the
// engine through the turn files until the player is done.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "game_folders.h"
#include "web_game.h"
#include "web_server.h"

namespace {

const char* const kUsage =
    "usage: mirq-web\n"
    "  Serves the board at http://127.0.0.1:PORT/ and opens it in the browser.\n"
    "  Type 'quit' here to end. MIRQ_BROWSER names the program that opens the\n"
    "  page (default xdg-open; 'none' opens nothing).\n";

// How long to keep going with no page at all, and how soon a closed page
// ends a finished game (a reloading page comes back well within it).
constexpr double kIdleSeconds = 600;
constexpr double kClosedSeconds = 3;

std::atomic<int> gSignal{0};

void OnSignal(int sig) {
  gSignal = sig;
}

void CatchSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  // A page that goes away mid-answer must not end the program.
  signal(SIGPIPE, SIG_IGN);
}

// Starts the opener detached (its child is adopted by init), so nothing of
// it is left to reap and its output does not cover ours.
void OpenBrowser(const std::string& opener, const std::string& url) {
  pid_t pid = fork();
  if (pid < 0) return;
  if (pid == 0) {
    setsid();
    if (fork() != 0) _exit(0);
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 1);
      dup2(null, 2);
    }
    execlp(opener.c_str(), opener.c_str(), url.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  waitpid(pid, nullptr, 0);
}

// Lines typed on standard input, read without blocking; false at its end.
class Console {
 public:
  bool Poll(std::string& line) {
    if (closed_) return false;
    pollfd p{0, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0) return false;
    char buf[256];
    ssize_t n = read(0, buf, sizeof buf);
    if (n <= 0) {
      closed_ = true;
      return false;
    }
    pending_.append(buf, static_cast<size_t>(n));
    size_t eol = pending_.find('\n');
    if (eol == std::string::npos) return false;
    line = pending_.substr(0, eol);
    pending_.erase(0, eol + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return true;
  }

 private:
  bool closed_ = false;
  std::string pending_;
};

double IdleSeconds() {
  // Tests shorten the wait; players never need to.
  const char* env = std::getenv("MIRQ_WEB_IDLE_SECONDS");
  if (env && *env) {
    double v = std::atof(env);
    if (v > 0) return v;
  }
  return kIdleSeconds;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    std::cerr << "mirq-web: unknown argument '" << arg << "'\n" << kUsage;
    return 2;
  }
  CatchSignals();
  GameFolders tree = FoldersAt(OwnFolder(argv[0]));
  const std::string page = tree.root + "/web";
  if (access((page + "/index.html").c_str(), R_OK) != 0) {
    std::cerr << "mirq-web: the page's files are missing in " << page
              << "; scripts/play --web builds the whole game and starts it.\n";
    return 1;
  }
  WebGame game(tree);
  WebServer server(game, page, MakeToken());
  std::string why;
  if (!server.Start(why)) {
    std::cerr << "mirq-web: " << why << "\n";
    return 1;
  }
  game.Start();

  const std::string url = server.Url();
  std::cout << "The board is at " << url << "\n" << std::flush;
  // Without a display xdg-open would start a text browser on a terminal it
  // cannot have; then the address printed is the way in.
  const char* opener = std::getenv("MIRQ_BROWSER");
  const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
  std::string open = opener && *opener ? opener : display ? "xdg-open" : "none";
  if (open != "none") OpenBrowser(open, url);
  std::cout << "If no browser opens, open that address yourself. Type 'quit' here to end.\n"
            << std::flush;

  const double idle = IdleSeconds();
  Console console;
  std::string reason;
  while (reason.empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::string line;
    if (gSignal)
      reason = "Interrupted.";
    else if (console.Poll(line) && (line == "quit" || line == "q" || line == "exit"))
      reason = "You left the game.";
    else if (game.Closed())
      reason = "You left the game.";
    else if (game.Over() && server.PageOpened() && !server.PageSeen(kClosedSeconds))
      reason = "The page was closed.";
    else if (!server.PageSeen(idle))
      reason = "No page has been open for a while.";
  }
  game.Shutdown(gSignal ? Ending::Interrupted : Ending::Quit);
  server.Stop();
  std::cout << reason << " " << game.Totals() << "\n";
  return 0;
}
