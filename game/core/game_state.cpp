#include "game_state.h"

#include <algorithm>
#include <functional>

#include "driver/points.h"
#include "driver/protocol.h"
#include "position/keys.h"
#include "position/makemove.h"
#include "position/movegen.h"
#include "position/pieces.h"
#include "position/position.h"
#include "position/usi.h"

namespace {

std::string Sq(int sq) {
  return FormatUsiSquare(sq);
}

// Whether the piece on from could move to to on this board, kings and
// pins aside: a step, a knight's jump, or a slide over empty cells.
bool Reaches(const Position& p, int from, int to) {
  const int code = p.Ban(from);
  for (int d = 0; d < DIRECTIONS; ++d) {
    if (CanStep[d][code] && from + Direction[d] == to) return true;
    if (!CanSlide[d][code]) continue;
    for (int c = from + Direction[d];; c += Direction[d]) {
      if (c == to) return true;
      if (p.Ban(c) != EMP) break;
    }
  }
  return false;
}

}  // namespace

GameState::GameState() {
  Reset();
}

void GameState::Reset() {
  static bool keysReady = false;
  if (!keysReady) {
    InitHashKeys();
    keysReady = true;
  }
  const int32_t emptyHand[EHI + 1] = {};
  SetUp(pos_, 0, StartDiagram, emptyHand);
  std::fill(std::begin(bought_), std::end(bought_), 0);
  std::fill(std::begin(points_), std::end(points_), 0);
  history_.clear();
  purchases_.clear();
  StartHumanTurn();
}

bool GameState::Load(const std::string& sfen, std::string& why) {
  Position p;
  int side = SELF;
  if (!ParseSfen(sfen, p, side, why)) return false;
  if (side != SELF) {
    why = "the player must be to move";
    return false;
  }
  const int32_t emptyHand[EHI + 1] = {};
  uint8_t diagram[81];
  for (int sq = SQ_MIN; sq <= SQ_MAX; ++sq)
    if (IsSquare(sq)) diagram[DiagramIndex(sq)] = p.Ban(sq);
  SetUp(pos_, 0, diagram, emptyHand);
  std::fill(std::begin(bought_), std::end(bought_), 0);
  std::fill(std::begin(points_), std::end(points_), 0);
  history_.clear();
  purchases_.clear();
  StartHumanTurn();
  return true;
}

// The engine gives the player one piece of every kind before generating
// the player's moves, then empties the hand again before reading the move.
void GameState::StartHumanTurn() {
  FillHand(1, pos_, SELF);
  humanCount_ = GenerateMoves(pos_, SELF, humanList_);
  FillHand(0, pos_, SELF);
}

bool GameState::Make(int side, const Move& m) {
  if (pos_.ply + 1 >= HISTORY_SIZE) return false;
  MakeMove(pos_, side, m);
  history_.push_back(PlayedMove{m, side});
  return true;
}

std::vector<Move> GameState::LegalMoves() const {
  std::vector<Move> moves;
  for (int i = 0; i < humanCount_; ++i) {
    const Move& m = humanList_[i];
    if (!IsDrop(m) || bought_[KindOf(m.piece)] > 0) moves.push_back(m);
  }
  return moves;
}

bool GameState::CheckMove(const Command& c, Move& out, std::string& why) const {
  why = TypedRefusal(c);
  if (!why.empty()) return false;
  if (FindListed(c, out)) return true;
  why = c.from == 0 ? DropRefusal(c) : BoardMoveRefusal(c);
  return false;
}

// What the board refuses before any list is looked at.
std::string GameState::TypedRefusal(const Command& c) const {
  if (c.kind != CommandKind::Move) return "that is not a move";
  if (c.promote) return "pieces never promote in this game; type the move without the mark";
  if (c.from == 0) {
    if (bought_[c.dropKind] > 0) return "";
    return std::string("you have not bought a ") + KindWord(c.dropKind) + "; buy one first (buy " +
           KindLetter(c.dropKind) + " A B C)";
  }
  int piece = pos_.Ban(c.from);
  if (piece == EMP || piece == WALL || !(piece & SELF))
    return "there is no piece of yours on " + Sq(c.from);
  return "";
}

