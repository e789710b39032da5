// CFileFinder, WildcardMatch and the folder helpers.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "file_finder.h"
#include "folders.h"
#include "platform/win32.h"
#include "test_support.h"

namespace {

TEST(WildcardMatchTest, StarMatchesEveryName) {
  for (const char* name : {"a", "Mirq.exe", "noextension", ".hidden", ""})
    EXPECT_TRUE(WildcardMatch("*", name)) << name;
}

TEST(WildcardMatchTest, StarExtensionMatchesNamesEndingInIt) {
  EXPECT_TRUE(WildcardMatch("*.msdf", "scene01.msdf"));
  EXPECT_TRUE(WildcardMatch("*.msdf", ".msdf"));
  EXPECT_TRUE(WildcardMatch("*.msdf", "a.msdf.msdf")) << "the last occurrence ends the name";
  EXPECT_FALSE(WildcardMatch("*.msdf", "scene01.msdf.bak"));
  EXPECT_FALSE(WildcardMatch("*.msdf", "scene01.txt"));
  EXPECT_TRUE(WildcardMatch("s*.msdf", "scene.msdf"));
  EXPECT_FALSE(WildcardMatch("s*.msdf", "title.msdf"));
}

TEST(WildcardMatchTest, QuestionMarkIsExactlyOneByte) {
  EXPECT_TRUE(WildcardMatch("a?c", "abc"));
  EXPECT_TRUE(WildcardMatch("a?c",
                            "a\x95"
                            "c"));
  EXPECT_FALSE(WildcardMatch("a?c", "ac"));
  EXPECT_FALSE(WildcardMatch("a?c", "abbc"));
  EXPECT_FALSE(WildcardMatch("abc?", "abc"));
}

TEST(WildcardMatchTest, PlainNamesAreExactAndCaseSensitive) {
  EXPECT_TRUE(WildcardMatch("Mirq.exe", "Mirq.exe"));
  EXPECT_FALSE(WildcardMatch("Mirq.exe", "mirq.exe"));
  EXPECT_FALSE(WildcardMatch("Mirq.exe", "Mirq.exe.bak"))
      << "a plain name must match the whole name";
  EXPECT_FALSE(WildcardMatch("Mirq.exe", "xMirq.exe"));
  EXPECT_TRUE(WildcardMatch("start.mirq", "start.mirq"));
}

class FolderTest : public ScratchTest {
 protected:
  std::string P(const fs::path& relative) { return LauncherPath(root_ / relative); }
  std::string R() { return LauncherPath(root_); }
  void Touch(const fs::path& relative, const std::string& bytes = "x") {
    fs::create_directories((root_ / relative).parent_path());
    WriteBytes(root_ / relative, bytes);
  }
};

TEST_F(FolderTest, ForbiddenPatternCharactersGiveMinusOneAndListNothing) {
  Touch("a.txt");
  CFileFinder finder;
  ASSERT_TRUE(finder.SetDirectory(R()));
  std::vector<std::string> result = {"kept"};
  for (const char* pattern : {"a:b", "a\\b", "a/b", "a;b", "a\"b", "a<b", "a>b", "a|b"})
    EXPECT_EQ(finder.List(result, pattern, kListAll, false), kListForbiddenPattern) << pattern;
  EXPECT_EQ(result, std::vector<std::string>{"kept"})
      << "a refused pattern leaves the list unchanged";
}

TEST_F(FolderTest, MissingBaseFolderGivesMinusTwo) {
  CFileFinder finder;
  std::vector<std::string> result;
  EXPECT_EQ(finder.List(result, "*", kListAll, false), kListNoFolder) << "no folder set";
  fs::create_directories(root_ / "gone");
  ASSERT_TRUE(finder.SetDirectory(P("gone") + "\\"));
  EXPECT_EQ(finder.GetDirectory(), P("gone")) << "one trailing separator is dropped";
  fs::remove(root_ / "gone");
  EXPECT_EQ(finder.List(result, "*", kListAll, false), kListNoFolder);
  EXPECT_FALSE(finder.SetDirectory(P("missing")));
  EXPECT_EQ(finder.GetDirectory(), P("gone")) << "a failed SetDirectory keeps the base folder";
}

TEST_F(FolderTest, ListingAppendsFullPathsByFilterAndNeverDotEntries) {
  Touch("f1.txt");
  Touch("f2.dat");
  fs::create_directories(root_ / "sub");
  CFileFinder finder;
  ASSERT_TRUE(finder.SetDirectory(R()));
  std::vector<std::string> all = {"earlier"};
  EXPECT_EQ(finder.List(all, "*", kListAll, false), 3);
  std::sort(all.begin() + 1, all.end());
  EXPECT_EQ(all, (std::vector<std::string>{"earlier", P("f1.txt"), P("f2.dat"), P("sub")}))
      << "the list is appended to, never cleared, and holds no . or ..";
  std::vector<std::string> files, folders, none;
  EXPECT_EQ(finder.List(files, "*", kListFiles, false), 2);
  EXPECT_EQ(finder.List(folders, "*", kListFolders, false), 1);
  EXPECT_EQ(finder.List(none, "*", 3, false), 0) << "an unknown filter accepts nothing";
  EXPECT_EQ(finder.List(files, "*.txt", kListFiles, false), 1);
  EXPECT_EQ(files.back(), P("f1.txt"));
}

TEST_F(FolderTest, RecursiveListingPutsContentsBeforeTheirFolder) {
  Touch("a/b/c/deep.txt");
  Touch("a/b/mid.txt");
  Touch("a/top.txt");
  Touch("z/other.txt");
  Touch("root.txt");
  CFileFinder finder;
  ASSERT_TRUE(finder.SetDirectory(R()));
  std::vector<std::string> folders;
  ASSERT_EQ(finder.List(folders, "*", kListFolders, true), 4);
  auto at = [&](const std::string& p) {
    return std::find(folders.begin(), folders.end(), p) - folders.begin();
  };
  EXPECT_LT(at(P("a/b/c")), at(P("a/b")));
  EXPECT_LT(at(P("a/b")), at(P("a")));
  std::vector<std::string> all;
  EXPECT_EQ(finder.List(all, "*", kListAll, true), 9)
      << "every entry of every level, also after a nested walk has ended";
  EXPECT_LT(std::find(all.begin(), all.end(), P("a/b/c/deep.txt")),
            std::find(all.begin(), all.end(), P("a/b/c")));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS) << "a walk leaves no no-more-files value behind";
  std::vector<std::string> texts;
  EXPECT_EQ(finder.List(texts, "*.txt", kListFiles, true), 5)
      << "the walk into folders does not depend on the pattern";
}

