// The six turn files shared with the engine in the tree's "save_data"
// folder (driver/protocol.h): their contents as shipped, and whole-file
// reads and writes.
#pragma once

#include <string>

#include "driver/protocol.h"

// The protocol's file names as the game program spells them.
namespace turn {
constexpr const char* kSetup = SETUP_NAME;       // request / answer
constexpr const char* kSetTe = SET_TE_NAME;      // the player's move
constexpr const char* kSetKoma = SET_KOMA_NAME;  // a purchase to check
constexpr const char* kPoints = POINTS_NAME;     // point picked up by the player's move
constexpr const char* kEnemyTe = ENEMY_TE_NAME;  // the engine's move
constexpr const char* kEnemy = ENEMY_NAME;       // engine status and result
}  // namespace turn

class TurnFiles {
 public:
  explicit TurnFiles(std::string folder) : folder_(std::move(folder)) {}

  const std::string& Folder() const { return folder_; }
  std::string PathOf(const char* name) const;

  // Creates the folder if needed and writes the six files as the game
  // ships them, so that none of them holds a request.
  bool WriteInitial(std::string& why) const;

  // Replaces the file's content with text. The engine may hold the file
  // open for a moment, so a failed creation is retried briefly.
  bool Write(const char* name, const std::string& text) const;

  // The first line of the file, at most 79 characters. False when the file
  // is missing or unreadable; an empty file gives true and "".
  bool Read(const char* name, std::string& text) const;

  // First character of the file, or 0 when it is missing or empty.
  char FirstChar(const char* name) const;

 private:
  std::string folder_;
};
