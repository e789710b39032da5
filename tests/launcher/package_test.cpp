// CPackage::Unpack and ExtractPayload against packages built byte for byte.
#include "package.h"

#include <cstring>
#include <string>
#include <vector>

#include "pack_writer.h"
#include "test_support.h"

namespace {

const std::string kImage = "stand-in for the launcher's program image";

class PackageTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    out_ = root_ / "out";
    fs::create_directories(out_);
  }

  std::string Package(const std::vector<PackItem>& items) {
    std::string package, error;
    EXPECT_TRUE(BuildPackage(items, package, error)) << error;
    return package;
  }

  int Unpack(const std::string& package) {
    WriteBytes(root_ / "pkg.bin", package);
    CPackage unpacker;
    return unpacker.Unpack(LauncherPath(root_ / "pkg.bin"), LauncherPath(out_));
  }

  int Extract(const std::string& launcherFile) {
    WriteBytes(root_ / "launcher.bin", launcherFile);
    return ExtractPayload(LauncherPath(root_ / "launcher.bin"), LauncherPath(out_));
  }

  std::string Packed(const std::string& package) {
    std::string packed, error;
    EXPECT_TRUE(BuildPackedLauncher(kImage, package, packed, error)) << error;
    return packed;
  }

  // The temporary folder is the scratch root: tmp.mpk lands there.
  fs::path TempPackage() { return root_ / "tmp.mpk"; }

  fs::path out_;
};

void PutU32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

const size_t kTable = 8;
size_t SizeField(size_t entry) {
  return kTable + entry * 268 + 264;
}

TEST_F(PackageTest, ZeroEntriesUnpackToNothing) {
  EXPECT_EQ(Unpack(Package({})), kUnpackOk);
  EXPECT_TRUE(fs::is_empty(out_));
}

TEST_F(PackageTest, EntriesLandInTheirFoldersWithTheirBytes) {
  std::string binary("\0\x01\xff\r\n", 5);
  EXPECT_EQ(Unpack(Package({{"\\Mirq.exe", "program"},
                            {"\\data\\deep\\engine.bin", binary},
                            {"\\save_data\\$setup.mvdf", "0"},
                            {"\\start.mirq", ""}})),
            kUnpackOk);
  EXPECT_EQ(ReadBytes(out_ / "Mirq.exe"), "program");
  EXPECT_EQ(ReadBytes(out_ / "data/deep/engine.bin"), binary);
  EXPECT_EQ(ReadBytes(out_ / "save_data/$setup.mvdf"), "0");
  ASSERT_TRUE(fs::is_regular_file(out_ / "start.mirq")) << "a 0-byte entry is an empty file";
  EXPECT_EQ(fs::file_size(out_ / "start.mirq"), 0u);
}

TEST_F(PackageTest, ExistingFileIsReplacedWhole) {
  WriteBytes(out_ / "a.txt", "a much longer old content");
  WriteBytes(out_ / "other.txt", "stays");
  EXPECT_EQ(Unpack(Package({{"\\a.txt", "new"}})), kUnpackOk);
  EXPECT_EQ(ReadBytes(out_ / "a.txt"), "new");
  EXPECT_EQ(ReadBytes(out_ / "other.txt"), "stays");
}

TEST_F(PackageTest, BytesAfterTheNameTerminatorAreIgnored) {
  std::string name("\\a.txt\0..\\..\\evil", 17);
  EXPECT_EQ(Unpack(Package({{name, "x"}})), kUnpackOk);
  EXPECT_EQ(NamesIn(out_), "a.txt ");
  EXPECT_EQ(NamesIn(root_), "out/ pkg.bin ");
}

TEST_F(PackageTest, ContentsAreReadBackToBackWhateverTheOffsetsSay) {
  std::string package = Package({{"\\a", "AAAA"}, {"\\b", "BBBB"}});
  package.insert(kTable + 2 * 268, "XX");      // a gap the offsets would skip
  PutU32(package, kTable + 260, 0xFFFFFF00u);  // offsets are never read
  EXPECT_EQ(Unpack(package), kUnpackOk);
  EXPECT_EQ(ReadBytes(out_ / "a"), "XXAA");
  EXPECT_EQ(ReadBytes(out_ / "b"), "AABB");
}

