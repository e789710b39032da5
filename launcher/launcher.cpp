#include "launcher.h"

#include <cstring>
#include <vector>

#include "file_finder.h"
#include "folders.h"
#include "package.h"
#include "package_format.h"
#include "platform/win32.h"
#include "tree_identity.h"
#include "tree_lock.h"

// "データの展開に失敗しました"
const char kUnpackFailedText[] =
    "\x83\x66\x81\x5B\x83\x5E\x82\xCC\x93\x57\x8A\x4A\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82"
    "\xB5\x82\xBD";
const char kUnpackFailedCaption[] = "Mirqgate";
// "展開されたデータに Mirq が見つかりませんでした。"
const char kGameMissingText[] =
    "\x93\x57\x8A\x4A\x82\xB3\x82\xEA\x82\xBD\x83\x66\x81\x5B\x83\x5E\x82\xC9"
    " Mirq "
    "\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81"
    "\x42";
const char kGameMissingCaption[] = "Mirq";
// "Mirq は既に起動しています"
const char kAlreadyRunningText[] =
    "Mirq \x82\xCD\x8A\xF9\x82\xC9\x8B\x4E\x93\xAE\x82\xB5\x82\xC4\x82\xA2\x82\xDC\x82\xB7";
// "セーブデータの読み込みに失敗しました。セーブデータは変更されていません。"
const char kSavesInFailedText[] =
    "\x83\x5A\x81\x5B\x83\x75\x83\x66\x81\x5B\x83\x5E\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82"
    "\xC9"
    "\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42"
    "\x83\x5A\x81\x5B\x83\x75\x83\x66\x81\x5B\x83\x5E\x82\xCD\x95\xCF\x8D\x58\x82\xB3\x82\xEA\x82"
    "\xC4"
    "\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x42";
// "セーブデータの保存に失敗しました。次回の起動時にもう一度保存します。"
const char kSavesBackFailedText[] =
    "\x83\x5A\x81\x5B\x83\x75\x83\x66\x81\x5B\x83\x5E\x82\xCC\x95\xDB\x91\xB6\x82\xC9"
    "\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42"
    "\x8E\x9F\x89\xF1\x82\xCC\x8B\x4E\x93\xAE\x8E\x9E\x82\xC9\x82\xE0\x82\xA4\x88\xEA\x93\x78"
    "\x95\xDB\x91\xB6\x82\xB5\x82\xDC\x82\xB7\x81\x42";

namespace {

const char kGameName[] = "Mirq.exe";
// The game program as the package stores it. Windows matches names without
// regard to case, so this is the same file as "\mirq.exe" there, and on a
// case-sensitive file system it is the one program the package holds.
const char kGameSuffix[] = "\\Mirq.exe";

}  // namespace

bool IsExtracted(const std::string& folder) {
  CFileFinder finder;
  std::vector<std::string> found;
  if (!finder.SetDirectory(folder)) return false;
  // Only entries found count: a listing that failed (a negative result)
  // does not make a tree complete.
  if (finder.List(found, kGameName, kListFiles, false) <= 0) return false;
  return finder.List(found, kStartMarkerName, kListFiles, false) > 0;
}

int ShowError(const char* text) {
  MessageBoxA(nullptr, text, kGameMissingCaption, MB_OK | MB_ICONERROR);
  return 0;
}

int LaunchGame(const std::string& folder) {
  std::string gamePath = folder + kGameSuffix;
  if (!FileExists(gamePath)) {
    ShowError(kGameMissingText);
    return 0;
  }
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof(startup));
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process;
  std::memset(&process, 0, sizeof(process));
  // The path is quoted, so that a temporary folder with blanks in its name
  // cannot start some other program named by the path's first word.
  std::string line = "\"" + gamePath + "\"";
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return 0;  // nothing started, nothing to wait for
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 1;
}

namespace {

// Ends a run that cannot go on with the launcher's own box; the exit code
// is the box's value, as after a failed unpacking.
int Refuse(const char* text) {
  return MessageBoxA(nullptr, text, kUnpackFailedCaption, MB_OK);
}

std::string OwnPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

// The marker and the package record go first, so that a tree cut off
// while it is emptied never counts as complete. With keepSaves the save
// folder stays for the next start to carry back.
void EmptyTree(const std::string& extractDir, const std::string& extractSave, bool keepSaves) {
  DeleteFileA((extractDir + "\\" + kStartMarkerName).c_str());
  DeleteTreeIdentity(extractDir);
  if (!keepSaves) {
    DeleteFolderTree(extractDir);
    return;
  }
  CFileFinder finder;
  std::vector<std::string> files, folders;
  if (!finder.SetDirectory(extractDir)) return;
  finder.List(files, "*", kListFiles, false);
  finder.List(folders, "*", kListFolders, false);
  for (const std::string& file : files) DeleteFileA(file.c_str());
  for (const std::string& folder : folders) {
    if (folder == extractSave) continue;
    DeleteFolderTree(folder);
    RemoveDirectoryA(folder.c_str());
  }
}

}  // namespace

int RunMirqgate() {
  // Without a temporary folder of the user's own nothing is unpacked or run.
  std::string temp = GetTempDirectory();
  if (temp.empty()) return Refuse(kUnpackFailedText);
  std::string extractDir = temp + "\\MirqData";
  std::string dataDir = GetModuleDirectory() + "\\Data";
  CreateDirectoryA(extractDir.c_str(), nullptr);
  CreateDirectoryA(dataDir.c_str(), nullptr);
  CTreeLock lock;
  if (!lock.Acquire(extractDir)) return Refuse(kAlreadyRunningText);

  // Saves that a run cut off during play left in the tree are newer than
  // those beside the launcher: they go back before anything else.
  std::string dataSave = dataDir + "\\savedata";
  std::string extractSave = extractDir + "\\savedata";
  if (DirectoryExists(extractSave)) {
    CreateDirectoryA(dataSave.c_str(), nullptr);
    if (!CopyFolderFiles(extractSave, dataSave, kCopyNewer)) return Refuse(kSavesBackFailedText);
  }

  std::string identity = PackageIdentity(OwnPath());
  if (!IsExtracted(extractDir) || identity.empty() || ReadTreeIdentity(extractDir) != identity) {
    DeleteTreeIdentity(extractDir);
    if (!ExtractSelf(extractDir)) return Refuse(kUnpackFailedText);
    WriteTreeIdentity(extractDir, identity);  // if it fails, the next start unpacks again
  }

  CreateDirectoryA(dataSave.c_str(), nullptr);
  CreateDirectoryA(extractSave.c_str(), nullptr);
  if (!CopyFolderFiles(dataSave, extractSave)) {
    // The game never starts on part of its saves. Everything in the tree
    // is already beside the launcher, so the tree goes.
    EmptyTree(extractDir, extractSave, false);
    return Refuse(kSavesInFailedText);
  }
  LaunchGame(extractDir);
  bool savesBack = CopyFolderFiles(extractSave, dataSave);
  EmptyTree(extractDir, extractSave, !savesBack);
  return savesBack ? 0 : Refuse(kSavesBackFailedText);
}
