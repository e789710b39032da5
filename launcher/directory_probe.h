// Folder existence, probed by trying to create the folder. The folder
// lister and the folder helpers both stand on these, so they live apart
// from either.
#pragma once

#include <string>

// True when the folder (or any entry of that name) exists.
bool DirectoryExists(const std::string& path);
// True when the folder cannot be created, for whatever reason.
bool DirectoryProbe(const std::string& path);
