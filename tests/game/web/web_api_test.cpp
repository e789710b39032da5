// mirq-web's API as the page uses it, through an HTTP client, against the
// real engine in a game tree laid out as the launcher unpacks it.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <random>
#include <thread>

#include "game_record.h"
#include "support/child_process.h"
#include "support/files.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class WebApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path bin = BuildBin();
    ASSERT_FALSE(bin.empty()) << "MIRQ_BIN is not set; run the tests through ctest";
    fs::create_directories(tree / "data");
    fs::copy_file(bin / "mirq-web", tree / "Mirq.exe");
    fs::copy_file(bin / "mirqmind", tree / "data" / "Mirqmind");
    const char* source = std::getenv("MIRQ_SOURCE");
    ASSERT_NE(source, nullptr);
    fs::copy(fs::path(source) / "game" / "web" / "page", tree / "web");
  }

  void TearDown() override {
    if (port) Post("/api/quit");
    Finish();
  }

  // Starts the program as the launcher does (no arguments, another current
  // folder) and reads the address it prints.
  void Launch(double idleSeconds = 0) {
    setenv("MIRQ_BROWSER", "none", 1);
    if (idleSeconds > 0) setenv("MIRQ_WEB_IDLE_SECONDS", std::to_string(idleSeconds).c_str(), 1);
    ChildStreams streams(dir.path());
    streams.output = dir / "output.txt";
    ASSERT_TRUE(program.Start(tree / "Mirq.exe", {}, streams));
    unsetenv("MIRQ_WEB_IDLE_SECONDS");
    std::string text;
    for (int i = 0; i < 500 && text.find('\n') == std::string::npos; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      text = ReadBytes(dir / "output.txt");
    }
    size_t at = text.find("http://127.0.0.1:");
    ASSERT_NE(at, std::string::npos) << "no address printed: " << text;
    port = std::atoi(text.c_str() + at + 17);
    size_t tok = text.find("token=");
    ASSERT_NE(tok, std::string::npos) << text;
    token = text.substr(tok + 6, 32);
    client = std::make_unique<httplib::Client>("127.0.0.1", port);
    client->set_read_timeout(std::chrono::seconds(60));
    if (idleSeconds > 0) return;
    json s = State();
    for (int i = 0; i < 30 && s["phase"] == "starting"; ++i) s = State(s["version"], 20);
    ASSERT_EQ(s["phase"], "your-turn") << s.dump();
  }

  // Waits for the program to end: its exit status, -1 if it did not.
  int Finish(int seconds = 60) {
    int status = -1;
    if (program.Running() && !program.Wait(seconds * 1000, status)) program.Stop();
    output = ReadBytes(dir / "output.txt");
    return status;
  }

  json Post(const std::string& path, const json& body = json::object()) {
    auto res = client->Post((path + "?token=" + token).c_str(), body.dump(), "application/json");
    if (!res) return json{{"status", -1}};
    json j = json::parse(res->body, nullptr, false);
    if (!j.is_object()) j = json::object();
    j["status"] = res->status;
    return j;
  }

  json State(long since = -1, int wait = 0) {
    auto res = client->Get(("/api/state?token=" + token + "&since=" + std::to_string(since) +
                            "&wait=" + std::to_string(wait))
                               .c_str());
    return res && res->status == 200 ? json::parse(res->body) : json();
  }

  // The state once the engine has answered the player's last move.
  json AfterEngine() {
    json s = State();
    for (int i = 0; i < 30 && s["phase"] == "thinking"; ++i) s = State(s["version"], 20);
    return s;
  }

  // Plays m (a move of the legal list) and waits for the engine's reply.
  json PlayAndWait(const json& m) {
    json r = Post("/api/move", {{"move", m["usi"]}});
    EXPECT_EQ(r["ok"], true) << m << " " << r;
    return AfterEngine();
  }

  ScratchDir dir;
  fs::path tree = dir / "tree";
  ChildProcess program;
  std::unique_ptr<httplib::Client> client;
  int port = 0;
  std::string token;
  std::string output;
};

