// CFileFinder: lists the entries of a folder, optionally of its whole tree,
// whose names match a wildcard pattern.
#pragma once

#include <string>
#include <vector>

enum ListFilter {
  kListAll = 0,
  kListFiles = 1,
  kListFolders = 2,
};

// List results.
const int kListForbiddenPattern = -1;
const int kListNoFolder = -2;
const int kListCannotOpen = -3;

class CFileFinder {
 public:
  virtual ~CFileFinder() = default;

  bool SetDirectory(const std::string& folder);
  const std::string& GetDirectory() const { return m_folder; }

  // Appends the full paths of the matching entries to result; returns how
  // many were appended, or one of the negative List results.
  int List(std::vector<std::string>& result, const std::string& pattern, int filter,
           bool recursive);

 private:
  int Enumerate(std::vector<std::string>& result, const std::string& folder,
                const std::string& pattern, int filter, bool recursive);

  std::string m_folder;
};

// "*" stands for any run of bytes, "?" for one byte; everything else is
// compared byte for byte, case-sensitively, and the whole name must match.
bool WildcardMatch(const std::string& pattern, const std::string& name);
