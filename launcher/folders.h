// Path and folder helpers. A folder's existence is probed by trying to
// create it; nothing here raises or shows anything.
#pragma once

#include <string>

#include "directory_probe.h"

bool FileExists(const std::string& path);
bool MakeDirectories(const std::string& path);
std::string GetTempDirectory();
std::string GetModuleDirectory();

// The suffix of the temporary name beside a file being copied.
const char kPartSuffix[] = ".mirq-part";

// Copies from over to so that to is at every instant either the whole old
// or the whole new file: the copy goes to to + kPartSuffix, is flushed to
// the disk and then renamed over to. On failure to is as it was.
bool CopyFileSafely(const std::string& from, const std::string& to);

enum CopyRule {
  kCopyAll,    // every plain file
  kCopyNewer,  // only files absent from the destination or newer than its copy
};

// Copies the plain files of source (not its subfolders) into destination
// with CopyFileSafely; false when any file could not be copied whole. A
// missing source has nothing to copy.
bool CopyFolderFiles(const std::string& source, const std::string& destination,
                     CopyRule rule = kCopyAll);
bool DeleteFolderTree(const std::string& folder);
