#include "folders.h"

#include <vector>

#include "file_finder.h"
#include "platform/win32.h"
#include "sjis_path.h"

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool MakeDirectories(const std::string& path) {
  if (path.empty() || EndsWithSeparator(path)) return false;
  std::string work = path + "\\";
  for (size_t i = 0; i < work.size(); ++i) {
    if (IsSjisLeadByte(static_cast<unsigned char>(work[i])) && i + 1 < work.size()) {
      ++i;  // a trail byte 0x5C is part of a character, not a separator
      continue;
    }
    if (work[i] != '\\') continue;
    if (!CreateDirectoryA(work.substr(0, i).c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  return true;
}

std::string GetTempDirectory() {
  char buffer[MAX_PATH] = {};
  DWORD length = GetTempPathA(MAX_PATH, buffer);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(buffer, length);
}

std::string GetModuleDirectory() {
  char buffer[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  std::string path = buffer;
  size_t cut = FindLastSeparator(path);
  if (cut == std::string::npos) return std::string();
  return path.substr(0, cut);
}

namespace {

bool IsPartName(const std::string& path) {
  return WildcardMatch(std::string("*") + kPartSuffix, path);
}

// The last-write time, 0 when the file is not there.
unsigned long long LastWriteTime(const std::string& path) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(path.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  FindClose(find);
  return (static_cast<unsigned long long>(entry.ftLastWriteTime.dwHighDateTime) << 32) |
         entry.ftLastWriteTime.dwLowDateTime;
}

}  // namespace

bool CopyFileSafely(const std::string& from, const std::string& to) {
  std::string part = to + kPartSuffix;
  bool copied = CopyFileA(from.c_str(), part.c_str(), FALSE) != FALSE;
  if (copied) {
    HANDLE file = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    copied = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  if (copied &&
      MoveFileExA(part.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileA(part.c_str());
  return false;
}

bool CopyFolderFiles(const std::string& source, const std::string& destination, CopyRule rule) {
  CFileFinder finder;
  if (!finder.SetDirectory(source)) return true;
  // Parts left by a copy that was cut off are no saves; the old files
  // beside them are whole.
  CFileFinder target;
  std::vector<std::string> stale;
  if (target.SetDirectory(destination))
    target.List(stale, std::string("*") + kPartSuffix, kListFiles, false);
  for (const std::string& part : stale) DeleteFileA(part.c_str());

  std::vector<std::string> files;
  finder.List(files, "*", kListFiles, false);
  bool whole = true;
  for (const std::string& file : files) {
    if (IsPartName(file)) continue;
    std::string copy = destination + file.substr(FindLastSeparator(file));
    if (rule == kCopyNewer) {
      unsigned long long theirs = LastWriteTime(copy);
      if (theirs != 0 && LastWriteTime(file) <= theirs)
        continue;  // nothing older replaces something newer
    }
    if (!CopyFileSafely(file, copy)) whole = false;
  }
  return whole;
}

namespace {

// The folder itself is a link (reparse point), or cannot be looked at.
bool IsLinkedFolder(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(folder.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace

bool DeleteFolderTree(const std::string& folder) {
  // A tree whose root is a link would be emptied wherever the link points;
  // it is left alone.
  if (IsLinkedFolder(folder)) return true;
  CFileFinder finder;
  finder.SetDirectory(folder);
  std::vector<std::string> files;
  std::vector<std::string> folders;
  finder.List(files, "*", kListFiles, true);
  finder.List(folders, "*", kListFolders, true);
  for (const std::string& file : files) DeleteFileA(file.c_str());
  for (const std::string& sub : folders) RemoveDirectoryA(sub.c_str());
  return true;
}
