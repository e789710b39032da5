#include "folders.h"

#include <vector>

#include "file_finder.h"
#include "platform/win32.h"
#include "sjis_path.h"

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool DirectoryExists(const std::string& path) {
  if (path.empty()) return false;
  if (CreateDirectoryA(path.c_str(), nullptr)) {
    RemoveDirectoryA(path.c_str());
    return false;
  }
  return GetLastError() == ERROR_ALREADY_EXISTS;
}

bool DirectoryProbe(const std::string& path) {
  if (path.empty()) return false;
  if (!CreateDirectoryA(path.c_str(), nullptr)) return true;
  RemoveDirectoryA(path.c_str());
  return false;
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
    if (!CreateDirectoryA(work.substr(0, i).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
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

bool CopyFolderFiles(const std::string& source, const std::string& destination) {
  CFileFinder finder;
  if (!finder.SetDirectory(source)) return true;
  std::vector<std::string> files;
  finder.List(files, "*", kListFiles, false);
  for (const std::string& file : files) {
    std::string name = file.substr(FindLastSeparator(file));
    CopyFileA(file.c_str(), (destination + name).c_str(), FALSE);
  }
  return true;
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