TEST_F(PackageTest, ShiftJisTrailByteDoesNotCutTheFolderPart) {
  if (!ShiftJisNames()) GTEST_SKIP() << "the system code page is not Shift-JIS";
  const std::string hyo = "\x95\x5C";
  EXPECT_EQ(Unpack(Package({{"\\" + hyo + ".txt", "root"}, {"\\" + hyo + "\\in.txt", "inner"}})),
            kUnpackOk);
  EXPECT_EQ(NamesIn(out_), hyo + ".txt " + hyo + "/ ")
      << "a file and a folder, both named by the character";
  EXPECT_EQ(ReadBytes(out_ / (hyo + ".txt")), "root");
  EXPECT_EQ(ReadBytes(out_ / hyo / "in.txt"), "inner");
}

TEST_F(PackageTest, MissingPackageOrDestination) {
  CPackage unpacker;
  EXPECT_EQ(unpacker.Unpack(LauncherPath(root_ / "none.bin"), LauncherPath(out_)),
            kUnpackNoPackage);
  WriteBytes(root_ / "pkg.bin", Package({}));
  EXPECT_EQ(unpacker.Unpack(LauncherPath(root_ / "pkg.bin"), LauncherPath(root_ / "nowhere")),
            kUnpackNoDestination);
  EXPECT_FALSE(fs::exists(root_ / "nowhere")) << "the destination probe leaves nothing behind";
}

TEST_F(PackageTest, ShortOrWrongHeaderGives4) {
  EXPECT_EQ(Unpack(std::string("TAR\0\0", 5)), kUnpackBadHeader);
  EXPECT_EQ(Unpack(std::string("TAX\0\0\0\0\0", 8)), kUnpackBadHeader);
  EXPECT_EQ(Unpack(std::string("TARX\0\0\0\0", 8)), kUnpackBadHeader);
  EXPECT_EQ(Unpack(std::string("TA\0\0\0\0\0\0", 8)), kUnpackBadHeader);
  EXPECT_EQ(Unpack(std::string()), kUnpackBadHeader);
}

TEST_F(PackageTest, EntryCountBeyondTheFileGives5BeforeReading) {
  std::string package = Package({{"\\a", "1"}, {"\\b", "2"}});
  PutU32(package, 4, 3);
  EXPECT_EQ(Unpack(package), kUnpackShortTable);
  PutU32(package, 4, 0xFFFFFFFFu);
  EXPECT_EQ(Unpack(package), kUnpackShortTable) << "a huge count must be refused, not allocated";
  EXPECT_TRUE(fs::is_empty(out_));
}

TEST_F(PackageTest, EveryHostileNameGives6WithNothingWritten) {
  std::string unterminated(260, 'a');
  unterminated[0] = '\\';
  const std::vector<std::string> hostile = {
      "\\..\\evil", "\\a\\..\\..\\evil", "\\..", "evil", "", "\\a/b", "\\..\\/evil", "\\C:\\evil",
      "\\a.txt:stream", "\\a\\\\b", "\\a\\", "\\", "\\\\evil", unterminated,
      // a lead byte before "/" or ":" makes no character of them
      "\\\x81/evil", "\\\x81/\\evil", "\\\x81:evil",
      // names Windows takes for devices or changes
      "\\CON", "\\data\\con.txt", "\\Aux.sav", "\\NUL .txt", "\\com1", "\\LPT9.log", "\\COM0",
      "\\conin$", "\\CONOUT$.x", "\\prn\\a", "\\a.", "\\a ", "\\dir.\\a", "\\.", "\\a\\.\\b",
      "\\a\x01"
      "b",
      "\\tab\there", "\\a\x7f", "\\a<b", "\\a>b", "\\a\"b", "\\a|b", "\\a?b", "\\a*b"};
  for (const std::string& name : hostile) {
    std::string package = Package({{"\\first.txt", "fine"}, {"\\x", "y"}});
    std::string field = name;
    field.resize(260, '\0');
    package.replace(kTable + 268, 260, field);
    EXPECT_EQ(Unpack(package), kUnpackBadFolder) << "name " << name.substr(0, 40);
    EXPECT_TRUE(fs::is_empty(out_)) << "nothing may be written for name " << name.substr(0, 40);
  }
  EXPECT_EQ(NamesIn(root_), "out/ pkg.bin ");
}

