// SFEN positions, USI moves and position texts. Everything read here comes from people or
// files, so every field is checked before the Position is set up.
#include "position/usi.h"

#include <cstring>
#include <vector>

#include "position/makemove.h"
#include "position/movegen.h"
#include "position/pieces.h"
#include "position/position.h"

namespace {

// Letters of kinds 1..8 (pawn..king) in USI notation.
const char KIND_LETTERS[] = "PLNSGBRK";
// Hand order of a written SFEN: rook, bishop, gold, silver, knight, lance, pawn.
const int HAND_ORDER[] = {HI, KA, KI, GI, KE, KY, FU};

// Kind 1..8 of an upper-case letter, 0 if none.
int KindOfLetter(char c) {
  const char* at = std::strchr(KIND_LETTERS, c);
  return (c != '\0' && at != nullptr) ? int(at - KIND_LETTERS) + 1 : 0;
}

bool IsUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
bool IsLower(char c) {
  return c >= 'a' && c <= 'z';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char ToUpper(char c) {
  return IsLower(c) ? char(c - 'a' + 'A') : c;
}
char ToLower(char c) {
  return IsUpper(c) ? char(c - 'A' + 'a') : c;
}

// Name of a kind 1..15 for messages.
const char* KindWord(int kind) {
  static const char* const words[] = {"piece", "pawn",   "lance", "knight", "silver",
                                      "gold",  "bishop", "rook",  "king"};
  if (kind > OU) return "promoted piece";
  return words[kind >= 0 ? kind : 0];
}

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  std::string cur;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (!cur.empty()) fields.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) fields.push_back(cur);
  return fields;
}

// Reads one rank of the board field (the text between two '/') into
// diagram order; file is left at the next file to fill, 0 when the rank is
// full. Pieces of SELF are upper case.
bool ParseRank(const std::string& text, int rank, uint8_t diagram[81], int& file,
               std::string& why) {
  file = 9;
  bool promoted = false;
  for (char c : text) {
    if (IsDigit(c)) {
      if (promoted || c == '0') {
        why = std::string("unexpected '") + c + "' on rank " + std::to_string(rank);
        return false;
      }
      file -= c - '0';
      if (file < 0) {
        why = "rank " + std::to_string(rank) + " runs off the board (more than 9 squares)";
        return false;
      }
      continue;
    }
    if (c == '+') {
      if (promoted) {
        why = "'++' on rank " + std::to_string(rank);
        return false;
      }
      promoted = true;
      continue;
    }
    int kind = KindOfLetter(ToUpper(c));
    if (kind == 0 || !(IsUpper(c) || IsLower(c))) {
      why = std::string("unknown piece letter '") + c + "' on rank " + std::to_string(rank);
      return false;
    }
    if (promoted && !CanPromoteKind(kind)) {
      why = std::string("'+") + c + "' on rank " + std::to_string(rank) +
            ": that piece cannot be promoted";
      return false;
    }
    if (file == 0) {
      why = "rank " + std::to_string(rank) + " runs off the board (more than 9 squares)";
      return false;
    }
    int side = IsUpper(c) ? SELF : ENEMY;
    diagram[DiagramIndex(MakeSquare(file, rank))] =
        uint8_t(side | kind | (promoted ? PROMOTED : 0));
    promoted = false;
    --file;
  }
  if (promoted) {
    why = "'+' not followed by a piece on rank " + std::to_string(rank);
    return false;
  }
  return true;
}

// Reads the board field, ranks 1..9 separated by '/', into diagram order.
bool ParseBoard(const std::string& text, uint8_t diagram[81], std::string& why) {
  std::memset(diagram, EMP, 81);
  int rank = 1;
  int file = 9;
  for (size_t begin = 0;;) {
    const size_t end = text.find('/', begin);
    const std::string row = text.substr(begin, end == std::string::npos ? end : end - begin);
    if (!ParseRank(row, rank, diagram, file, why)) return false;
    if (end == std::string::npos) break;
    if (file != 0) {
      why = "rank " + std::to_string(rank) + " has only " + std::to_string(9 - file) +
            " squares (need 9)";
      return false;
    }
    if (++rank > 9) {
      why = "the board has more than 9 ranks";
      return false;
    }
    begin = end + 1;
  }
  if (rank != 9) {
    why = "the board has " + std::to_string(rank) + " ranks (need 9)";
    return false;
  }
  if (file != 0) {
    why = "rank 9 has only " + std::to_string(9 - file) + " squares (need 9)";
    return false;
  }
  return true;
}

