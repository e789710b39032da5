// The launcher end to end: a packed launcher with a fake game program is
// run as its own process, with the temporary folder pointed at the test's
// scratch folder.
#include <cstdlib>
#include <string>
#include <vector>

#include "pack_writer.h"
#include "support/child_process.h"
#include "support/run_program.h"
#include "test_support.h"

namespace {

// The exit code of the message box the launcher ended with: OK (1), or -1
// where the platform cannot show a box at all.
bool IsBoxValue(int code) {
#ifdef _WIN32
  return code == 1 || code == -1;
#else
  return code == 1;
#endif
}

class FlowTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    if (BuildBin().empty()) GTEST_SKIP() << "MIRQ_BIN is not set";
    tmp_ = root_ / "tmp dir";  // a blank in the tree's path: the game must start all the same
    game_ = root_ / "game";
    fs::create_directories(tmp_);
    fs::create_directories(game_);
    SetTemporaryFolder(tmp_);
    extract_ = tmp_ / "MirqData";
    dataSave_ = game_ / "Data" / "savedata";
    launcher_ = game_ / MIRQ_GATE_FILE;
  }

  std::vector<PackItem> GameItems(const std::string& script, bool withGame = true) {
    std::vector<PackItem> items;
    if (withGame) items.push_back({"\\Mirq.exe", ReadBytes(BuildBin() / MIRQ_FAKE_GAME_FILE)});
    items.push_back({"\\data\\Mirqmind.exe", "engine"});
    items.push_back({"\\fakegame.txt", script});
    items.push_back({"\\save_data\\$setup.mvdf", "0"});
    items.push_back({"\\start.mirq", ""});
    return items;
  }

  void Pack(const std::vector<PackItem>& items) {
    std::string package, packed, error;
    ASSERT_TRUE(BuildPackage(items, package, error)) << error;
    fs::path source = BuildBin() / MIRQ_GATE_FILE;
    ASSERT_TRUE(BuildPackedLauncher(ReadBytes(source), package, packed, error)) << error;
    WriteBytes(launcher_, packed);
    fs::permissions(launcher_, fs::status(source).permissions());
  }

  // Puts a copy of the fake game and its script into the working tree.
  void PlantTree(const std::string& script, bool withMarker) {
    fs::create_directories(extract_);
    fs::copy_file(BuildBin() / MIRQ_FAKE_GAME_FILE, extract_ / "Mirq.exe");
    WriteBytes(extract_ / "fakegame.txt", script);
    if (withMarker) WriteBytes(extract_ / "start.mirq", "");
  }

  // The launcher's exit code; what it writes to standard error lands in
  // stderr.txt.
  int Run() {
    ChildStreams streams;
    streams.errors = root_ / "stderr.txt";
    ChildProcess launcher;
    int code = -1000;
    if (!launcher.Start(launcher_, {}, streams) || !launcher.Wait(300 * 1000, code)) return -1000;
    return code;
  }

  // What the launcher's message boxes wrote; the real boxes write nothing.
  void ExpectMessage(const std::string& line) {
#ifndef _WIN32
    EXPECT_EQ(ReadBytes(root_ / "stderr.txt"), line.empty() ? line : line + "\n");
#else
    (void)line;
#endif
  }

  void ExpectTreeEmptied() {
    ASSERT_TRUE(fs::is_directory(extract_)) << "the working tree stays";
    EXPECT_TRUE(fs::is_empty(extract_)) << "the working tree must be emptied, holds: " << NamesIn(extract_);
    EXPECT_FALSE(fs::exists(tmp_ / "tmp.mpk"));
  }

  fs::path tmp_, game_, extract_, dataSave_, launcher_;
};

TEST_F(FlowTest, FirstRunCreatesTheSaveFolderAndKeepsTheGamesSaves) {
  Pack(GameItems("list\nwrite game.sav first save\ncwd\nprobe data/Mirqmind.exe\nprobe save_data/$setup.mvdf\n"));
  EXPECT_EQ(Run(), 0);
  ExpectMessage("");
  ASSERT_TRUE(fs::is_directory(dataSave_));
  EXPECT_EQ(ReadBytes(dataSave_ / "runs.log"), "run\n") << "the game program ran once";
  EXPECT_EQ(ReadBytes(dataSave_ / "seen.txt"), "runs.log ") << "nothing to copy in on a first run";
  EXPECT_EQ(ReadBytes(dataSave_ / "game.sav"), "first save");
  EXPECT_EQ(ReadBytes(dataSave_ / "probe.txt"), "data/Mirqmind.exe yes\nsave_data/$setup.mvdf yes\n");
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
  EXPECT_EQ(ReadBytes(dataSave_ / "b.sav"), "b") << "a save the game deleted stays beside the launcher";
  EXPECT_EQ(NamesIn(dataSave_), "a.sav b.sav old folder/ runs.log seen.txt ")
      << "the game's new folder does not come back";
  ExpectTreeEmptied();

  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadBytes(dataSave_ / "runs.log"), "run\nrun\n") << "the second run starts from the saves kept";
}

TEST_F(FlowTest, CompleteTreeIsReusedNotUnpacked) {
  PlantTree("write planted.sav yes\n", true);
  WriteBytes(extract_ / "left over.txt", "from a run that was cut off");
  Pack(GameItems("write unpacked.sav yes\n"));
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(fs::exists(dataSave_ / "planted.sav")) << "the tree already there must run";
  EXPECT_FALSE(fs::exists(dataSave_ / "unpacked.sav")) << "a complete tree must not be unpacked again";
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
  EXPECT_TRUE(fs::is_empty(extract_)) << "no save copied in, no entry written: " << NamesIn(extract_);
}

TEST_F(FlowTest, LauncherWithoutPackageFailsCleanly) {
  fs::copy_file(BuildBin() / MIRQ_GATE_FILE, launcher_);
  int code = Run();
  EXPECT_TRUE(IsBoxValue(code)) << "exit code " << code;
  ExpectMessage("Mirqgate: データの展開に失敗しました");
  EXPECT_FALSE(fs::exists(dataSave_)) << "the flow ends before the save folders";
}

}  // namespace