TEST_F(PackageTest, NamesNextToTheRefusedOnesUnpack) {
  std::vector<PackItem> items;
  for (const char* name :
       {"\\COM", "\\COM10", "\\CONSOLE", "\\con_x", "\\NULL.txt", "\\a.b", "\\ a", "\\.a"})
    items.push_back({name, "x"});
  EXPECT_EQ(Unpack(Package(items)), kUnpackOk);
  EXPECT_EQ(NamesIn(out_), " a .a COM COM10 CONSOLE NULL.txt a.b con_x ");
  if (!ShiftJisNames()) return;
  // A trail byte that reads as "|" is part of its character ("−").
  EXPECT_EQ(Unpack(Package({{"\\\x81\x7C.txt", "minus"}})), kUnpackOk);
  EXPECT_EQ(ReadBytes(out_ / "\x81\x7C.txt"), "minus");
}

TEST_F(PackageTest, NamesThatWindowsTakesForOneFileGive6) {
  const std::vector<std::vector<std::string>> pairs = {
      {"\\a.txt", "\\A.TXT"},
      {"\\Data\\x", "\\data\\X"},
      {"\\a", "\\a"},
      {"\\\x82\x81.txt", "\\\x82\x60.txt"},  // full-width a and A
      {"\\\x84\x70", "\\\x84\x40"},
      {"\\\x84\x91", "\\\x84\x60"}};  // Cyrillic a and A, ya and YA
  for (const std::vector<std::string>& pair : pairs) {
    EXPECT_EQ(Unpack(Package({{pair[0], "first"}, {"\\other", "o"}, {pair[1], "second"}})),
              kUnpackBadFolder)
        << pair[1];
    EXPECT_TRUE(fs::is_empty(out_)) << pair[1];
  }
}

TEST_F(PackageTest, StartMarkerIsWrittenLastAndAnOldOneGoesFirst) {
  WriteBytes(out_ / "start.mirq", "");  // left by an earlier tree
  std::string package =
      Package({{"\\Mirq.exe", "game"}, {"\\start.mirq", ""}, {"\\voice\\a.wav", "AAAA"}});
  PutU32(package, SizeField(2), 1000);  // the entry after the marker cannot be read whole
  EXPECT_EQ(Unpack(package), kUnpackBadContent);
  EXPECT_EQ(NamesIn(out_), "Mirq.exe voice/ ") << "a cut tree holds no marker";
  PutU32(package, SizeField(2), 4);
  EXPECT_EQ(Unpack(package), kUnpackOk);
  EXPECT_EQ(NamesIn(out_), "Mirq.exe start.mirq voice/ ");
  EXPECT_EQ(ReadBytes(out_ / "voice/a.wav"), "AAAA")
      << "the marker's place in the table moves no content";
}

TEST_F(PackageTest, OutputThatCannotBeCreatedGives7) {
  fs::create_directories(out_ / "a.txt");
  EXPECT_EQ(Unpack(Package({{"\\b.txt", "b"}, {"\\a.txt", "a"}})), kUnpackCannotCreate);
  EXPECT_EQ(ReadBytes(out_ / "b.txt"), "b") << "entries written before the failure stay";
}

TEST_F(PackageTest, FolderBlockedByAFileFailsWhenTheEntryIsCreated) {
  // Creating a folder where a file of that name exists reports "already
  // exists", so the folder walk passes and the entry's create fails.
  WriteBytes(out_ / "data", "a file where a folder must go");
  EXPECT_EQ(Unpack(Package({{"\\data\\engine", "e"}})), kUnpackCannotCreate);
  EXPECT_EQ(ReadBytes(out_ / "data"), "a file where a folder must go");
}

TEST_F(PackageTest, FolderThatCannotBeCreatedGives6) {
  WriteBytes(out_ / "data", "a file where a folder must go");
  EXPECT_EQ(Unpack(Package({{"\\data\\deeper\\engine", "e"}})), kUnpackBadFolder);
}

