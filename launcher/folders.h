// Path and folder helpers. A folder's existence is probed by trying to
// create it; nothing here raises or shows anything.
#pragma once

#include <string>

bool FileExists(const std::string& path);
// True when the folder (or any entry of that name) exists.
bool DirectoryExists(const std::string& path);
// True when the folder cannot be created, for whatever reason.
bool DirectoryProbe(const std::string& path);
bool MakeDirectories(const std::string& path);
std::string GetTempDirectory();
std::string GetModuleDirectory();
bool CopyFolderFiles(const std::string& source, const std::string& destination);
bool DeleteFolderTree(const std::string& folder);
