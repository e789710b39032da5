#include "notation.h"

#include <cctype>
#include <cstdio>
#include <sstream>
#include <vector>

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsBoardDigit(char c) {
  return c >= '1' && c <= '9';
}
bool IsRankLetter(char c) {
  return c >= 'a' && c <= 'i';
}

Command Invalid(const std::string& why) {
  Command c;
  c.kind = CommandKind::Invalid;
  c.error = why;
  return c;
}

// Strips a trailing promotion mark, noting it.
std::string TakePromotion(const std::string& text, bool& promote) {
  promote = false;
  if (!text.empty() && (text.back() == '+' || text.back() == '*')) {
    promote = true;
    return text.substr(0, text.size() - 1);
  }
  return text;
}

// The game's own notation: four digits, file and rank of origin and
// destination; origin "0k" drops a piece of kind k.
Command ParseGameNotation(const std::string& text, bool promote) {
  for (char c : text)
    if (!IsDigit(c)) return Invalid("a move in digits has four of them, like 7877 or 0455");
  if (!IsBoardDigit(text[2]) || !IsBoardDigit(text[3]))
    return Invalid("the destination " + text.substr(2) +
                   " is not a square (files and ranks are 1..9)");
  Command c;
  c.kind = CommandKind::Move;
  c.to = MakeSquare(text[2] - '0', text[3] - '0');
  c.promote = promote;
  if (text[0] == '0') {
    int kind = text[1] - '0';
    if (kind < FU || kind > HI)
      return Invalid("a drop starts with 0 and a kind 1..7 (1 pawn ... 7 rook), like 0455");
    c.dropKind = kind;
    return c;
  }
  if (!IsBoardDigit(text[1]))
    return Invalid("the origin " + text.substr(0, 2) +
                   " is not a square (files and ranks are 1..9)");
  c.from = MakeSquare(text[0] - '0', text[1] - '0');
  return c;
}

Command ParseUsiNotation(const std::string& text, bool promote) {
  Command c;
  c.kind = CommandKind::Move;
  c.promote = promote;
  if (!IsBoardDigit(text[2]) || !IsRankLetter(static_cast<char>(std::tolower(text[3]))))
    return Invalid("the destination " + text.substr(2) + " is not a square like 5e");
  c.to = MakeSquare(text[2] - '0', std::tolower(text[3]) - 'a' + 1);
  if (text[1] == '*') {
    int kind = ParseKindName(text.substr(0, 1));
    if (kind < FU || kind > HI)
      return Invalid("a drop names its piece by P, L, N, S, G, B or R, like S*5e");
    c.dropKind = kind;
    return c;
  }
  if (!IsBoardDigit(text[0]) || !IsRankLetter(static_cast<char>(std::tolower(text[1]))))
    return Invalid("the origin " + text.substr(0, 2) + " is not a square like 7g");
  c.from = MakeSquare(text[0] - '0', std::tolower(text[1]) - 'a' + 1);
  return c;
}

Command ParseBuy(const std::vector<std::string>& words) {
  static const char* usage =
      "buy KIND [A B C]: for example 'buy G 3 1 0' pays 3 red, 1 green and 0 blue points for a "
      "gold, 'buy G' the cheapest payment your points allow";
  if (words.size() != 5 && words.size() != 2) return Invalid(usage);
  Command c;
  c.kind = CommandKind::Buy;
  c.buyKind = ParseKindName(words[1]);
  if (c.buyKind < FU || c.buyKind > HI)
    return Invalid("'" + words[1] + "' is not a piece to buy (P L N S G B R, or 1..7)");
  c.payGiven = words.size() == 5;
  for (int i = 0; c.payGiven && i < 3; ++i) {
    const std::string& w = words[2 + i];
    if (w.size() != 1 || !IsDigit(w[0]))
      return Invalid("each payment is one digit 0..9, '" + w + "' is not");
    c.pay[i] = w[0] - '0';
  }
  return c;
}

}  // namespace