TEST_F(PackageTest, EntrySizeBeyondTheFileGives8AndLeavesNoCutFile) {
  std::string package = Package({{"\\a", "AAAA"}, {"\\b", "BBBB"}});
  PutU32(package, SizeField(1), 1000);
  EXPECT_EQ(Unpack(package), kUnpackBadContent);
  EXPECT_EQ(ReadBytes(out_ / "a"), "AAAA");
  EXPECT_FALSE(fs::exists(out_ / "b")) << "the entry that could not be copied whole is removed";
  PutU32(package, SizeField(1), 0xFFFFFFFFu);
  EXPECT_EQ(Unpack(package), kUnpackBadContent) << "a huge size must be refused, not allocated";
  package.resize(package.size() - 2);
  PutU32(package, SizeField(1), 4);
  EXPECT_EQ(Unpack(package), kUnpackBadContent) << "a package cut short";
}

TEST_F(PackageTest, ExtractPayloadUnpacksAndDeletesTheTemporaryPackage) {
  EXPECT_EQ(Extract(Packed(Package({{"\\Mirq.exe", "game"}, {"\\data\\e", "engine"}}))),
            kExtractOk);
  EXPECT_EQ(ReadBytes(out_ / "Mirq.exe"), "game");
  EXPECT_EQ(ReadBytes(out_ / "data/e"), "engine");
  EXPECT_FALSE(fs::exists(TempPackage())) << "tmp.mpk must be deleted after success";
  EXPECT_EQ(Extract(Packed(Package({}))), kExtractOk) << "0 entries";
  EXPECT_FALSE(fs::exists(TempPackage()));
}

TEST_F(PackageTest, UnreadableTrailerGives1) {
  EXPECT_EQ(Extract("fifteen bytes!!"), kExtractBadTrailer) << "a launcher file under 16 bytes";
  EXPECT_EQ(ExtractPayload(LauncherPath(root_ / "missing.exe"), LauncherPath(out_)),
            kExtractBadTrailer);
  EXPECT_EQ(ExtractPayload(std::string(300, 'x'), LauncherPath(out_)), kExtractBadTrailer)
      << "a path the file class refuses";
  EXPECT_TRUE(fs::is_empty(out_));
}

TEST_F(PackageTest, BadPackageSizeOrOffsetGives2) {
  std::string package = Package({{"\\a", "AAAA"}});
  std::string image_and_package = kImage + package;
  auto withTrailer = [&](uint32_t size, uint32_t offset) {
    return image_and_package + BuildTrailer(size, offset);
  };
  EXPECT_EQ(Extract(withTrailer(0, static_cast<uint32_t>(kImage.size()))), kExtractCopyFailed)
      << "package size 0 leaves no buffer";
  EXPECT_EQ(Extract(withTrailer(0xFFFFFFF0u, static_cast<uint32_t>(kImage.size()))),
            kExtractCopyFailed)
      << "a size beyond the file is refused before allocating";
  EXPECT_EQ(Extract(withTrailer(static_cast<uint32_t>(package.size()), 1u << 30)),
            kExtractCopyFailed)
      << "an offset past the end finds no package";
  EXPECT_EQ(Extract(withTrailer(static_cast<uint32_t>(package.size() + 20),
                                static_cast<uint32_t>(kImage.size()))),
            kExtractCopyFailed)
      << "a package that runs into the trailer and past the end is not unpacked as zeros";
  EXPECT_TRUE(fs::is_empty(out_));
  EXPECT_FALSE(fs::exists(TempPackage()));
}

TEST_F(PackageTest, UnpackFailureGives3AndKeepsTheTemporaryPackage) {
  std::string package = Package({{"\\a", "A"}});
  package.replace(kTable, 4, std::string("\\..\\", 4));
  EXPECT_EQ(Extract(Packed(package)), kExtractUnpackFailed);
  EXPECT_TRUE(fs::exists(TempPackage()));
  EXPECT_EQ(ReadBytes(TempPackage()), package);
}

}  // namespace
