// The packer: entry names, folder collection, the packed file's layout and
// the mirqpack command.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "pack_writer.h"
#include "package.h"
#include "support/run_program.h"
#include "test_support.h"

namespace {

class PackTest : public ScratchTest {
 protected:
  void Touch(const fs::path& relative, const std::string& bytes) {
    fs::create_directories((root_ / "tree" / relative).parent_path());
    WriteBytes(root_ / "tree" / relative, bytes);
  }

  ProgramRun Mirqpack(const std::vector<std::string>& arguments) {
    return RunProgram(BuildBin() / MIRQPACK_FILE, arguments);
  }

  // Packs launcher.bin around tree/ into packed.bin.
  std::vector<std::string> PackArguments() {
    return {(root_ / "launcher.bin").string(), (root_ / "tree").string(), "-o",
            (root_ / "packed.bin").string()};
  }
};

TEST(PackNameTest, NamesAreBackslashSeparatedBelowTheRoot) {
  std::string error;
  EXPECT_EQ(EntryNameFor(fs::path("Mirq.exe"), error), "\\Mirq.exe");
  EXPECT_EQ(EntryNameFor(fs::path("data") / "sub" / "e.bin", error), "\\data\\sub\\e.bin");
  if (ShiftJisNames()) {
    EXPECT_EQ(EntryNameFor(fs::path("\x95\x5C.txt"), error), "\\\x95\x5C.txt");
  }
}

TEST(PackNameTest, NamesTheUnpackerWouldRefuseOrMisreadAreRefused) {
  std::string error;
  EXPECT_EQ(EntryNameFor(fs::path(std::string(259, 'n')), error), "")
      << "no room for the terminator";
  EXPECT_NE(error.find("refused"), std::string::npos);
  EXPECT_EQ(EntryNameFor(fs::path(std::string(258, 'n')), error), "\\" + std::string(258, 'n'));
  EXPECT_EQ(EntryNameFor(fs::path("a:b"), error), "");
  for (const char* name : {"CON", "nul.txt", "a.", "a ", "a?b"})
    EXPECT_EQ(EntryNameFor(fs::path(name), error), "") << name;
  // A lead byte at a folder's end would swallow the separator after it.
  if (ShiftJisNames()) {
    EXPECT_EQ(EntryNameFor(fs::path("x\x95") / "b", error), "");
  }
#ifndef _WIN32
  EXPECT_EQ(EntryNameFor(fs::path("back\\slash"), error), "") << "a \"\\\" inside a file name";
#endif
}

TEST_F(PackTest, FolderIsCollectedSortedAndUnpacksToTheSameTree) {
  Touch("start.mirq", "");
  Touch("data/Mirqmind.exe", "engine");
  Touch("Mirq.exe", "game");
  Touch("save_data/$setup.mvdf", "0");
  Touch("B.txt", "upper case sorts first");
  Touch("voice/a.wav", "sorts after the marker");
  std::vector<PackItem> items;
  std::string error, package, packed;
  ASSERT_TRUE(CollectFolder(root_ / "tree", items, error)) << error;
  std::vector<std::string> names;
  for (const PackItem& item : items) names.push_back(item.name);
  EXPECT_EQ(names, (std::vector<std::string>{"\\B.txt", "\\Mirq.exe", "\\data\\Mirqmind.exe",
                                             "\\save_data\\$setup.mvdf", "\\voice\\a.wav",
                                             "\\start.mirq"}))
      << "the marker comes last";
  ASSERT_TRUE(BuildPackage(items, package, error));
  ASSERT_TRUE(BuildPackedLauncher("IMAGE", package, packed, error));
  EXPECT_EQ(packed.size(), 5 + 8 + 6 * 268 + 55 + 16u);
  EXPECT_EQ(packed.substr(5, 4), std::string("TAR\0", 4));
  EXPECT_EQ(packed.substr(packed.size() - 16),
            BuildTrailer(static_cast<uint32_t>(package.size()), 5));
  EXPECT_EQ(packed.substr(packed.size() - 16, 8), std::string("PAY\0\x10\0\0\0", 8));
  // First offset is the end of the table; each next one follows the last.
  EXPECT_EQ(static_cast<unsigned char>(package[8 + 260]) |
                static_cast<unsigned char>(package[8 + 261]) << 8,
            8 + 6 * 268);

  std::vector<ListedEntry> listed;
  ASSERT_TRUE(ReadPackedEntries(packed, listed, error)) << error;
  ASSERT_EQ(listed.size(), 6u);
  EXPECT_EQ(listed[2].name, "\\data\\Mirqmind.exe");
  EXPECT_EQ(listed[2].size, 6u);

  WriteBytes(root_ / "packed.bin", packed);
  fs::create_directories(root_ / "out");
  ASSERT_EQ(ExtractPayload(LauncherPath(root_ / "packed.bin"), LauncherPath(root_ / "out")),
            kExtractOk);
  EXPECT_EQ(NamesIn(root_ / "out"), "B.txt Mirq.exe data/ save_data/ start.mirq voice/ ");
  EXPECT_EQ(ReadBytes(root_ / "out/data/Mirqmind.exe"), "engine");
  EXPECT_EQ(ReadBytes(root_ / "out/save_data/$setup.mvdf"), "0");
}

TEST_F(PackTest, NamesThatMeetOnWindowsAreRefused) {
#ifdef _WIN32
  GTEST_SKIP() << "this file system cannot hold both names";
#else
  Touch("Save/a.txt", "one");
  Touch("save/A.TXT", "two");
  std::vector<PackItem> items;
  std::string error;
  EXPECT_FALSE(CollectFolder(root_ / "tree", items, error));
  EXPECT_EQ(error, "refused name: \\save\\A.TXT is the same file as \\Save\\a.txt on Windows");
#endif
}

TEST_F(PackTest, MirqpackPacksListsAndRefuses) {
  if (std::getenv("MIRQ_BIN") == nullptr) GTEST_SKIP() << "MIRQ_BIN is not set";
  Touch("Mirq.exe", "game");
  Touch("data/e.bin", "12345");
  WriteBytes(root_ / "launcher.bin", "IMAGE");
  ProgramRun run = Mirqpack(PackArguments());
  ASSERT_EQ(run.status, 0) << run.errors;
  std::string packed = ReadBytes(root_ / "packed.bin");
  EXPECT_EQ(packed.substr(0, 5), "IMAGE");
  run = Mirqpack({"--list", (root_ / "packed.bin").string()});
  ASSERT_EQ(run.status, 0) << run.errors;
  std::string listing = run.output;
#ifdef _WIN32
  listing.erase(std::remove(listing.begin(), listing.end(), '\r'), listing.end());
#endif
  EXPECT_EQ(listing, "\\Mirq.exe\t4\n\\data\\e.bin\t5\n");

  EXPECT_EQ(Mirqpack({"--list", (root_ / "launcher.bin").string()}).status, 1)
      << "a file without a package";
  EXPECT_EQ(Mirqpack({"only-one-argument"}).status, 2);

  Touch("bad:name", "x");
  fs::remove(root_ / "packed.bin");
  run = Mirqpack(PackArguments());
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.errors.find("refused name"), std::string::npos) << "the message names the refusal";
  EXPECT_FALSE(fs::exists(root_ / "packed.bin")) << "a refused folder writes no output";
}

}  // namespace
