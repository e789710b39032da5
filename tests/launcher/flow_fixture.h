// The launcher end to end: a packed launcher with a fake game program
// (fake_game.cpp) is run as its own process, with the temporary folder
// pointed at the test's scratch folder.
#pragma once

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "pack_writer.h"
#include "support/child_process.h"
#include "support/run_program.h"
#include "test_support.h"
#include "tree_identity.h"

// The exit code of the message box the launcher ended with: OK (1), or -1
// where the platform cannot show a box at all.
inline bool IsBoxValue(int code) {
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

  void TearDown() override {
#ifndef _WIN32
    unsetenv("MIRQ_FULL_DISK");
    unsetenv("MIRQ_FULL_DISK_FREE");
#endif
    ScratchTest::TearDown();
  }

  // Starts the launcher; what it writes to standard error lands in errors.
  void Start(ChildProcess& launcher, const std::string& errors = "stderr.txt") {
    ChildStreams streams;
    streams.errors = root_ / errors;
    ASSERT_TRUE(launcher.Start(launcher_, {}, streams));
  }

  // The launcher's exit code.
  int Run() {
    ChildProcess launcher;
    int code = -1000;
    Start(launcher);
    return launcher.Wait(300 * 1000, code) ? code : -1000;
  }

  // Waits until a game that has reached "hold" is playing.
  bool WaitUntilPlaying() {
    for (int i = 0; i < 3000 && !fs::exists(extract_ / "playing"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(extract_ / "playing");
  }

  // The record of the package the tree was unpacked from, as the launcher
  // writes it beside the tree.
  void PlantIdentity(const std::string& identity) {
    WriteBytes(tmp_ / "MirqData.id", identity);
  }

  // What the launcher's message boxes wrote; the real boxes write nothing.
  void ExpectMessage(const std::string& line, const std::string& errors = "stderr.txt") {
#ifndef _WIN32
    EXPECT_EQ(ReadBytes(root_ / errors), line.empty() ? line : line + "\n");
#else
    (void)line;
    (void)errors;
#endif
  }

  void ExpectTreeEmptied() {
    ASSERT_TRUE(fs::is_directory(extract_)) << "the working tree stays";
    EXPECT_TRUE(fs::is_empty(extract_))
        << "the working tree must be emptied, holds: " << NamesIn(extract_);
    EXPECT_FALSE(fs::exists(tmp_ / "tmp.mpk"));
  }

  fs::path tmp_, game_, extract_, dataSave_, launcher_;
};