// The engine's list of the player's moves holds the typed move.
bool GameState::FindListed(const Command& c, Move& out) const {
  const bool drop = c.from == 0;
  for (int i = 0; i < humanCount_; ++i) {
    const Move& m = humanList_[i];
    if (m.to != c.to || m.promote) continue;
    if (drop ? (IsDrop(m) && KindOf(m.piece) == c.dropKind) : m.from == c.from) {
      out = m;
      return true;
    }
  }
  return false;
}

// The plainest reason a drop of a bought piece is not listed.
std::string GameState::DropRefusal(const Command& c) const {
  int rank = RankOf(c.to);
  if (pos_.Ban(c.to) != EMP) return "square " + Sq(c.to) + " is occupied";
  if (((c.dropKind == FU || c.dropKind == KY) && rank == 1) || (c.dropKind == KE && rank <= 2))
    return std::string("a ") + KindWord(c.dropKind) + " dropped on " + Sq(c.to) +
           " could never move";
  if (InCheck(SELF)) return "your king is in check and that drop does not stop it";
  if (c.dropKind != FU) return "that drop is not legal";
  bool pawnOnFile = false;
  for (int r = 1; r <= 9; ++r) pawnOnFile |= pos_.Ban(MakeSquare(FileOf(c.to), r)) == SFU;
  return pawnOnFile ? "you already have a pawn on file " + std::to_string(FileOf(c.to))
                    : std::string("a pawn drop may not give mate");
}

// The plainest reason a move of a piece of the player's is not listed.
std::string GameState::BoardMoveRefusal(const Command& c) const {
  int target = pos_.Ban(c.to);
  if (target != EMP && (target & SELF)) return "your own piece stands on " + Sq(c.to);
  if (!Reaches(pos_, c.from, c.to))
    return "your " + PieceWord(pos_.Ban(c.from)) + " on " + Sq(c.from) + " cannot reach " +
           Sq(c.to);
  if (InCheck(SELF)) return "your king is in check and that move does not stop it";
  return "that move would leave your king in check";
}

void GameState::NoteMoveRequest(const Move& m) {
  if (IsDrop(m)) pos_.Motigoma[SELF + KindOf(m.piece)] += 1;
}

void GameState::PlayHumanMove(const Move& m, const std::string& report) {
  if (!Make(SELF, m)) return;
  if (IsDrop(m) && bought_[KindOf(m.piece)] > 0) --bought_[KindOf(m.piece)];
  int point = PointOfReport(report.c_str());
  if (point) ++points_[point - 1];
  history_.back().point = point;
}

bool GameState::PlayEngineMove(const std::string& line, Move& played, std::string& why) {
  int from = 0, dropKind = 0, to = 0;
  if (!ParseEngineMoveLine(line, from, dropKind, to)) {
    why = "the engine's move '" + line + "' cannot be read";
    return false;
  }
  // The engine's hand is emptied at the start of its turn; a drop means it
  // bought that piece just now.
  const Position before = pos_;
  FillHand(0, pos_, ENEMY);
  if (dropKind != 0) pos_.Motigoma[ENEMY + dropKind] += 1;

  auto find = [&](const Position& p, Move& out) {
    Move list[MAX_MOVES];
    int n = GenerateMoves(p, ENEMY, list);
    for (int i = 0; i < n; ++i) {
      const Move& m = list[i];
      if (m.to != to || m.promote) continue;
      if (dropKind ? (IsDrop(m) && KindOf(m.piece) == dropKind) : m.from == from) {
        out = m;
        return true;
      }
    }
    return false;
  };
  Move m{};
  bool found = find(pos_, m);
  bool promotes = false;
  // An opening-book move can promote, and the move file carries no mark for
  // it: a piece that moves as only its promoted form can has promoted then.
  int piece = from ? pos_.Ban(from) : 0;
  if (!found && from && (piece & ENEMY) && piece != WALL && !(piece & PROMOTED) &&
      CanPromoteKind(KindOf(piece))) {
    Position promoted = pos_;
    promoted.Ban(from) = static_cast<uint8_t>(piece | PROMOTED);
    RebuildAttackMaps(promoted);
    if (find(promoted, m)) {
      pos_ = promoted;
      found = promotes = true;
    }
  }
  if (!found) {
    pos_ = before;
    why = "the engine's move '" + line + "' does not fit the board shown here";
    return false;
  }
  if (!Make(ENEMY, m)) {
    pos_ = before;
    why = "the game has reached its length limit";
    return false;
  }
  history_.back().promotes = promotes;
  if (dropKind != 0)
    purchases_.push_back(Purchase{history_.size() - 1, ENEMY, dropKind, {0, 0, 0}});
  played = m;
  StartHumanTurn();
  return true;
}