TEST_F(WebApiTest, MovesAreCheckedPlayedAndAnswered) {
  Launch();
  json r = Post("/api/move", {{"move", "7g7e"}});
  EXPECT_EQ(r["ok"], false);
  EXPECT_EQ(r["reason"], "Not allowed: there is no piece of yours on 7g.");
  r = Post("/api/move", {{"move", "7h7f"}});
  EXPECT_EQ(r["reason"], "Not allowed: your pawn on 7h cannot reach 7f.");

  r = Post("/api/move", {{"move", "7877"}});  // the game's own notation
  ASSERT_EQ(r["ok"], true) << r;
  json s = AfterEngine();
  ASSERT_EQ(s["phase"], "your-turn") << s.dump();
  ASSERT_EQ(s["log"].size(), 2u);
  EXPECT_EQ(s["log"][0]["usi"], "7h7g");
  EXPECT_EQ(s["log"][1]["side"], "engine");
  EXPECT_EQ(s["last"]["engine"], s["log"][1]);
  EXPECT_FALSE(s["legal"].empty());

  // A hint is one of the legal moves, shown until a move is made.
  json hint = Post("/api/hint");
  ASSERT_EQ(hint["ok"], true) << hint;
  s = State();
  bool listed = false;
  for (const json& m : s["legal"]) listed |= m == s["hintMove"];
  EXPECT_TRUE(listed) << s["hintMove"];
  EXPECT_EQ(s["hint"], hint["hint"]);

  // Leaving mid-game keeps the game as unfinished and ends the program.
  EXPECT_EQ(Post("/api/quit")["ok"], true);
  port = 0;
  EXPECT_EQ(Finish(), 0) << output;
  std::string games = ReadBytes(tree / "savedata" / "games.txt");
  EXPECT_NE(
      games.find(" unfinished quit startpos moves 7h7g " + s["log"][1]["usi"].get<std::string>()),
      std::string::npos)
      << games;
}

TEST_F(WebApiTest, StrangersAreRefused) {
  Launch();
  auto get = [&](const std::string& path, httplib::Headers headers) {
    auto res = client->Get(path.c_str(), headers);
    return res ? res->status : -1;
  };
  EXPECT_EQ(get("/api/state?token=" + token, {}), 200);
  EXPECT_EQ(get("/", {}), 200) << "the page itself";
  EXPECT_EQ(get("/api/state", {}), 403) << "no token";
  EXPECT_EQ(get("/api/state?token=" + std::string(32, '0'), {}), 403) << "wrong token";
  const std::string host = "127.0.0.1:" + std::to_string(port);
  EXPECT_EQ(
      get("/api/state?token=" + token, {{"Host", "attacker.example:" + std::to_string(port)}}),
      403);
  EXPECT_EQ(get("/", {{"Host", "attacker.example"}}), 403) << "the page itself is Host-checked";
  EXPECT_EQ(get("/api/state?token=" + token, {{"Origin", "http://attacker.example"}}), 403);
  auto res = client->Post("/api/move?token=bad", json{{"move", "7h7g"}}.dump(), "application/json");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 403);
  EXPECT_EQ(State()["log"].size(), 0u) << "a refused request played a move";
}

TEST_F(WebApiTest, PointsBuyAPieceThatIsThenDropped) {
  Launch();
  // The king picks up the point under every square it steps on; walk it
  // until two points buy a lance.
  json s = State();
  for (int turn = 0; turn < 12; ++turn) {
    json pts = s["you"]["points"];
    if (pts[0].get<int>() + pts[1].get<int>() + pts[2].get<int>() >= 2) break;
    json pick;
    for (const json& m : s["legal"]) {
      int from = m["from"];
      int cell = from ? s["board"][((from & 15) - 1) * 9 + 9 - (from >> 4)].get<int>() : 0;
      if (cell == 24 || (pick.is_null() && m["usi"] == "5h5g")) pick = m;  // 24: the player's king
    }
    if (pick.is_null()) pick = s["legal"][0];
    s = PlayAndWait(pick);
    ASSERT_EQ(s["phase"], "your-turn") << s.dump();
  }
  json offers = s["offers"][2];
  ASSERT_FALSE(offers.empty()) << s.dump();
  json pay = offers[0];
  json before = s["you"]["points"];
  json r = Post("/api/buy", {{"kind", 2}, {"pay", pay}});
  ASSERT_EQ(r["ok"], true) << r;
  s = State();
  EXPECT_EQ(s["you"]["bought"][2], 1);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(s["you"]["points"][i].get<int>(), before[i].get<int>() - pay[i].get<int>());
  EXPECT_EQ(Post("/api/buy", {{"kind", 7}, {"pay", {7, 0, 0}}})["ok"], false) << "unaffordable";

  json drop;
  for (const json& m : s["legal"])
    if (m["drop"] == 2) drop = m;
  ASSERT_FALSE(drop.is_null()) << "no lance drop offered";
  s = PlayAndWait(drop);
  EXPECT_EQ(s["you"]["bought"][2], 0);
  json log = s["log"];
  bool dropped = false;
  for (const json& e : log) dropped |= e.contains("usi") && e["usi"] == drop["usi"];
  EXPECT_TRUE(dropped) << log.dump();
}

