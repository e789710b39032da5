// A scripted stand-in for the engine, for testing the game program before
// and beside the real one. It speaks the turn files from "../save_data/":
// accepts the first player's legal moves, judges purchases by the payment
// table, answers each move with its own first legal move, and writes a
// result as soon as the game is over or after a set number of moves.
//
// Environment:
//   MIRQ_FAKE_MOVES=N    end the game after the player's N-th accepted move
//   MIRQ_FAKE_RESULT=R   the result written then (default 6)
//   MIRQ_FAKE_CRASH=1    exit with status 3 on the first move request
//   MIRQ_FAKE_THINK_MS=T think T milliseconds before each of its moves
//   MIRQ_FAKE_LAST_MOVE=1 the game ends with a move of its own: its move,
//                        "1" and the result at once, as a mate does
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "position/keys.h"
#include "position/makemove.h"
#include "position/movegen.h"
#include "position/position.h"

namespace {

std::string ReadLine(const char* name) {
  std::string path = std::string("../save_data/") + name;
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return "";
  char buf[80] = "";
  if (!std::fgets(buf, sizeof buf, f)) buf[0] = 0;
  std::fclose(f);
  return buf;
}

void Write(const char* name, const std::string& text) {
  std::string path = std::string("../save_data/") + name;
  for (;;) {
    if (std::FILE* f = std::fopen(path.c_str(), "w+")) {
      std::fputs(text.c_str(), f);
      std::fclose(f);
      return;
    }
  }
}

void FillHand(Position& p, int side, int value) {
  for (int k = FU; k <= HI; ++k) p.Motigoma[side + k] = value;
}

bool PaymentOk(const std::string& line) {
  int d[4] = {0, 0, 0, 0};
  int n = std::sscanf(line.c_str(), "%1d%1d%1d%1d", &d[0], &d[1], &d[2], &d[3]);
  if (n < 2) return false;
  int a = d[1], b = d[2], c = d[3], sum = a + b + c;
  bool each = a >= 1 && b >= 1 && c >= 1, three = a >= 3 || b >= 3 || c >= 3;
  switch (d[0]) {
    case 1:
      return sum == 1;
    case 2:
      return sum == 2;
    case 3:
      return a == 1 && b == 1 && c == 1;
    case 4:
      return each && sum == 4;
    case 5:
      return sum == 4 && three;
    case 6:
      return each && sum == 7;
    case 7:
      return sum == 7 && three;
    default:
      return false;
  }
}

}  // namespace

int main() {
  const char* movesEnv = std::getenv("MIRQ_FAKE_MOVES");
  const char* resultEnv = std::getenv("MIRQ_FAKE_RESULT");
  const bool crash = std::getenv("MIRQ_FAKE_CRASH") != nullptr;
  const int endAfter = movesEnv ? std::atoi(movesEnv) : -1;
  const char* thinkEnv = std::getenv("MIRQ_FAKE_THINK_MS");
  const int thinkMs = thinkEnv ? std::atoi(thinkEnv) : 0;
  const std::string scriptedResult = resultEnv ? resultEnv : "6";
  const bool endsWithOwnMove = std::getenv("MIRQ_FAKE_LAST_MOVE") != nullptr;

  InitHashKeys();
  Position p;
  const int32_t hand[EHI + 1] = {};
  SetUp(p, 0, StartDiagram, hand);
  int accepted = 0;
  for (;;) {
    Move list[MAX_MOVES];
    FillHand(p, SELF, 1);
    int n = GenerateMoves(p, SELF, list);
    FillHand(p, SELF, 0);
    if (n == 0) {
      Write("$enemy.mvdf", "6");
      return 0;
    }
    // The player's turn: poll with a short sleep until a move is accepted.
    Move chosen{};
    for (bool done = false; !done;) {
      std::string setup = ReadLine("$setup.mvdf");
      if (setup.empty() || (setup[0] != '3' && setup[0] != '4')) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      if (setup[0] == '4') {
        Write("$setup.mvdf", PaymentOk(ReadLine("$setKoma.mvdf")) ? "2" : "1");
        continue;
      }
      if (crash) return 3;
      unsigned from = 0, to = 0;
      char mark[2] = "";
      std::string line = ReadLine("$setTe.mvdf");
      if (std::sscanf(line.c_str(), "%02x%02x%1s", &from, &to, mark) < 2) return 1;
      int piece = from < 8 ? SELF + static_cast<int>(from) : (from <= 0x99 ? p.Ban(from) : 0);
      if (from < 8 && from >= 1) p.Motigoma[piece] += 1;
      Write("$enemy.mvdf", "0");
      bool legal = false;
      for (int i = 0; i < n && !legal; ++i) {
        const Move& m = list[i];
        if ((from < 8 ? m.from == 0 : m.from == from) && m.to == to && m.piece == piece &&
            m.promote == (mark[0] == '*')) {
          chosen = m;
          legal = true;
        }
      }
      if (!legal) {
        Write("$setup.mvdf", "1");
        continue;
      }
      Write("$points.mvdf", "000");
      Write("$setup.mvdf", "2");
      done = true;
    }
    MakeMove(p, SELF, chosen);
    ++accepted;
    if (accepted == endAfter && !endsWithOwnMove) {
      Write("$enemy.mvdf", scriptedResult);
      return 0;
    }
    FillHand(p, ENEMY, 0);
    n = GenerateMoves(p, ENEMY, list);
    if (n == 0) {
      Write("$enemy.mvdf", "5");
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(thinkMs));
    const Move& reply = list[0];
    char text[8];
    if (IsDrop(reply))
      std::snprintf(text, sizeof text, "0%1d%2x", reply.piece - 32, reply.to);
    else
      std::snprintf(text, sizeof text, "%2x%2x", reply.from, reply.to);
    Write("$enemyTe.mvdf", text);
    Write("$enemy.mvdf", "1");
    if (accepted == endAfter) {
      Write("$enemy.mvdf", scriptedResult);
      return 0;
    }
    MakeMove(p, ENEMY, reply);
  }
}
