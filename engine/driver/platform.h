// The turn files' calls whose form differs between Windows and POSIX
// (platform_win32.cpp, platform_posix.cpp); the folder watch
// (folder_watch.h) and the parent check (parent.h) live there too.
#pragma once

#include <cstdio>

// Opens path for reading; null unless it is a regular file. A FIFO does
// not wait for a writer.
std::FILE* OpenRegularFile(const char* path);
// Creates or truncates path for "w+"; null unless it is a regular file.
std::FILE* CreateRegularFile(const char* path);