TEST_F(WebApiTest, AutoplayedGameReachesAResultAndIsRecorded) {
  Launch();
  std::mt19937 rng(11);
  json s = State();
  for (int turn = 0; turn < 400 && s["phase"] == "your-turn"; ++turn) {
    if (s["legal"].empty()) {
      // Only a drop answers: buy any piece the points allow.
      bool bought = false;
      for (int kind = 1; kind <= 7 && !bought; ++kind)
        if (!s["offers"][kind].empty())
          bought = Post("/api/buy", {{"kind", kind}, {"pay", s["offers"][kind][0]}})["ok"] == true;
      ASSERT_TRUE(bought) << s.dump();
      s = State();
      continue;
    }
    s = PlayAndWait(s["legal"][rng() % s["legal"].size()]);
  }
  ASSERT_EQ(s["phase"], "over") << s.dump();
  int code = s["result"]["code"];
  EXPECT_TRUE(code == 5 || code == 6 || code == 7) << s.dump();

  // The move that ended the game is on the board and named in the result
  // (unless the game program itself ended a game the player could not go on with).
  if (s["note"] == "") {
    std::string last = s["log"].back()["usi"];
    EXPECT_NE(s["result"]["final"].get<std::string>().find(" final move: " + last),
              std::string::npos)
        << s["result"].dump();
  }
  std::string moves;
  for (const json& e : s["log"])
    if (e.contains("usi")) moves += " " + e["usi"].get<std::string>();
  std::string games = ReadBytes(tree / "savedata" / "games.txt");
  GameRecord record;
  GameState replayed;
  std::string why;
  ASSERT_TRUE(ParseGameRecord(games.substr(0, games.find('\n')), record, why)) << why << games;
  ASSERT_TRUE(ReplayGameRecord(record, replayed, why)) << why << games;
  std::string recorded;
  for (const PlayedMove& pm : replayed.History()) recorded += " " + RecordedMove(pm);
  EXPECT_EQ(recorded, moves) << "the record differs from the game shown:\n" << games;
  EXPECT_EQ(record.result, code) << games;
  const json& t = s["totals"];
  EXPECT_EQ(t["won"].get<int>() + t["lost"].get<int>() + t["drawn"].get<int>(), 1) << t;
}

TEST_F(WebApiTest, ResigningLosesAndANewGameStartsAfresh) {
  Launch();
  ASSERT_EQ(Post("/api/move", {{"move", "5h5g"}})["ok"], true);
  ASSERT_EQ(Post("/api/resign")["ok"], true);
  json s = AfterEngine();
  ASSERT_EQ(s["phase"], "over") << s.dump();
  EXPECT_EQ(s["result"]["code"], 6);
  EXPECT_EQ(s["result"]["how"], "resigned");
  EXPECT_EQ(s["totals"]["lost"], 1);
  EXPECT_EQ(Post("/api/move", {{"move", "7h7g"}})["ok"], false) << "a move after the end";

  ASSERT_EQ(Post("/api/new")["ok"], true);
  s = State();
  for (int i = 0; i < 30 && s["phase"] == "starting"; ++i) s = State(s["version"], 20);
  EXPECT_EQ(s["phase"], "your-turn");
  EXPECT_EQ(s["game"], 2);
  EXPECT_TRUE(s["log"].empty());
  EXPECT_NE(ReadBytes(tree / "savedata" / "games.txt").find(" lost resigned startpos moves 5h5g"),
            std::string::npos);
}

TEST_F(WebApiTest, EndsByItselfWhenNoPageComes) {
  Launch(1);
  port = 0;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Finish(), 0) << output;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_NE(output.find("No page has been open"), std::string::npos) << output;
}

}  // namespace