int ParseKindName(const std::string& word) {
  static const char* const names[8][4] = {
      {"", "", "", ""},           {"1", "p", "fu", "pawn"},   {"2", "l", "ky", "lance"},
      {"3", "n", "ke", "knight"}, {"4", "s", "gi", "silver"}, {"5", "g", "ki", "gold"},
      {"6", "b", "ka", "bishop"}, {"7", "r", "hi", "rook"},
  };
  std::string w = Lower(word);
  for (int kind = FU; kind <= HI; ++kind)
    for (const char* name : names[kind])
      if (w == name) return kind;
  return 0;
}

const char* KindWord(int kind) {
  static const char* const words[9] = {"none", "pawn",   "lance", "knight", "silver",
                                       "gold", "bishop", "rook",  "king"};
  return kind >= 0 && kind <= OU ? words[kind] : "none";
}

std::string PieceWord(int code) {
  int kind = KindOf(code);
  if (kind != OU && (kind & PROMOTED)) return std::string("promoted ") + KindWord(kind & 7);
  return KindWord(kind);
}

char KindLetter(int kind) {
  static const char letters[] = "?PLNSGBRK";
  return kind >= 0 && kind <= OU ? letters[kind] : '?';
}

Command ParseCommand(const std::string& line) {
  std::vector<std::string> words = Words(line);
  if (words.empty()) return Command{};
  std::string first = Lower(words[0]);
  Command c;
  if (first == "buy") return ParseBuy(words);
  static const struct {
    const char* word;
    CommandKind kind;
  } commands[] = {
      {"help", CommandKind::Help},   {"?", CommandKind::Help},
      {"h", CommandKind::Help},      {"moves", CommandKind::Moves},
      {"board", CommandKind::Board}, {"history", CommandKind::History},
      {"hint", CommandKind::Hint},   {"resign", CommandKind::Resign},
      {"new", CommandKind::New},     {"quit", CommandKind::Quit},
      {"exit", CommandKind::Quit},   {"q", CommandKind::Quit},
  };
  std::string shown = words[0];
  for (size_t i = 1; i < words.size(); ++i) shown += " " + words[i];
  for (const auto& cmd : commands) {
    if (first != cmd.word) continue;
    if (words.size() > 1) return Invalid("'" + first + "' takes nothing after it");
    c.kind = cmd.kind;
    return c;
  }
  // Every move holds a digit; a word without one is a command.
  if (first.find_first_of("0123456789") == std::string::npos)
    return Invalid("unknown command '" + shown + "'; type 'help' for the commands");
  if (words.size() == 1) {
    bool promote = false;
    std::string text = TakePromotion(words[0], promote);
    if (text.size() == 4) {
      if (IsDigit(text[0]) && IsDigit(text[1])) return ParseGameNotation(text, promote);
      return ParseUsiNotation(text, promote);
    }
  }
  return Invalid("unknown input '" + shown + "'; type a move like 7877 or 7h7g, or 'help'");
}

std::string FormatMoveLine(const Move& m) {
  char buf[8];
  if (IsDrop(m))
    std::snprintf(buf, sizeof buf, "0%1d%02x", KindOf(m.piece), m.to);
  else
    std::snprintf(buf, sizeof buf, "%02x%02x", m.from, m.to);
  return buf;
}

std::string FormatPurchaseLine(int kind, const int pay[3]) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%1d%1d%1d%1d", kind, pay[0], pay[1], pay[2]);
  return buf;
}

bool ParseEngineMoveLine(const std::string& text, int& from, int& dropKind, int& to) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  if (text.size() < 4) return false;
  int d[4];
  for (int i = 0; i < 4; ++i)
    if ((d[i] = hex(text[i])) < 0) return false;
  to = d[2] * 16 + d[3];
  if (!IsSquare(to)) return false;
  if (d[0] == 0) {
    from = 0;
    dropKind = d[1];
    return dropKind >= FU && dropKind <= HI;
  }
  from = d[0] * 16 + d[1];
  dropKind = 0;
  return IsSquare(from);
}
