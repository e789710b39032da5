// CFileEx and CFileExException: path limit, causes, the kept position.
#include "file_ex.h"

#include <string>

#include "test_support.h"

namespace {

class FileExTest : public ScratchTest {
 protected:
  std::string MakeFile(const std::string& name, const std::string& bytes) {
    WriteBytes(root_ / name, bytes);
    return LauncherPath(root_ / name);
  }

  // A path of exactly length characters naming a file that exists.
  std::string PathOfLength(size_t length) {
    fs::path folder = root_;
    std::string base = LauncherPath(root_);
    while (length - base.size() > 100) {
      std::string part(60, 'd');
      folder /= part;
      base += "\\" + part;
    }
    fs::create_directories(folder);
    std::string name(length - base.size() - 1, 'f');
    WriteBytes(folder / name, "x");
    return base + "\\" + name;
  }
};

const std::string kSixteen = "0123456789abcdef";

TEST_F(FileExTest, PathLimitIs259CharactersAndRefusalNeverRaises) {
  CFileEx file;
  file.SetThrowFlag(TRUE);
  std::string accepted = PathOfLength(259);
  ASSERT_EQ(accepted.size(), 259u);
  EXPECT_TRUE(file.Open(accepted.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr))
      << "a 259-character path must open";
  EXPECT_STREQ(file.GetPath(), accepted.c_str());

  std::string refused = PathOfLength(260);
  bool opened = true;
  EXPECT_NO_THROW(opened = file.Open(refused.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr));
  EXPECT_FALSE(opened) << "a 260-character path must be refused";
  EXPECT_FALSE(file.IsOpen()) << "a refused Open still closes the file that was open";
  EXPECT_NO_THROW(opened = file.Open(nullptr, OPEN_EXISTING, GENERIC_READ, 0, nullptr));
  EXPECT_FALSE(opened);
}

TEST_F(FileExTest, FailedOpenRaisesPlatformErrorOnlyWithThrowFlag) {
  std::string missing = LauncherPath(root_ / "missing.bin");
  CFileEx quiet;
  EXPECT_FALSE(quiet.Open(missing.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr));

  CFileEx loud;
  loud.SetThrowFlag(TRUE);
  try {
    loud.Open(missing.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr);
    FAIL() << "opening a missing file with the throw flag must raise";
  } catch (const CFileExException& e) {
    EXPECT_EQ(e.GetError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(e.GetCause(), 0);
    EXPECT_EQ(e.GetCauseText(), "The Operation Completed Successfully");
    EXPECT_EQ(e.GetSystemText(), PlatformMessage(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(e.GetSystemText().empty())
        << "cause 0 carries the platform's text for the error, line end included";
  }
}

TEST_F(FileExTest, OperationsOnClosedFileRaiseCause1) {
  CFileEx file;
  file.SetThrowFlag(TRUE);
  char buffer[8];
  auto expectClosed = [](const CFileExException& e) {
    EXPECT_EQ(e.GetCause(), 1);
    EXPECT_EQ(e.GetError(), 0u);
    EXPECT_EQ(e.GetCauseText(), "Invalid Operation on Closed File");
    EXPECT_EQ(e.GetSystemText(), PlatformMessage(0));
  };
  try {
    file.Read(buffer, sizeof(buffer));
    FAIL() << "Read on a closed file must raise";
  } catch (const CFileExException& e) {
    expectClosed(e);
  }
  try {
    file.Write(buffer, sizeof(buffer));
    FAIL() << "Write on a closed file must raise";
  } catch (const CFileExException& e) {
    expectClosed(e);
  }
  try {
    file.Seek(0, FILE_BEGIN);
    FAIL() << "Seek on a closed file must raise";
  } catch (const CFileExException& e) {
    expectClosed(e);
  }
  try {
    file.GetLength();
    FAIL() << "GetLength on a closed file must raise";
  } catch (const CFileExException& e) {
    expectClosed(e);
  }
}

TEST_F(FileExTest, NullBufferRaisesCause4AndLeavesPositionAlone) {
  std::string path = MakeFile("data.bin", kSixteen);
  CFileEx file;
  file.SetThrowFlag(TRUE);
  ASSERT_TRUE(file.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr));
  try {
    file.Read(nullptr, 8);
    FAIL() << "a null buffer must raise";
  } catch (const CFileExException& e) {
    EXPECT_EQ(e.GetCause(), 4);
    EXPECT_EQ(e.GetCauseText(), "Parameter is Invalid");
  }
  EXPECT_TRUE(file.IsOpen()) << "a raise leaves the file open";
  char buffer[4];
  ASSERT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "0123");
}

TEST_F(FileExTest, CauseTableHoldsTheFiveStatusTexts) {
  const char* texts[] = {"The Operation Completed Successfully", "Invalid Operation on Closed File",
                         "Parameter Supplied Is out of Range",
                         "Operation Failed. I/O Operations are Running", "Parameter is Invalid"};
  for (int cause = 0; cause < 5; ++cause)
    EXPECT_EQ(CFileExException(0, cause).GetCauseText(), texts[cause]) << "cause " << cause;
}

TEST_F(FileExTest, SuccessiveReadsWalkTheFileFrontToBack) {
  std::string path = MakeFile("data.bin", kSixteen);
  CFileEx file;
  file.SetThrowFlag(TRUE);
  ASSERT_TRUE(file.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr));
  EXPECT_EQ(file.GetLength(), 16);
  char first[8], second[8];
  ASSERT_EQ(file.Read(first, 8), 8u);
  ASSERT_EQ(file.Read(second, 8), 8u);
  EXPECT_EQ(std::string(first, 8), "01234567");
  EXPECT_EQ(std::string(second, 8), "89abcdef");
  EXPECT_TRUE(file.Close());
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(FileExTest, ShortReadNearTheEndReturnsWhatIsLeft) {
  std::string path = MakeFile("data.bin", kSixteen);
  CFileEx file;
  file.SetThrowFlag(TRUE);
  ASSERT_TRUE(file.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr));
  file.Seek(12, FILE_BEGIN);
  char buffer[10];
  ASSERT_EQ(file.Read(buffer, 10), 4u);
  EXPECT_EQ(std::string(buffer, 4), "cdef");
}

TEST_F(FileExTest, ReadAtTheEndIsReportedNotSilent) {
  std::string path = MakeFile("data.bin", kSixteen);
  CFileEx file;
  file.SetThrowFlag(TRUE);
  ASSERT_TRUE(file.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr));
  char buffer[16];
  ASSERT_EQ(file.Read(buffer, 16), 16u);
  try {
    file.Read(buffer, 16);
    FAIL() << "an overlapped read at the end of the file must raise";
  } catch (const CFileExException& e) {
    EXPECT_EQ(e.GetCause(), 0);
    EXPECT_EQ(e.GetError(), ERROR_HANDLE_EOF);
  }
}