bool ParseHands(const std::string& text, int32_t hand[EHI + 1], std::string& why) {
  for (int c = 0; c <= EHI; ++c) hand[c] = 0;
  if (text == "-") return true;
  bool seen[EHI + 1] = {};
  size_t i = 0;
  while (i < text.size()) {
    long count = 1;
    if (IsDigit(text[i])) {
      count = 0;
      while (i < text.size() && IsDigit(text[i])) {
        count = count * 10 + (text[i++] - '0');
        if (count > 100000) count = 100000;  // large enough to be refused below
      }
      if (i == text.size()) {
        why = "hands end in a count without a piece";
        return false;
      }
      if (count == 0) {
        why = "hands hold a zero count";
        return false;
      }
    }
    char c = text[i++];
    int kind = KindOfLetter(ToUpper(c));
    if (kind == 0 || kind == OU || !(IsUpper(c) || IsLower(c))) {
      why = std::string("'") + c + "' cannot be held in hand";
      return false;
    }
    int code = (IsUpper(c) ? SELF : ENEMY) | kind;
    if (seen[code]) {
      why = std::string("hands list '") + c + "' twice";
      return false;
    }
    seen[code] = true;
    if (count > HAND_MAX) {
      why = std::string("more than ") + std::to_string(HAND_MAX) + " of '" + c + "' in hand (" +
            std::to_string(count) + ")";
      return false;
    }
    hand[code] = int32_t(count);
  }
  return true;
}

// A drop or a board move that the text names, before any legality test.
struct MoveText {
  bool drop;
  int kind;  // drops only
  int from;
  int to;
  bool promote;
};

bool ReadMoveText(const std::string& text, MoveText& mt) {
  mt = MoveText{false, 0, 0, 0, false};
  if (text.size() == 4 && text[1] == '*') {
    mt.drop = true;
    mt.kind = KindOfLetter(text[0]);
    mt.to = ParseUsiSquare(text.substr(2));
    return mt.kind >= FU && mt.kind <= HI && mt.to != 0;
  }
  if (text.size() != 4 && !(text.size() == 5 && text[4] == '+')) return false;
  mt.from = ParseUsiSquare(text.substr(0, 2));
  mt.to = ParseUsiSquare(text.substr(2, 2));
  mt.promote = text.size() == 5;
  return mt.from != 0 && mt.to != 0;
}

}  // namespace

int ParseUsiSquare(const std::string& text) {
  if (text.size() != 2) return 0;
  int file = text[0] - '0';
  int rank = text[1] - 'a' + 1;
  if (file < 1 || file > 9 || rank < 1 || rank > 9) return 0;
  return MakeSquare(file, rank);
}

std::string FormatUsiSquare(int sq) {
  if (!IsSquare(sq)) return "??";
  return std::string(1, char('0' + FileOf(sq))) + char('a' + RankOf(sq) - 1);
}

std::string FormatUsiMove(const Move& m) {
  if (IsEmptyMove(m)) return "none";
  if (IsDrop(m)) {
    int kind = m.piece & 7;
    char letter = kind >= FU ? KIND_LETTERS[kind - 1] : '?';
    return std::string(1, letter) + "*" + FormatUsiSquare(m.to);
  }
  return FormatUsiSquare(m.from) + FormatUsiSquare(m.to) + (m.promote ? "+" : "");
}

