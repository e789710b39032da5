// Reading and writing the turn files.
#include "driver/turn_files.h"

#include <chrono>
#include <cstddef>
#include <cstring>
#include <thread>

#include "driver/folder_watch.h"
#include "driver/parent.h"
#include "driver/platform.h"

namespace {

constexpr char FOLDER_TEXT[] = "../save_data";

// The turn folder, a slash and a file name, joined when compiled.
template <std::size_t NameSize>
struct TurnPath {
  char text[sizeof FOLDER_TEXT + NameSize];
  constexpr explicit TurnPath(const char (&name)[NameSize]) : text{} {
    std::size_t at = 0;
    for (std::size_t i = 0; i + 1 < sizeof FOLDER_TEXT; ++i) text[at++] = FOLDER_TEXT[i];
    text[at++] = '/';
    for (std::size_t i = 0; i < NameSize; ++i) text[at++] = name[i];
  }
};

constexpr TurnPath SETUP_PATH(SETUP_NAME);
constexpr TurnPath SET_TE_PATH(SET_TE_NAME);
constexpr TurnPath SET_KOMA_PATH(SET_KOMA_NAME);
constexpr TurnPath POINTS_PATH(POINTS_NAME);
constexpr TurnPath ENEMY_TE_PATH(ENEMY_TE_NAME);
constexpr TurnPath ENEMY_PATH(ENEMY_NAME);

}  // namespace

const char* const TURN_FOLDER = FOLDER_TEXT;
const char* const SETUP_FILE = SETUP_PATH.text;
const char* const SET_TE_FILE = SET_TE_PATH.text;
const char* const SET_KOMA_FILE = SET_KOMA_PATH.text;
const char* const POINTS_FILE = POINTS_PATH.text;
const char* const ENEMY_TE_FILE = ENEMY_TE_PATH.text;
const char* const ENEMY_FILE = ENEMY_PATH.text;

std::FILE* OpenTurnFile(const char* path) {
  return OpenRegularFile(path);
}

bool ReadTurnLine(std::FILE* f, char line[TURN_LINE_CHARS + 1]) {
  line[0] = '\0';
  if (!f || !std::fgets(line, TURN_LINE_CHARS + 1, f)) return false;
  return line[0] != '\0';
}

std::FILE* CreateTurnFile(const char* path) {
  // The game program may hold the file for a moment; the answer must get
  // through, so the engine keeps trying for a while before it gives up.
  const auto start = std::chrono::steady_clock::now();
  for (int attempt = 0;; ++attempt) {
    if (ParentEnded() || !FolderExists(TURN_FOLDER)) return nullptr;
    if (std::FILE* f = CreateRegularFile(path)) return f;
    if (std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(WRITE_RETRY_MS))
      return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(attempt < 100 ? 1 : 20));
  }
}

bool WriteTurnFile(const char* path, const char* text) {
  std::FILE* f = CreateTurnFile(path);
  if (!f) return false;
  bool written = std::fputs(text, f) >= 0;
  return std::fclose(f) == 0 && written;
}

bool WriteTurnChar(const char* path, char c) {
  const char text[2] = {c, '\0'};
  return WriteTurnFile(path, text);
}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One field: blanks, then one or two hexadecimal digits. Only digits are
// taken (no sign, no "0x"), so the value is always 0..255.
bool ScanHexField(const char*& s, int& value) {
  while (IsBlank(*s)) ++s;
  int d = HexDigit(*s);
  if (d < 0) return false;
  value = d;
  ++s;
  if ((d = HexDigit(*s)) >= 0) {
    value = value * 16 + d;
    ++s;
  }
  return true;
}

}  // namespace

MoveLine ScanMoveLine(const char* line) {
  MoveLine m = {0, 0, 0, 0};
  const char* s = line;
  if (!ScanHexField(s, m.origin)) return m;
  m.numbers = 1;
  if (!ScanHexField(s, m.dest)) return m;
  m.numbers = 2;
  while (IsBlank(*s)) ++s;
  m.mark = *s;
  return m;
}

void FormatEngineMove(const Move& m, char text[8]) {
  if (IsDrop(m))
    std::snprintf(text, 8, "0%1d%2x", (m.piece - ENEMY) & 7, m.to);
  else
    std::snprintf(text, 8, "%2x%2x", m.from, m.to);
}