TEST_F(FileExTest, SeekPastTheEndFromTheBeginningIsSkippedSilently) {
  std::string path = MakeFile("data.bin", kSixteen);
  CFileEx file;
  file.SetThrowFlag(TRUE);
  ASSERT_TRUE(file.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr));
  char buffer[4];
  ASSERT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_NO_THROW(file.Seek(17, FILE_BEGIN));
  ASSERT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "4567") << "the skipped seek must leave the position at 4";
  file.Seek(-4, FILE_END);
  ASSERT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "cdef") << "a negative seek from the end proceeds";
}

TEST_F(FileExTest, SeekBeforeTheStartRaisesPlatformError) {
  std::string path = MakeFile("short.bin", "tiny");
  CFileEx file;
  file.SetThrowFlag(TRUE);
  ASSERT_TRUE(file.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr));
  try {
    file.Seek(-16, FILE_END);
    FAIL() << "seeking 16 bytes back in a 4-byte file must raise";
  } catch (const CFileExException& e) {
    EXPECT_EQ(e.GetCause(), 0);
    EXPECT_EQ(e.GetError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(e.GetSystemText(), PlatformMessage(ERROR_NEGATIVE_SEEK))
        << "the platform's message for the error";
    EXPECT_FALSE(e.GetSystemText().empty());
  }
}

TEST_F(FileExTest, WritesAppendInOrderAndReopenReplacesTheFile) {
  std::string path = LauncherPath(root_ / "out.bin");
  std::string other = MakeFile("other.bin", "other");
  CFileEx file;
  file.SetThrowFlag(TRUE);
  ASSERT_TRUE(file.Open(path.c_str(), CREATE_ALWAYS, GENERIC_WRITE, 0, nullptr));
  EXPECT_EQ(file.Write("abc", 3), 3u);
  EXPECT_EQ(file.Write("defg", 4), 4u);
  ASSERT_TRUE(file.Open(other.c_str(), OPEN_EXISTING, GENERIC_READ, 0, nullptr));
  char buffer[5];
  ASSERT_EQ(file.Read(buffer, 5), 5u);
  EXPECT_EQ(std::string(buffer, 5), "other");
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadBytes(root_ / "out.bin"), "abcdefg");
}

}  // namespace
