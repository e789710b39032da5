#include "board_view.h"

#include <cctype>

#include "game_record.h"
#include "position/position.h"
#include "position/usi.h"

namespace {

const char* const kReset = "\x1b[0m";
const char* const kPlayerColour = "\x1b[1;36m";
const char* const kEngineColour = "\x1b[1;31m";
const char* const kMarked = "\x1b[7m";

// By kind 0..15 (code & 15); the kings differ by side.
const char* const kKanji[16] = {"  ", "歩", "香", "桂", "銀", "金", "角", "飛",
                                "玉", "と", "杏", "圭", "全", "  ", "馬", "龍"};

std::string ToLowerCopy(const char* s) {
  std::string r(s ? s : "");
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

std::string PlainCell(int code, bool marked) {
  std::string cell;
  if (code == EMP) {
    cell = " .";
  } else {
    int kind = KindOf(code);
    bool promoted = kind != OU && (kind & PROMOTED);
    char letter = KindLetter(promoted ? kind & 7 : kind);
    if (code & ENEMY) letter = static_cast<char>(std::tolower(letter));
    cell = std::string(1, promoted ? '+' : ' ') + letter;
  }
  return cell + (marked ? '*' : ' ');
}

std::string FancyCell(int code, bool marked) {
  std::string glyph;
  if (code == EMP) {
    glyph = " . ";
  } else {
    int kind = KindOf(code);
    const char* kanji = kind == OU && (code & ENEMY) ? "王" : kKanji[kind];
    glyph = std::string(" ") + ((code & ENEMY) ? kEngineColour : kPlayerColour) + kanji + kReset;
    if (marked)
      glyph = std::string(" ") + kMarked + ((code & ENEMY) ? kEngineColour : kPlayerColour) +
              kanji + kReset;
    return glyph;
  }
  return marked ? std::string(kMarked) + glyph + kReset : glyph;
}

}  // namespace

bool WantsFancy(const char* lcAll, const char* lcCtype, const char* lang, const char* term,
                const char* noColor, bool isTerminal) {
  if (!isTerminal) return false;
  if (noColor && *noColor) return false;
  std::string t = ToLowerCopy(term);
  if (t.empty() || t == "dumb") return false;
  // The first locale variable that is set decides, as in the C library.
  const char* locale = lcAll && *lcAll ? lcAll : lcCtype && *lcCtype ? lcCtype : lang;
  std::string l = ToLowerCopy(locale);
  return l.find("utf-8") != std::string::npos || l.find("utf8") != std::string::npos;
}

std::string RenderBoard(const GameState& game, const ViewStyle& style) {
  const Position& p = game.Board();
  int markFrom = 0, markTo = 0;
  if (const PlayedMove* last = game.LastMove()) {
    markFrom = last->move.from;
    markTo = last->move.to;
  }
  std::string out = "    9  8  7  6  5  4  3  2  1\n";
  out += "  +---------------------------+\n";
  for (int rank = 1; rank <= 9; ++rank) {
    out += "  |";
    for (int file = 9; file >= 1; --file) {
      int sq = MakeSquare(file, rank);
      bool marked = sq == markTo || (sq == markFrom && markFrom != 0);
      out += style.fancy ? FancyCell(p.Ban(sq), marked) : PlainCell(p.Ban(sq), marked);
    }
    out += "| ";
    out += static_cast<char>('a' + rank - 1);
    out += ' ';
    out += static_cast<char>('0' + rank);
    out += '\n';
  }
  out += "  +---------------------------+\n";
  return out;
}

std::string RenderLegend(const ViewStyle& style) {
  if (!style.fancy)
    return "Yours: upper case, moving up the board. Mirqmind's: lower case. * marks the last "
           "move.\n";
  return std::string("Yours: ") + kPlayerColour + "cyan" + kReset + ", moving up the board. " +
         "Mirqmind's: " + kEngineColour + "red" + kReset + ". The last move is highlighted.\n";
}

std::string RenderPlayer(const GameState& game, const ViewStyle& style) {
  static const char* const names[3] = {"red", "green", "blue"};
  static const char* const colours[3] = {"\x1b[31m", "\x1b[32m", "\x1b[34m"};
  std::string out = "Your points:";
  for (int i = 0; i < 3; ++i) {
    out += "  ";
    if (style.fancy) out += colours[i];
    out += names[i];
    if (style.fancy) out += kReset;
    out += " " + std::to_string(game.Points(i + 1));
  }
  out += "\nBought:";
  bool any = false;
  for (int kind = FU; kind <= HI; ++kind) {
    if (game.Bought(kind) == 0) continue;
    out += std::string("  ") + KindWord(kind) + " (" + KindLetter(kind) + ") x" +
           std::to_string(game.Bought(kind));
    any = true;
  }
  if (!any) out += "  nothing";
  out += '\n';
  return out;
}

std::string RenderMoveList(const GameState& game, size_t lastPlies, const std::string& label,
                           size_t width) {
  const auto& history = game.History();
  size_t first = history.size() > lastPlies ? history.size() - lastPlies : 0;
  if (first % 2) ++first;  // start with a full move
  std::vector<std::string> units;
  if (first > 0) units.push_back("...");
  for (size_t i = first; i < history.size(); ++i)
    units.push_back((i % 2 == 0 ? std::to_string(i / 2 + 1) + ". " : "") +
                    RecordedMove(history[i]));
  return WrapUnits(label, units, width);
}

std::string WrapUnits(const std::string& label, const std::vector<std::string>& units,
                      size_t width) {
  if (units.empty()) return "";
  std::string out = label, line;
  for (const std::string& u : units) {
    if (width && !line.empty() && label.size() + line.size() + 1 + u.size() > width) {
      out += line + "\n" + std::string(label.size(), ' ');
      line.clear();
    }
    line += (line.empty() ? "" : " ") + u;
  }
  return out + line + "\n";
}