TEST_F(FolderTest, DirectoryProbesCreateAndRemoveWhatIsMissing) {
  Touch("plain");
  fs::create_directories(root_ / "there");
  EXPECT_TRUE(DirectoryExists(P("there")));
  EXPECT_TRUE(DirectoryExists(P("plain"))) << "a file of that name answers the strict probe too";
  EXPECT_FALSE(DirectoryExists(P("missing")));
  EXPECT_FALSE(fs::exists(root_ / "missing")) << "the probe removes the folder it created";
  EXPECT_FALSE(DirectoryExists(P("no/parent"))) << "a folder that cannot be created is not there";
  EXPECT_FALSE(DirectoryExists(""));

  EXPECT_TRUE(DirectoryProbe(P("there")));
  EXPECT_TRUE(DirectoryProbe(P("no/parent"))) << "the loose probe takes any failure as present";
  EXPECT_FALSE(DirectoryProbe(P("missing")));
  EXPECT_FALSE(fs::exists(root_ / "missing"));
  EXPECT_FALSE(DirectoryProbe(""));
}

TEST_F(FolderTest, FileExistsOnlyForOpenableFiles) {
  Touch("file.bin");
  fs::create_directories(root_ / "folder");
  EXPECT_TRUE(FileExists(P("file.bin")));
  EXPECT_FALSE(FileExists(P("folder")));
  EXPECT_FALSE(FileExists(P("missing.bin")));
  EXPECT_FALSE(FileExists(""));
}

TEST_F(FolderTest, MakeDirectoriesCreatesTheWholePath) {
  EXPECT_TRUE(MakeDirectories(P("one/two/three")));
  EXPECT_TRUE(fs::is_directory(root_ / "one/two/three"));
  EXPECT_TRUE(MakeDirectories(P("one/two/three"))) << "existing folders count as made";
  EXPECT_TRUE(MakeDirectories(R() + "\\\\double\\x"))
      << "a doubled separator inside the path is accepted";
  EXPECT_TRUE(fs::is_directory(root_ / "double/x"));
  EXPECT_FALSE(MakeDirectories(P("end") + "\\"));
  EXPECT_FALSE(fs::exists(root_ / "end")) << "a path ending in a separator creates nothing";
  EXPECT_FALSE(MakeDirectories(""));
  Touch("file");
  EXPECT_FALSE(MakeDirectories(P("file/below")));
}

TEST_F(FolderTest, ShiftJisTrailByteIsNotASeparator) {
  if (!ShiftJisNames()) GTEST_SKIP() << "the system code page is not Shift-JIS";
  const std::string hyo = "\x95\x5C";  // one double-byte character ending in 0x5C
  ASSERT_TRUE(MakeDirectories(R() + "\\" + hyo + "\\in"));
  EXPECT_EQ(NamesIn(root_), hyo + "/ ")
      << "one folder named by the character, not a folder cut at 0x5C";
  EXPECT_TRUE(MakeDirectories(R() + "\\" + hyo))
      << "a name ending in the trail byte 0x5C does not end in a separator";
}

