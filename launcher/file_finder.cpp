#include "file_finder.h"

#include "directory_probe.h"
#include "platform/win32.h"
#include "sjis_path.h"

namespace {

const char kForbiddenPatternChars[] = "\\/:;\"<>|";

bool FilterAccepts(int filter, DWORD attributes) {
  bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (filter == kListAll) return true;
  if (filter == kListFiles) return !folder;
  if (filter == kListFolders) return folder;
  return false;
}

}  // namespace

bool CFileFinder::SetDirectory(const std::string& folder) {
  if (!DirectoryExists(folder)) return false;
  m_folder = folder;
  if (EndsWithSeparator(m_folder)) m_folder.pop_back();
  return true;
}

int CFileFinder::List(std::vector<std::string>& result, const std::string& pattern, int filter,
                      bool recursive) {
  if (pattern.find_first_of(kForbiddenPatternChars) != std::string::npos)
    return kListForbiddenPattern;
  if (!DirectoryExists(m_folder)) return kListNoFolder;
  return Enumerate(result, m_folder, pattern, filter, recursive);
}

int CFileFinder::Enumerate(std::vector<std::string>& result, const std::string& folder,
                           const std::string& pattern, int filter, bool recursive) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return kListCannotOpen;
  int count = 0;
  do {
    std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    // A link (reparse point) is listed as an entry but never walked into,
    // so a walk stays inside the tree it was given.
    bool walk = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    if (recursive && walk) {
      int nested = Enumerate(result, path, pattern, filter, recursive);
      if (nested > 0) count += nested;  // a folder that cannot be listed adds nothing
    }
    if (WildcardMatch(pattern, name) && FilterAccepts(filter, entry.dwFileAttributes)) {
      result.push_back(path);
      ++count;
    }
    // Any failure of the listing ends it, not only the end of the entries,
    // so a failing folder cannot keep the walk on one entry.
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  // The nested walk's no-more-files value must not end the enclosing walk.
  SetLastError(ERROR_SUCCESS);
  return count;
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  std::vector<std::string> tokens(1);
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c != '*' && c != '?') {
      tokens.back() += c;
    } else {
      tokens.push_back(std::string(1, c));
      if (i + 1 != pattern.size()) tokens.push_back(std::string());
    }
  }
  size_t p = 0;
  bool star = false;
  for (size_t k = 0; k < tokens.size(); ++k) {
    const std::string& t = tokens[k];
    if (t == "?") {
      ++p;
    } else if (t == "*") {
      star = true;
    } else if (star && k + 1 == tokens.size()) {
      // The last text after a star must end the name: take its last place.
      if (name.size() < t.size() || name.size() - t.size() < p) return false;
      if (name.compare(name.size() - t.size(), t.size(), t) != 0) return false;
      p = name.size();
      star = false;
    } else {
      size_t found = name.find(t, p);
      if (found == std::string::npos) return false;
      if (!star && found != p) return false;
      p = found + t.size();
      star = false;
    }
  }
  // The name must end where the pattern ends, unless a star is still open:
  // "Mirq.exe" names that file only, not "Mirq.exe.bak".
  return star || p == name.size();
}
