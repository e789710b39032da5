// The platform layer's contract: the last-error codes, texts and path
// forms the launcher relies on, the same under Windows and the stand-in.
#include <chrono>
#include <cstring>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/win32.h"
#include "test_support.h"

namespace {

class PlatformTest : public ScratchTest {
 protected:
  std::string P(const fs::path& relative) { return LauncherPath(root_ / relative); }
};

TEST_F(PlatformTest, FailuresCarryTheWin32Codes) {
  EXPECT_EQ(
      CreateFileA(P("missing.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
      INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(
      CreateFileA(P("no/such.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
      INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  fs::create_directories(root_ / "folder");
  EXPECT_EQ(CreateFileA(P("folder").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED) << "a folder does not open as a file";
  EXPECT_FALSE(CreateDirectoryA(P("folder").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryA(P("no/parent").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(DeleteFileA(P("missing.bin").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  WriteBytes(root_ / "folder" / "f", "x");
  EXPECT_FALSE(RemoveDirectoryA(P("folder").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);

  WIN32_FIND_DATAA entry;
  EXPECT_EQ(FindFirstFileA((P("gone") + "\\*").c_str(), &entry), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  HANDLE find = FindFirstFileA((P("folder") + "\\*").c_str(), &entry);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  int seen = 1;
  while (FindNextFileA(find, &entry)) ++seen;
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_EQ(seen, 3) << ". .. and f";
  FindClose(find);
}

TEST_F(PlatformTest, SystemTextsComeWithTheirLineEnd) {
  for (DWORD code :
       {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_ALREADY_EXISTS}) {
    LPSTR text = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
        nullptr);
    ASSERT_GT(length, 2u) << "no text for error " << code;
    EXPECT_EQ(std::string(text + length - 2, 2), "\r\n") << "error " << code;
    LocalFree(text);
  }
#ifndef _WIN32
  EXPECT_EQ(PlatformMessage(ERROR_FILE_NOT_FOUND),
            "The system cannot find the file specified.\r\n");
  EXPECT_EQ(PlatformMessage(ERROR_ACCESS_DENIED), "Access is denied.\r\n");
#endif
}

TEST_F(PlatformTest, OverlappedTransfersUseTheRecordsOffset) {
  HANDLE file = CreateFileA(P("o.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  OVERLAPPED record;
  std::memset(&record, 0, sizeof(record));
  record.Offset = 4;
  DWORD done = 0;
  if (!WriteFile(file, "tail", 4, &done, &record)) {
    ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
    ASSERT_TRUE(GetOverlappedResult(file, &record, &done, TRUE));
  }
  EXPECT_EQ(done, 4u);
  LARGE_INTEGER size;
  ASSERT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(size.QuadPart, 8) << "the write lands at offset 4";
  std::memset(&record, 0, sizeof(record));
  record.Offset = 8;
  char buffer[4];
  BOOL ok = ReadFile(file, buffer, 4, &done, &record);
  if (!ok && GetLastError() == ERROR_IO_PENDING)
    ok = GetOverlappedResult(file, &record, &done, TRUE);
  EXPECT_FALSE(ok) << "a read at the end fails";
  EXPECT_EQ(GetLastError(), ERROR_HANDLE_EOF);
  CloseHandle(file);
}

TEST_F(PlatformTest, PathsComeBackWithBackslashes) {
  char buffer[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, buffer);
  EXPECT_EQ(std::string(buffer, length), LauncherPath(root_) + "\\");
  length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::string(buffer).find('/'), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(FromLauncherPath(buffer)));
}

TEST_F(PlatformTest, ProgramThatCannotStartIsReported) {
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof(startup));
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process;
  std::memset(&process, 0, sizeof(process));
  std::string line = "\"" + P("missing.exe") + "\"";
  EXPECT_FALSE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(PlatformTest, MoveReplacesOnlyWhenAsked) {
  WriteBytes(root_ / "new", "new");
  WriteBytes(root_ / "old", "old");
  EXPECT_FALSE(MoveFileExA(P("new").c_str(), P("old").c_str(), MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(ReadBytes(root_ / "old"), "old");
  ASSERT_TRUE(MoveFileExA(P("new").c_str(), P("old").c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(ReadBytes(root_ / "old"), "new");
  EXPECT_FALSE(fs::exists(root_ / "new"));
}

#ifndef _WIN32
fs::perms PermsOf(const fs::path& path) {
  return fs::symlink_status(path).permissions() & fs::perms::all;
}

TEST_F(PlatformTest, OnlyProgramsBecomeExecutableAndCopiesKeepTheirBits) {
  mode_t mask = umask(0);
  umask(mask);
  auto create = [&](const char* name, const std::string& bytes) {
    HANDLE file = CreateFileA(P(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr));
    CloseHandle(file);
    return PermsOf(root_ / name);
  };
  fs::perms plain = fs::perms(0666 & ~mask);
  fs::perms program = fs::perms((0666 & ~mask) | (0444 & ~mask) >> 2);  // executable where readable
  EXPECT_EQ(create("text", "plain text"), plain);
  const std::string elf = {0x7f, 'E', 'L', 'F', 0x02, 0x01};
  EXPECT_EQ(create("elf", elf), program);
  EXPECT_EQ(create("script", "#!/bin/sh\n"), program);
  EXPECT_EQ(create("elf", "no longer a program"), program) << "replacing keeps what the file was";

  WriteBytes(root_ / "save", "x");
  fs::permissions(root_ / "save", fs::perms(0640));
  fs::last_write_time(root_ / "save", fs::last_write_time(root_ / "save") - std::chrono::hours(5));
  ASSERT_TRUE(CopyFileA(P("save").c_str(), P("copy").c_str(), FALSE));
  EXPECT_EQ(PermsOf(root_ / "copy"), fs::perms(0640));
  EXPECT_EQ(fs::last_write_time(root_ / "copy"), fs::last_write_time(root_ / "save"));
  EXPECT_FALSE(CopyFileA(P("save").c_str(), P("copy").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
}

TEST_F(PlatformTest, FilesOpenNeitherThroughLinksNorOnPipes) {
  WriteBytes(root_ / "theirs", "theirs");
  WriteBytes(root_ / "mine", "mine");
  fs::create_symlink(root_ / "theirs", root_ / "link");
  ASSERT_EQ(mkfifo((root_ / "pipe").c_str(), 0600), 0);
  for (const char* name : {"link", "pipe"}) {
    for (DWORD access : {GENERIC_READ, GENERIC_WRITE}) {
      HANDLE file = CreateFileA(P(name).c_str(), access, 0, nullptr,
                                access == GENERIC_READ ? OPEN_EXISTING : CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      EXPECT_EQ(file, INVALID_HANDLE_VALUE) << name;
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    EXPECT_FALSE(CopyFileA(P("mine").c_str(), P(name).c_str(), FALSE)) << name;
    EXPECT_FALSE(CopyFileA(P(name).c_str(), P("copy").c_str(), FALSE)) << name;
  }
  EXPECT_EQ(ReadBytes(root_ / "theirs"), "theirs") << "nothing is written through a link";
  EXPECT_FALSE(fs::exists(root_ / "copy"));
}

TEST_F(PlatformTest, TemporaryFolderIsTheUsersOwnOrNone) {
  auto temp = [] {
    char buffer[MAX_PATH] = {};
    DWORD length = GetTempPathA(MAX_PATH, buffer);
    return std::string(buffer, length);
  };
  fs::path base = root_ / "base";
  fs::path own = base / ("mirq-" + std::to_string(geteuid()));
  fs::create_directories(base);
  fs::create_directories(root_ / "open");
  fs::permissions(root_ / "open", fs::perms::all);
  setenv("XDG_RUNTIME_DIR", (root_ / "open").c_str(), 1);  // not private: passed over
  setenv("TMPDIR", base.c_str(), 1);
  EXPECT_EQ(temp(), LauncherPath(own) + "\\");
  EXPECT_EQ(PermsOf(own), fs::perms::owner_all);
  fs::permissions(own, fs::perms::all);
  EXPECT_EQ(temp(), "") << "a folder others may write is refused";
  fs::remove(own);
  fs::create_directory_symlink(root_ / "open", own);
  EXPECT_EQ(temp(), "") << "a link is refused";
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}
#endif

}  // namespace
