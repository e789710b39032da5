// Playing levels: how far the root search and its mate search look.
// Normal is the engine's own fixed depth; easy looks less far, strong
// further.
#pragma once

// The normal level's depths: the engine as it always played.
constexpr int ROOT_DEPTH = 4;            // SelectMove deepens to this limit
constexpr int MATE_DEPTH_IN_SEARCH = 7;  // mate search depth at plies 0 and 1

struct SearchLevel {
  const char* name;
  int rootDepth;  // SelectMove deepens to this limit
  int mateDepth;  // mate search depth at plies 0 and 1
};

constexpr int LEVEL_COUNT = 3;
extern const SearchLevel Levels[LEVEL_COUNT];  // easy, normal, strong, in that order

// The level being played: normal until another is chosen.
extern const SearchLevel* Level;

// Chooses the level called name; false, and the level unchanged, for a
// name that is none of them.
bool ChooseLevel(const char* name);
