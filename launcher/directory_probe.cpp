#include "directory_probe.h"

#include "platform/win32.h"

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
