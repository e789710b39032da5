// The levels' settings. Normal must stay the fixed depth of the root search
// and of the mate search, so that its every move stays as it was.
#include "search/level.h"

#include <cstring>

// Strong's depth is the deepest whose worst engine turn in the speed
// benchmark's whole games stays well below a second.
const SearchLevel Levels[LEVEL_COUNT] = {
    {"easy", 2, 3},
    {"normal", ROOT_DEPTH, MATE_DEPTH_IN_SEARCH},
    {"strong", 5, MATE_DEPTH_IN_SEARCH},
};

const SearchLevel* Level = &Levels[1];

bool ChooseLevel(const char* name) {
  for (const SearchLevel& l : Levels) {
    if (std::strcmp(l.name, name) == 0) {
      Level = &l;
      return true;
    }
  }
  return false;
}