bool GameState::CanAfford(const int pay[3], std::string& why) const {
  static const char* const names[3] = {"red", "green", "blue"};
  for (int i = 0; i < 3; ++i) {
    if (pay[i] > points_[i]) {
      why = "you hold " + std::to_string(points_[i]) + " " + names[i] + " point" +
            (points_[i] == 1 ? "" : "s") + ", not " + std::to_string(pay[i]);
      return false;
    }
  }
  return true;
}

void GameState::Buy(int kind, const int pay[3]) {
  for (int i = 0; i < 3; ++i) points_[i] -= pay[i];
  ++bought_[kind];
  purchases_.push_back(Purchase{history_.size(), SELF, kind, {pay[0], pay[1], pay[2]}});
}

bool GameState::InCheck(int side) const {
  int king = pos_.King[SideIndex(side)];
  return king != 0 && pos_.Map(Opponent(side))[king] != 0;
}

bool GameState::EngineHasNoMoves() const {
  Move list[MAX_MOVES];
  return GenerateMoves(pos_, ENEMY, list) == 0;
}

std::vector<int> GameState::DropKindsThatHelp() const {
  std::vector<int> kinds;
  for (int kind = FU; kind <= HI; ++kind)
    for (int i = 0; i < humanCount_; ++i)
      if (IsDrop(humanList_[i]) && KindOf(humanList_[i].piece) == kind) {
        kinds.push_back(kind);
        break;
      }
  return kinds;
}

bool GameState::CanBuyAnyOf(const std::vector<int>& kinds) const {
  int pay[3];
  for (int kind : kinds)
    if (CheapestPayment(kind, points_, pay)) return true;
  return false;
}

bool GameState::FourfoldRepetition() const {
  int count = 0;
  for (int i = pos_.ply; i > 0; i -= 2)
    if (KeyHistory[i] == pos_.Kyokumen) ++count;
  return count >= 4;
}

std::string GameState::UsiMoves() const {
  std::string text;
  for (const PlayedMove& pm : history_) {
    if (!text.empty()) text += ' ';
    text += FormatUsiMove(pm.move);
  }
  return text;
}

bool PaymentAccepted(int kind, const int pay[3]) {
  return PaymentFits(kind, pay[0], pay[1], pay[2]);
}

void ForEachPayment(int kind, const int points[3],
                    const std::function<bool(const int pay[3])>& take) {
  for (int total = 1; total <= 27; ++total)
    for (int a = 0; a <= std::min(9, points[0]); ++a)
      for (int b = 0; b <= std::min(9, points[1]); ++b) {
        int c = total - a - b;
        if (c < 0 || c > std::min(9, points[2])) continue;
        const int p[3] = {a, b, c};
        if (PaymentAccepted(kind, p) && !take(p)) return;
      }
}

bool CheapestPayment(int kind, const int points[3], int pay[3]) {
  bool found = false;
  ForEachPayment(kind, points, [&](const int p[3]) {
    std::copy(p, p + 3, pay);
    found = true;
    return false;
  });
  return found;
}

int PriceOf(int kind) {
  static const int prices[HI + 1] = {0, 1, 2, 3, 4, 4, 7, 7};
  return kind >= FU && kind <= HI ? prices[kind] : 0;
}

std::string PaymentRule(int kind) {
  switch (kind) {
    case FU:
      return "a pawn costs 1 point of any colour";
    case KY:
      return "a lance costs 2 points of any colours";
    case KE:
      return "a knight costs 3 points, exactly one of each colour";
    case GI:
      return "a silver costs 4 points, at least one of each colour";
    case KI:
      return "a gold costs 4 points, 3 or more of one colour";
    case KA:
      return "a bishop costs 7 points, at least one of each colour";
    case HI:
      return "a rook costs 7 points, 3 or more of one colour";
    default:
      return "only pawns, lances, knights, silvers, golds, bishops and rooks are sold";
  }
}