bool ParseUsiMove(const Position& p, int side, const std::string& text, bool allowPromotion,
                  Move& out, std::string& why) {
  MoveText mt;
  if (!ReadMoveText(text, mt)) {
    why = "malformed move '" + text + "' (expected a move like 7g7f, 7g7f+ or P*5e)";
    return false;
  }
  const std::string head = "illegal move '" + text + "': ";
  int piece;
  if (mt.drop) {
    piece = side | mt.kind;
    if (p.Motigoma[piece] <= 0) {
      why = head + "no " + KindWord(mt.kind) + " in hand";
      return false;
    }
  } else {
    piece = p.Ban(mt.from);
    if (piece == EMP) {
      why = head + "no piece on " + FormatUsiSquare(mt.from);
      return false;
    }
    if (!(piece & side)) {
      why = head + "the piece on " + FormatUsiSquare(mt.from) + " belongs to the other side";
      return false;
    }
  }
  if (mt.promote) {
    if (!allowPromotion) {
      why = head + "promotion is not allowed here";
      return false;
    }
    if (!CanPromoteKind(KindOf(piece))) {
      why = head + "a " + KindWord(KindOf(piece)) + " cannot promote";
      return false;
    }
    if (!InPromotionZone(side, mt.from) && !InPromotionZone(side, mt.to)) {
      why = head + "neither " + FormatUsiSquare(mt.from) + " nor " + FormatUsiSquare(mt.to) +
            " is in the promotion zone";
      return false;
    }
  }
  MoveList list;
  int n = GenerateMoves(p, side, list);
  for (int i = 0; i < n; ++i) {
    const Move& m = list[i];
    if (m.from == mt.from && m.to == mt.to && m.piece == piece && m.promote == 0) {
      out = m;
      out.promote = mt.promote ? 1 : 0;
      return true;
    }
  }
  why = head + "not a legal move in this position";
  return false;
}

namespace {

bool ParseSide(const std::string& text, int& side, std::string& why) {
  if (text != "b" && text != "w") {
    why = "bad SFEN side '" + text + "' (expected b or w)";
    return false;
  }
  side = text == "b" ? SELF : ENEMY;
  return true;
}

bool ParseMoveNumber(const std::string& text, long& moveNumber, std::string& why) {
  moveNumber = 0;
  bool numeric = !text.empty() && text.size() <= 6;
  for (char c : text) {
    numeric = numeric && IsDigit(c);
    if (numeric) moveNumber = moveNumber * 10 + (c - '0');
  }
  if (!numeric || moveNumber < 1 || moveNumber > GAME_PLY_LIMIT) {
    why =
        "bad SFEN move number '" + text + "' (expected 1.." + std::to_string(GAME_PLY_LIMIT) + ")";
    return false;
  }
  return true;
}

// Kings: exactly one per side; the side not to move must not be in check,
// or the side to move could take a king, which no move list may hold.
bool CheckKings(const uint8_t diagram[81], int toMove, std::string& why) {
  Position board;
  std::memset(board.Cells, WALL, sizeof board.Cells);
  int kings[2] = {0, 0};
  int kingCount[2] = {0, 0};
  for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq) {
    if (!IsSquare(sq)) continue;
    int code = diagram[DiagramIndex(sq)];
    board.Ban(sq) = uint8_t(code);
    if (code == SOU || code == EOU) {
      kings[SideIndex(code & 48)] = sq;
      ++kingCount[SideIndex(code & 48)];
    }
  }
  for (int s : {SELF, ENEMY}) {
    const char* name = s == SELF ? "SELF king (K)" : "ENEMY king (k)";
    if (kingCount[SideIndex(s)] == 0) {
      why = std::string("bad SFEN board: no ") + name;
      return false;
    }
    if (kingCount[SideIndex(s)] > 1) {
      why = std::string("bad SFEN board: more than one ") + name;
      return false;
    }
  }
  if (Attackers(board, toMove, kings[SideIndex(Opponent(toMove))]) != 0) {
    why = "bad SFEN position: the side not to move is in check";
    return false;
  }
  return true;
}

// Every move list holds MAX_MOVES moves; a position that fills one may
// have more, which no list could show, so its answers would be wrong.
bool CheckMoveCount(const Position& p, int toMove, std::string& why) {
  MoveList list;
  if (GenerateMoves(p, toMove, list) >= MAX_MOVES) {
    why = "bad SFEN position: " + std::to_string(MAX_MOVES) +
          " or more legal moves, more than a move list holds";
    return false;
  }
  return true;
}

}  // namespace

bool ParseSfen(const std::string& sfen, Position& p, int& side, std::string& why) {
  std::vector<std::string> f = SplitFields(sfen);
  if (f.size() != 4) {
    why = "SFEN needs 4 fields (BOARD SIDE HANDS MOVENUMBER), got " + std::to_string(f.size());
    return false;
  }
  uint8_t diagram[81];
  if (!ParseBoard(f[0], diagram, why)) {
    why = "bad SFEN board: " + why;
    return false;
  }
  int toMove;
  if (!ParseSide(f[1], toMove, why)) return false;
  int32_t hand[EHI + 1];
  if (!ParseHands(f[2], hand, why)) {
    why = "bad SFEN hands '" + f[2] + "': " + why;
    return false;
  }
  long moveNumber;
  if (!ParseMoveNumber(f[3], moveNumber, why)) return false;
  if (!CheckKings(diagram, toMove, why)) return false;
  Position set;
  SetUp(set, int(moveNumber - 1), diagram, hand);
  if (!CheckMoveCount(set, toMove, why)) return false;
  p = set;
  side = toMove;
  return true;
}

