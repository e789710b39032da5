// Which package a working tree was unpacked from: its size and a checksum
// of its bytes, kept beside the tree, so that a tree left by another
// package (an older version of the game, another game packed with this
// launcher) is unpacked again instead of run.
#pragma once

#include <string>

// "SIZE CHECKSUM" of the package appended to the launcher file at ownPath,
// or "" when its trailer or bytes cannot be read.
std::string PackageIdentity(const std::string& ownPath);

// The record of the tree at extractDir: the file extractDir + ".id".
std::string ReadTreeIdentity(const std::string& extractDir);
bool WriteTreeIdentity(const std::string& extractDir, const std::string& identity);
void DeleteTreeIdentity(const std::string& extractDir);
