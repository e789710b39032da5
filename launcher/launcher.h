// The launcher's main flow: unpack or reuse the working tree, carry the
// saved data in, run the game program, carry the saved data back, empty
// the tree.
#pragma once

#include <string>

// Message texts and captions, Shift-JIS (code page 932) bytes.
extern const char kUnpackFailedText[];
extern const char kUnpackFailedCaption[];
extern const char kGameMissingText[];
extern const char kGameMissingCaption[];
// Shown with the unpack failure's caption; the run ends with the box's value.
extern const char kAlreadyRunningText[];
extern const char kSavesInFailedText[];
extern const char kSavesBackFailedText[];

bool IsExtracted(const std::string& folder);
// 1 when the game program was started and has ended, 0 otherwise.
int LaunchGame(const std::string& folder);
int ShowError(const char* text);

// One whole run; returns the exit code.
int RunMirqgate();
