// Mirqmind: plays one game against the game program through the turn files.
#include <ctime>

#include "book/book.h"
#include "driver/game.h"
#include "driver/parent.h"

namespace {

// The book is read before the entry runs, as part of static initialisation
// of the program (and only of the program: other users of the libraries
// load books of their own).
const bool bookLoaded = (LoadBook(&Book, "public.bin"), true);

}  // namespace

int main() {
  (void)bookLoaded;
  WatchParent();
  StartUp(static_cast<unsigned>(std::time(nullptr)));
  return PlayGame(SelectMove);
}