TEST_F(FolderTest, TempAndModuleDirectories) {
  EXPECT_EQ(GetTempDirectory(), R() + "\\") << "the temporary folder with one trailing separator";
  std::string module = GetModuleDirectory();
  ASSERT_FALSE(module.empty());
  EXPECT_NE(module.back(), '\\');
  const char* bin = std::getenv("MIRQ_BIN");
  if (bin == nullptr) GTEST_SKIP() << "MIRQ_BIN is not set";
  // The test program lives in the build's tests folder, beside bin.
  EXPECT_TRUE(fs::equivalent(FromLauncherPath(module), fs::path(bin).parent_path() / "tests"))
      << "module folder " << module;
}

TEST_F(FolderTest, CopyFolderFilesReplacesFilesAndSkipsFolders) {
  Touch("src/a.sav", "new a");
  Touch("src/b.sav", "b");
  Touch("src/sub/inner.sav", "inner");
  Touch("dst/a.sav", "old a");
  Touch("dst/keep.sav", "keep");
  EXPECT_TRUE(CopyFolderFiles(P("src"), P("dst")));
  EXPECT_EQ(NamesIn(root_ / "dst"), "a.sav b.sav keep.sav ");
  EXPECT_EQ(ReadBytes(root_ / "dst/a.sav"), "new a");
  EXPECT_EQ(ReadBytes(root_ / "dst/keep.sav"), "keep");
  EXPECT_TRUE(CopyFolderFiles(P("missing"), P("dst")))
      << "a missing source copies nothing and succeeds";
  EXPECT_EQ(NamesIn(root_ / "dst"), "a.sav b.sav keep.sav ");
}

TEST_F(FolderTest, CopyNewerTakesOnlyNewerOrMissingFilesAndNeverParts) {
  Touch("src/missing.sav", "missing in dst");
  Touch("src/older.sav", "older in src");
  Touch("src/same.sav", "same time");
  Touch("src/newer.sav", "newer in src");
  Touch("src/cut.sav.mirq-part", "left by a copy cut off");
  Touch("dst/older.sav", "newer in dst");
  Touch("dst/same.sav", "other bytes");
  Touch("dst/newer.sav", "older in dst");
  Touch("dst/stale.sav.mirq-part", "left by a copy cut off");
  auto now = fs::last_write_time(root_ / "dst/same.sav");
  fs::last_write_time(root_ / "src/same.sav", now);
  fs::last_write_time(root_ / "src/older.sav", now - std::chrono::hours(1));
  fs::last_write_time(root_ / "dst/newer.sav", now - std::chrono::hours(1));
  EXPECT_TRUE(CopyFolderFiles(P("src"), P("dst"), kCopyNewer));
  EXPECT_EQ(NamesIn(root_ / "dst"), "missing.sav newer.sav older.sav same.sav ");
  EXPECT_EQ(ReadBytes(root_ / "dst/missing.sav"), "missing in dst");
  EXPECT_EQ(ReadBytes(root_ / "dst/newer.sav"), "newer in src");
  EXPECT_EQ(ReadBytes(root_ / "dst/older.sav"), "newer in dst")
      << "nothing older replaces something newer";
  EXPECT_EQ(ReadBytes(root_ / "dst/same.sav"), "other bytes");
}

TEST_F(FolderTest, DeleteFolderTreeEmptiesButKeepsTheFolder) {
  Touch("tree/a.txt");
  Touch("tree/x/y/z.txt");
  Touch("tree/x/w.txt");
  fs::create_directories(root_ / "tree/empty/deeper");
  EXPECT_TRUE(DeleteFolderTree(P("tree")));
  EXPECT_TRUE(fs::is_directory(root_ / "tree"));
  EXPECT_TRUE(fs::is_empty(root_ / "tree"));
  EXPECT_TRUE(DeleteFolderTree(P("missing")));
  EXPECT_FALSE(fs::exists(root_ / "missing"));
}

TEST_F(FolderTest, DeleteFolderTreeRemovesLinksNotWhatTheyPointAt) {
  Touch("outside/precious.txt", "keep me");
  Touch("tree/a.txt");
  std::error_code ec;
  fs::create_directory_symlink(root_ / "outside", root_ / "tree/link", ec);
  if (ec) GTEST_SKIP() << "cannot create a folder link here: " << ec.message();
  fs::create_symlink(root_ / "outside/precious.txt", root_ / "tree/file-link", ec);
  fs::create_directory_symlink(root_ / "outside", root_ / "linked-tree", ec);
  EXPECT_TRUE(DeleteFolderTree(P("tree")));
  EXPECT_TRUE(fs::is_empty(root_ / "tree")) << "links are deleted as links";
  EXPECT_TRUE(DeleteFolderTree(P("linked-tree")));
  EXPECT_EQ(ReadBytes(root_ / "outside/precious.txt"), "keep me")
      << "nothing behind a link is deleted, not even when the tree itself is a link";
  CFileFinder finder;
  std::vector<std::string> listed;
  fs::create_directory_symlink(root_ / "outside", root_ / "tree/link", ec);
  ASSERT_TRUE(finder.SetDirectory(P("tree")));
  EXPECT_EQ(finder.List(listed, "*", kListAll, true), 1)
      << "a walk lists a link but does not enter it";
}

}  // namespace
