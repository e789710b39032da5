// Mirqmind: plays one game against the game program through the turn files.
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "book/book.h"
#include "driver/game.h"
#include "driver/parent.h"
#include "search/level.h"

namespace {

// The book is read before the entry runs, as part of static initialisation
// of the program (and only of the program: other users of the libraries
// load books of their own).
const bool bookLoaded = (LoadBook(&Book, "public.bin"), true);

}  // namespace

int main() {
  (void)bookLoaded;
  // The game program passes the player's level on; without one, normal.
  const char* level = std::getenv("MIRQ_ENGINE_LEVEL");
  if (level && *level && !ChooseLevel(level)) {
    std::fprintf(
        stderr, "mirqmind: MIRQ_ENGINE_LEVEL must be easy, normal or strong, not '%.40s'\n", level);
    return 2;
  }
  WatchParent();
  StartUp(static_cast<unsigned>(std::time(nullptr)));
  return PlayGame(SelectMove);
}
