// The launcher end to end the way players' machines behave: killed during
// play, interrupted, started twice, out of disk, on a machine shared with
// other users. The full disk is the platform stand-in's (MIRQ_FULL_DISK).
#include <csignal>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "flow_fixture.h"

namespace {

const char kAlreadyRunning[] = "Mirqgate: Mirq は既に起動しています";
const char kSavesInFailed[] =
    "Mirqgate: セーブデータの読み込みに失敗しました。セーブデータは変更されていません。";
const char kSavesBackFailed[] =
    "Mirqgate: セーブデータの保存に失敗しました。次回の起動時にもう一度保存します。";

#ifdef _WIN32
const int kKill = 9;  // the process is ended whatever the number
#else
const int kKill = SIGKILL;
#endif

using FaultTest = FlowTest;

TEST_F(FaultTest, SavesOfARunKilledDuringPlayAreCarriedBackFirst) {
  fs::create_directories(dataSave_);
  WriteBytes(dataSave_ / "game.sav", "saved before this play");
  WriteBytes(dataSave_ / "keep.sav", "newer beside the launcher");
  Pack(GameItems("write game.sav played before the kill\nhold\n"));
  ChildProcess first;
  Start(first);
  ASSERT_TRUE(WaitUntilPlaying());
  ASSERT_TRUE(first.Signal(kKill));
  int code = 0;
  ASSERT_TRUE(first.Wait(60 * 1000, code));
  WriteBytes(extract_ / "release", "");  // the orphaned game ends
  ASSERT_EQ(ReadBytes(extract_ / "savedata" / "game.sav"), "played before the kill")
      << "the kill left the tree";
  EXPECT_EQ(ReadBytes(dataSave_ / "game.sav"), "saved before this play");
  // A copy in the tree older than the one beside the launcher stays out.
  WriteBytes(extract_ / "savedata" / "keep.sav", "older in the tree");
  fs::last_write_time(extract_ / "savedata" / "keep.sav",
                      fs::last_write_time(dataSave_ / "keep.sav") - std::chrono::hours(1));

  fs::remove(extract_ / "playing");
  WriteBytes(extract_ / "fakegame.txt", "list\n");
  EXPECT_EQ(Run(), 0);
  ExpectMessage("");
  EXPECT_EQ(ReadBytes(dataSave_ / "game.sav"), "played before the kill");
  EXPECT_EQ(ReadBytes(dataSave_ / "seen.txt"), "game.sav keep.sav runs.log ")
      << "the next game starts from it";
  EXPECT_EQ(ReadBytes(dataSave_ / "keep.sav"), "newer beside the launcher");
  EXPECT_EQ(ReadBytes(dataSave_ / "runs.log"), "run\nrun\n");
  ExpectTreeEmptied();
}

TEST_F(FaultTest, SecondLauncherWhileAGameRunsChangesNothing) {
  fs::create_directories(dataSave_);
  WriteBytes(dataSave_ / "a.sav", "before");
  Pack(GameItems("write a.sav during play\nhold\n"));
  ChildProcess first;
  Start(first, "first.txt");
  ASSERT_TRUE(WaitUntilPlaying());
  int code = Run();
  EXPECT_TRUE(IsBoxValue(code)) << "exit code " << code;
  ExpectMessage(kAlreadyRunning);
  EXPECT_EQ(ReadBytes(dataSave_ / "a.sav"), "before") << "the second start copies nothing back";
  EXPECT_EQ(ReadBytes(extract_ / "savedata" / "a.sav"), "during play") << "nor in";
  EXPECT_TRUE(fs::exists(extract_ / "Mirq.exe")) << "and does not empty the running game's tree";

  WriteBytes(extract_ / "release", "");
  ASSERT_TRUE(first.Wait(60 * 1000, code));
  EXPECT_EQ(code, 0);
  ExpectMessage("", "first.txt");
  EXPECT_EQ(ReadBytes(dataSave_ / "a.sav"), "during play");
  ExpectTreeEmptied();
  WriteBytes(extract_ / "release", "");  // the next game need not wait
  EXPECT_EQ(Run(), 0) << "the tree is free once the first launcher has ended";
}

#ifndef _WIN32
void FullDisk(const fs::path& folder, size_t free) {
  setenv("MIRQ_FULL_DISK", folder.c_str(), 1);
  setenv("MIRQ_FULL_DISK_FREE", std::to_string(free).c_str(), 1);
}

TEST_F(FaultTest, DiskFullDuringCopyBackKeepsTheOldSaveAndTheTreesCopy) {
  fs::create_directories(dataSave_);
  WriteBytes(dataSave_ / "big.sav", "old");
  Pack(GameItems("fill big.sav 200000\n"));
  FullDisk(dataSave_, 100000);
  int code = Run();
  EXPECT_TRUE(IsBoxValue(code)) << "exit code " << code;
  ExpectMessage(kSavesBackFailed);
  EXPECT_EQ(ReadBytes(dataSave_ / "big.sav"), "old")
      << "the save is the whole old file, never a cut one";
  EXPECT_EQ(NamesIn(dataSave_).find(".mirq-part"), std::string::npos) << NamesIn(dataSave_);
  EXPECT_EQ(NamesIn(extract_), "savedata/ ") << "only the save folder stays, for the next start";
  EXPECT_EQ(ReadBytes(extract_ / "savedata" / "big.sav").size(), 200000u);

  unsetenv("MIRQ_FULL_DISK");  // room again
  Pack(GameItems("list\n"));
  EXPECT_EQ(Run(), 0);
  ExpectMessage("");
  EXPECT_EQ(ReadBytes(dataSave_ / "big.sav").size(), 200000u) << "the next start carried it back";
  EXPECT_EQ(ReadBytes(dataSave_ / "seen.txt"), "big.sav runs.log ");
  ExpectTreeEmptied();
}

TEST_F(FaultTest, FailedCopyInStartsNoGameAndTouchesNoSaves) {
  fs::create_directories(dataSave_);
  WriteBytes(dataSave_ / "a.sav", std::string(5000, 'a'));
  WriteBytes(dataSave_ / "b.sav", std::string(5000, 'b'));
  Pack(GameItems("write a.sav one new record\n"));
  FullDisk(extract_ / "savedata", 6000);
  int code = Run();
  EXPECT_TRUE(IsBoxValue(code)) << "exit code " << code;
  ExpectMessage(kSavesInFailed);
  EXPECT_EQ(NamesIn(dataSave_), "a.sav b.sav ") << "the game did not run and nothing came back";
  EXPECT_EQ(ReadBytes(dataSave_ / "a.sav"), std::string(5000, 'a'));
  ExpectTreeEmptied();
}

TEST_F(FaultTest, InterruptsDuringPlayReachTheGameNotTheLauncher) {
  Pack(GameItems("write game.sav saved before Ctrl-C\nhold\n"));
  ChildProcess launcher;
  Start(launcher);
  ASSERT_TRUE(WaitUntilPlaying());
  ASSERT_TRUE(launcher.Signal(SIGHUP));
  ASSERT_TRUE(launcher.Signal(SIGQUIT));
  ASSERT_TRUE(launcher.Signal(SIGINT, true)) << "Ctrl-C reaches the whole group";
  int code = -1;
  ASSERT_TRUE(launcher.Wait(60 * 1000, code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadBytes(dataSave_ / "game.sav"), "saved before Ctrl-C");
  ExpectTreeEmptied();
}

TEST_F(FaultTest, TemporaryFolderOfAnotherUserIsNeverUsed) {
  // The shared /tmp of a multi-user machine, where anyone may plant a
  // folder under the name the launcher would use.
  fs::path shared = root_ / "shared";
  fs::create_directories(shared / "planted");
  fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
  unsetenv("XDG_RUNTIME_DIR");
  setenv("TMPDIR", shared.c_str(), 1);
  fs::path own = shared / ("mirq-" + std::to_string(geteuid()));
  fs::copy_file(BuildBin() / MIRQ_FAKE_GAME_FILE, shared / "planted" / "Mirq.exe");
  WriteBytes(shared / "planted" / "start.mirq", "");
  Pack(GameItems("write never.sav x\n"));

  std::vector<std::string> plants = {"link", "group-writable"};
  if (geteuid() == 0) plants.push_back("another user's");
  for (const std::string& plant : plants) {
    fs::remove_all(own);
    if (plant == "link") {
      fs::create_directory_symlink(shared / "planted", own);
    } else {
      fs::create_directories(own / "MirqData");
      fs::permissions(own, plant == "group-writable" ? fs::perms::all : fs::perms::owner_all);
      if (plant != "group-writable") {
        ASSERT_EQ(lchown(own.c_str(), 65534, 65534), 0);
      }
    }
    int code = Run();
    EXPECT_TRUE(IsBoxValue(code)) << plant << ": exit code " << code;
    ExpectMessage("Mirqgate: データの展開に失敗しました");
    EXPECT_FALSE(fs::exists(shared / "planted" / "savedata"))
        << plant << ": the planted game must not run";
    EXPECT_FALSE(fs::exists(dataSave_)) << plant;
  }
  fs::remove_all(own);
  EXPECT_EQ(Run(), 0) << "a folder of the user's own is made";
  EXPECT_EQ(fs::status(own).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_TRUE(fs::exists(dataSave_ / "never.sav"));
}
#endif

}  // namespace
