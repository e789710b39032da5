// The launcher end to end: a packed launcher with a fake game program is
// run as its own process, with the temporary folder pointed at the test's
// scratch folder.
#include "flow_fixture.h"

namespace {

TEST_F(FlowTest, FirstRunCreatesTheSaveFolderAndKeepsTheGamesSaves) {
  Pack(
      GameItems("list\nwrite game.sav first save\ncwd\nprobe data/Mirqmind.exe\nprobe "
                "save_data/$setup.mvdf\n"));
  EXPECT_EQ(Run(), 0);
  ExpectMessage("");
  ASSERT_TRUE(fs::is_directory(dataSave_));
  EXPECT_EQ(ReadBytes(dataSave_ / "runs.log"), "run\n") << "the game program ran once";
  EXPECT_EQ(ReadBytes(dataSave_ / "seen.txt"), "runs.log ") << "nothing to copy in on a first run";
  EXPECT_EQ(ReadBytes(dataSave_ / "game.sav"), "first save");
#ifndef _WIN32
  EXPECT_EQ(fs::status(dataSave_ / "game.sav").permissions() & fs::perms::all, fs::perms(0644))
      << "a save keeps the bits the game gave it";
#endif
  EXPECT_EQ(ReadBytes(dataSave_ / "probe.txt"),
            "data/Mirqmind.exe yes\nsave_data/$setup.mvdf yes\n");
  EXPECT_TRUE(fs::equivalent(fs::path(ReadBytes(dataSave_ / "cwd.txt")), fs::current_path()))
      << "the game inherits the launcher's current folder";
  ExpectTreeEmptied();
}

TEST_F(FlowTest, SavesGoInAndComeBackButFoldersDoNot) {
  fs::create_directories(dataSave_ / "old folder");
  WriteBytes(dataSave_ / "a.sav", "old a");
  WriteBytes(dataSave_ / "b.sav", "b");
  WriteBytes(dataSave_ / "old folder" / "x.sav", "x");
  Pack(GameItems("list\nwrite a.sav new a\ndelete b.sav\nmkdir new folder\n"));
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadBytes(dataSave_ / "seen.txt"), "a.sav b.sav runs.log ")
      << "plain files come in, folders do not";
  EXPECT_EQ(ReadBytes(dataSave_ / "a.sav"), "new a");
  EXPECT_EQ(ReadBytes(dataSave_ / "b.sav"), "b")
      << "a save the game deleted stays beside the launcher";
  EXPECT_EQ(NamesIn(dataSave_), "a.sav b.sav old folder/ runs.log seen.txt ")
      << "the game's new folder does not come back";
  ExpectTreeEmptied();

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadBytes(dataSave_ / "runs.log"), "run\nrun\n")
      << "the second run starts from the saves kept";
}

TEST_F(FlowTest, CompleteTreeIsReusedOnlyForItsOwnPackage) {
  Pack(GameItems("write unpacked.sav yes\n"));
  PlantTree("write planted.sav yes\n", true);
  PlantIdentity("999 00000000000000ff");  // left by another version of the game
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(fs::exists(dataSave_ / "unpacked.sav")) << "another package's tree is unpacked again";
  EXPECT_FALSE(fs::exists(dataSave_ / "planted.sav"));
  ExpectTreeEmptied();

  fs::remove_all(dataSave_);
  PlantTree("write planted.sav yes\n", true);
  WriteBytes(extract_ / "left over.txt", "from a run that was cut off");
  PlantIdentity(PackageIdentity(LauncherPath(launcher_)));
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(fs::exists(dataSave_ / "planted.sav")) << "the tree already there must run";
  EXPECT_FALSE(fs::exists(dataSave_ / "unpacked.sav"))
      << "a complete tree must not be unpacked again";
  ExpectTreeEmptied();
}

TEST_F(FlowTest, TreeWithoutStartMarkerIsUnpackedAgain) {
  PlantTree("write planted.sav yes\n", false);
  WriteBytes(extract_ / "stray.txt", "not in the package");
  Pack(GameItems("write unpacked.sav yes\nprobe stray.txt\nprobe start.mirq\n"));
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(fs::exists(dataSave_ / "unpacked.sav")) << "the package's files replace the tree's";
  EXPECT_FALSE(fs::exists(dataSave_ / "planted.sav"));
  EXPECT_EQ(ReadBytes(dataSave_ / "probe.txt"), "stray.txt yes\nstart.mirq yes\n")
      << "other files of the tree stay while the game runs";
  ExpectTreeEmptied();
}

TEST_F(FlowTest, MissingGameShowsTheSecondMessageAndStillCleansUp) {
  fs::create_directories(dataSave_);
  WriteBytes(dataSave_ / "a.sav", "kept");
  Pack(GameItems("write never.sav x\n", false));
  EXPECT_EQ(Run(), 0);
  ExpectMessage("Mirq: 展開されたデータに Mirq が見つかりませんでした。");
  EXPECT_EQ(NamesIn(dataSave_), "a.sav ") << "the saves come back unchanged";
  EXPECT_EQ(ReadBytes(dataSave_ / "a.sav"), "kept");
  ExpectTreeEmptied();
}

TEST_F(FlowTest, UnpackFailureShowsTheFirstMessageAndTouchesNoSaves) {
  fs::create_directories(dataSave_);
  WriteBytes(dataSave_ / "a.sav", "kept");
  std::vector<PackItem> items = GameItems("write never.sav x\n");
  items.push_back({"\\..\\escaped.txt", "outside the tree"});
  Pack(items);
  int code = Run();
  EXPECT_TRUE(IsBoxValue(code)) << "exit code " << code << " is not the message box's value";
  ExpectMessage("Mirqgate: データの展開に失敗しました");
  EXPECT_EQ(NamesIn(dataSave_), "a.sav ");
  EXPECT_FALSE(fs::exists(tmp_ / "escaped.txt"));
  ASSERT_TRUE(fs::is_directory(extract_));
  EXPECT_TRUE(fs::is_empty(extract_))
      << "no save copied in, no entry written: " << NamesIn(extract_);
}

TEST_F(FlowTest, LauncherWithoutPackageFailsCleanly) {
  fs::copy_file(BuildBin() / MIRQ_GATE_FILE, launcher_);
  int code = Run();
  EXPECT_TRUE(IsBoxValue(code)) << "exit code " << code;
  ExpectMessage("Mirqgate: データの展開に失敗しました");
  EXPECT_FALSE(fs::exists(dataSave_)) << "the flow ends before the save folders";
}

}  // namespace
