#include "launcher.h"

#include <cstring>
#include <vector>

#include "file_finder.h"
#include "folders.h"
#include "package.h"
#include "platform/win32.h"

// "データの展開に失敗しました"
const char kUnpackFailedText[] =
    "\x83\x66\x81\x5B\x83\x5E\x82\xCC\x93\x57\x8A\x4A\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
const char kUnpackFailedCaption[] = "Mirqgate";
// "展開されたデータに Mirq が見つかりませんでした。"
const char kGameMissingText[] =
    "\x93\x57\x8A\x4A\x82\xB3\x82\xEA\x82\xBD\x83\x66\x81\x5B\x83\x5E\x82\xC9"
    " Mirq "
    "\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81\x42";
const char kGameMissingCaption[] = "Mirq";

namespace {

const char kGameName[] = "Mirq.exe";
const char kStartMarker[] = "start.mirq";
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
  return finder.List(found, kStartMarker, kListFiles, false) > 0;
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
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 0;  // nothing started, nothing to wait for
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 1;
}

int RunMirqgate() {
  std::string extractDir = GetTempDirectory() + "\\MirqData";
  std::string dataDir = GetModuleDirectory() + "\\Data";
  CreateDirectoryA(extractDir.c_str(), nullptr);
  CreateDirectoryA(dataDir.c_str(), nullptr);

  if (!IsExtracted(extractDir) && !ExtractSelf(extractDir))
    return MessageBoxA(nullptr, kUnpackFailedText, kUnpackFailedCaption, MB_OK);

  std::string dataSave = dataDir + "\\savedata";
  std::string extractSave = extractDir + "\\savedata";
  CreateDirectoryA(dataSave.c_str(), nullptr);
  CreateDirectoryA(extractSave.c_str(), nullptr);
  CopyFolderFiles(dataSave, extractSave);
  LaunchGame(extractDir);
  CopyFolderFiles(extractSave, dataSave);
  DeleteFolderTree(extractDir);
  return 0;
}