std::string FormatSfen(const Position& p, int side) {
  std::string s;
  for (int rank = 1; rank <= 9; ++rank) {
    if (rank > 1) s += '/';
    int empty = 0;
    for (int file = 9; file >= 1; --file) {
      int code = p.Ban(MakeSquare(file, rank));
      if (code == EMP) {
        ++empty;
        continue;
      }
      if (empty > 0) s += char('0' + empty);
      empty = 0;
      int kind = KindOf(code);
      if (kind > OU) {
        s += '+';
        kind -= PROMOTED;
      }
      char letter = KIND_LETTERS[kind - 1];
      s += (code & SELF) ? letter : ToLower(letter);
    }
    if (empty > 0) s += char('0' + empty);
  }
  s += side == SELF ? " b " : " w ";
  std::string hands;
  for (int s2 : {SELF, ENEMY}) {
    for (int kind : HAND_ORDER) {
      int n = p.Motigoma[s2 | kind];
      if (n <= 0) continue;
      if (n > 1) hands += std::to_string(n);
      char letter = KIND_LETTERS[kind - 1];
      hands += s2 == SELF ? letter : ToLower(letter);
    }
  }
  s += hands.empty() ? "-" : hands;
  s += ' ';
  s += std::to_string(p.ply + 1);
  return s;
}

namespace {

bool IsInteger(const std::string& s) {
  size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i)
    if (!IsDigit(s[i])) return false;
  return true;
}

// Reads the start of a position text at words[pos]; pos moves past it.
bool ParseStart(const std::vector<std::string>& words, size_t& pos, PositionText& out,
                std::string& why) {
  if (pos >= words.size()) {
    why = "missing position (startpos or sfen BOARD SIDE HANDS MOVENUMBER)";
    return false;
  }
  if (words[pos] == "startpos") {
    SetUpStartPosition(out.start);
    out.startSide = SELF;
    ++pos;
    return true;
  }
  if (words[pos] != "sfen") {
    why = "unknown position '" + words[pos] + "' (expected startpos or sfen)";
    return false;
  }
  // The four fields come as four words, or quoted as one.
  const size_t fields =
      (pos + 1 < words.size() && words[pos + 1].find(' ') != std::string::npos) ? 1 : 4;
  if (pos + fields >= words.size()) {
    why = "sfen needs 4 fields: BOARD SIDE HANDS MOVENUMBER";
    return false;
  }
  std::string text;
  for (size_t i = 1; i <= fields; ++i) text += words[pos + i] + " ";
  if (!ParseSfen(text, out.start, out.startSide, why)) return false;
  pos += 1 + fields;
  return true;
}

}  // namespace

bool ParsePositionWords(const std::vector<std::string>& words, size_t pos, PositionText& out,
                        size_t& next, std::string& why) {
  if (!ParseStart(words, pos, out, why)) return false;
  out.moves.clear();
  out.final = out.start;
  out.side = out.startSide;
  if (pos < words.size() && words[pos] == "moves") {
    for (++pos; pos < words.size() && !IsInteger(words[pos]); ++pos) {
      if (out.final.ply + 1 >= GAME_PLY_LIMIT) {
        why = "too many moves: a game ends before ply " + std::to_string(GAME_PLY_LIMIT);
        return false;
      }
      Move m;
      std::string reason;
      if (!ParseUsiMove(out.final, out.side, words[pos], true, m, reason)) {
        why = "move " + std::to_string(out.moves.size() + 1) + ": " + reason;
        return false;
      }
      MakeMove(out.final, out.side, m);
      out.moves.push_back(m);
      out.side = Opponent(out.side);
    }
  }
  next = pos;
  return true;
}

bool ParsePositionText(const std::string& text, PositionText& out, std::string& why) {
  const std::vector<std::string> words = SplitFields(text);
  size_t next = 0;
  if (!ParsePositionWords(words, 0, out, next, why)) return false;
  if (next < words.size()) {
    why = "unexpected '" + words[next] + "' after the position (expected moves or the end)";
    return false;
  }
  return true;
}
