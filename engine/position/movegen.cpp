// Legal move generation: board moves in board order, drops, king moves with
// the slider-line rule, check evasions and the pawn-drop-mate test.
#include "position/movegen.h"

#include <cstring>
#include <initializer_list>
#include <utility>

#include "position/drops.h"
#include "position/lines.h"
#include "position/piece_walk.h"
#include "position/pieces.h"
#include "position/position.h"

namespace {

// The moves of one piece code in the order they are tried: `steps` step
// offsets, then `slides` slide offsets.
struct MoveRule {
  int8_t steps;
  int8_t slides;
  int8_t offset[8];
};

constexpr MoveRule RuleOf(int code) {
  switch (code) {
    case SFU:
      return {1, 0, {-1}};
    case SKY:
      return {0, 1, {-1}};
    case SKE:
      return {2, 0, {+14, -18}};
    case SGI:
      return {5, 0, {-1, -17, +15, +17, -15}};
    case SKI:
    case STO:
    case SNY:
    case SNK:
    case SNG:
      return {6, 0, {-1, -17, +15, +1, -16, +16}};
    case SKA:
    case EKA:
      return {0, 4, {+17, -17, +15, -15}};
    case SHI:
    case EHI:
      return {0, 4, {+1, -1, -16, +16}};
    case SUM:
    case EUM:
      return {4, 4, {+1, +16, -16, -1, +17, -17, +15, -15}};
    case SRY:
    case ERY:
      return {4, 4, {+17, -15, -17, +15, +1, -1, -16, +16}};
    case EFU:
      return {1, 0, {+1}};
    case EKY:
      return {0, 1, {+1}};
    case EKE:
      return {2, 0, {-14, +18}};
    case EGI:
      return {5, 0, {+1, +17, -15, -17, +15}};
    case EKI:
    case ETO:
    case ENY:
    case ENK:
    case ENG:
      return {6, 0, {+1, +17, -15, -1, -16, +16}};
    default:
      return {0, 0, {}};  // kings are generated apart; codes 29, 45 move nowhere
  }
}

struct RuleTable {
  MoveRule rule[64];
};

constexpr RuleTable MakeRules() {
  RuleTable t{};
  for (int c = 0; c < 64; ++c) t.rule[c] = RuleOf(c);
  return t;
}

constexpr RuleTable Rules = MakeRules();

// Most board moves a piece of each code can have: a slide runs at most
// eight squares.
struct MoveBoundTable {
  int8_t most[64];
};

constexpr MoveBoundTable MakeMoveBounds() {
  MoveBoundTable t{};
  for (int c = 0; c < 64; ++c)
    t.most[c] = static_cast<int8_t>(Rules.rule[c].steps + 8 * Rules.rule[c].slides);
  t.most[SOU] = t.most[EOU] = KING_DIRECTIONS;
  return t;
}

constexpr MoveBoundTable MoveBounds = MakeMoveBounds();

constexpr int NO_BLOCK = -1000;

// A pinned piece may move only along its pin line.
inline bool PinAllows(int32_t pin, int k) {
  return pin == 0 || pin == k || pin == -k;
}

// The pin of side's piece on sq, read from the board and the other side's
// map: the offset toward side's king when sq is the first piece on that
// line and a slider of the other side bears on it along the line, else 0.
// The same value ComputePins enters, without clearing a table.
inline int32_t PinOf(const Position& p, int side, int sq) {
  const int king = p.King[SideIndex(side)];
  if (king == 0) return 0;
  const int d = LineDirection(sq, king);
  if (d < 0 || !(p.Map(Opponent(side))[sq] >> (SLIDE_BIT + d) & 1)) return 0;
  const int k = Direction[d];
  for (int c = sq + k; c != king; c += k)
    if (p.Ban(c) != EMP) return 0;
  return k;
}

// Which pins the attack set honours: none, a caller's table, or PinOf.
enum class PinSource { NONE, TABLE, BOARD };

// Attack set of side on square t. Pieces whose pin (from `source`) forbids
// the move to t are left out. `block` names a cell treated as holding a
// pawn of `blockCode` (a pawn being tried as a drop), NO_BLOCK for none.
uint32_t AttackSet(const Position& p, int side, int t, PinSource source, const int32_t* pins,
                   int block, int blockCode) {
  auto allowed = [&](int y, int k) {
    if (source == PinSource::NONE) return true;
    return PinAllows(source == PinSource::TABLE ? pins[y] : PinOf(p, side, y), k);
  };
  uint32_t set = 0;
  for (int d = 0; d < DIRECTIONS; ++d) {
    const int k = Direction[d];
    int y = t - k;
    int code = y == block ? blockCode : p.Ban(y);
    if ((code & side) && (PieceSets.step[code] >> d & 1)) {
      if (allowed(y, k)) set |= 1u << d;
      continue;
    }
    if (d >= KING_DIRECTIONS) continue;  // nothing slides along a knight jump
    while (code == EMP) {
      y -= k;
      code = y == block ? blockCode : p.Ban(y);
    }
    if ((code & side) && (PieceSets.slide[code] >> d & 1)) {
      if (allowed(y, k)) set |= 1u << (SLIDE_BIT + d);
    }
  }
  return set;
}

// Pawn-drop-mate test without touching the board: the dropped pawn is
// represented by the block cell of AttackSet. Null pins: read from the board.
bool DropMates(const Position& p, int side, int t, const int32_t* pins) {
  const int other = Opponent(side);
  const int king = p.King[SideIndex(other)];
  if (king == 0) return false;
  // Only a drop that checks: a SELF pawn attacks the square above it.
  if (side == SELF ? t != king + 1 : t + 1 != king) return false;
  const uint32_t kingOnly = side == SELF ? 1u << 1 : 1u << 6;
  if (p.Map(side)[t] == 0) return false;
  const PinSource source = pins ? PinSource::TABLE : PinSource::BOARD;
  if (AttackSet(p, other, t, source, pins, NO_BLOCK, 0) != kingOnly) return false;
  const int pawn = side | FU;
  for (int d = 0; d < KING_DIRECTIONS; ++d) {
    const int sq = king + Direction[d];
    const int code = sq == t ? pawn : p.Ban(sq);
    if (code & other) continue;  // own piece of the king, or a wall
    if (AttackSet(p, side, sq, PinSource::NONE, nullptr, t, pawn)) continue;
    return false;  // a flight square is free
  }
  return true;
}

class Generator {
 public:
  Generator(const Position& p, int side, const int32_t* pins, Move* list)
      : p_(p), side_(side), pins_(pins), list_(list) {}

  int Count() const { return n_; }

  void Normal() {
    BoardMoves();
    Drops();
  }

  // Board moves of every piece of side in board order; a full list takes
  // no more.
  void BoardMoves() {
    ForEachPiece(p_.Cells + GUARD_CELLS, side_, [&](int sq) {
      if (Full()) return false;
      PieceOrKingMoves(sq);
      return true;
    });
  }

  void PieceOrKingMoves(int sq) {
    const int code = p_.Ban(sq);
    if (KindOf(code) == OU)
      KingMoves(0);
    else
      PieceMoves(sq, code);
  }

  // Normal generation with the drops limited to the squares from which the
  // dropped piece would attack target (a king of the other side): those
  // squares in the order Drops() lists them, so the list is the normal list
  // with the other drops left out. Returns false, with nothing promised
  // about the list, when the normal list might pass MAX_MOVES.
  bool NormalTowards(int target) {
    BoardMoves();
    return DropsTowards(target, n_);
  }

  // NormalTowards without the board moves of the pieces that cannot attack
  // target (a king of the other side) after moving: a piece that moves at
  // most one square and stands too far away, and unmasks no slider of side
  // on the line to target. The returned false means the same as there.
  bool ChecksTowards(int target) {
    const uint32_t* own = p_.Map(side_);
    int most = 0;  // the normal list's board moves are at most this many
    auto piece = [&](int sq) {
      const int code = p_.Ban(sq);
      most += MoveBounds.most[code];
      // A move of one square or a knight's jump, then an attack as short:
      // two files and four ranks at most.
      const int files = FileOf(sq) - FileOf(target), ranks = RankOf(sq) - RankOf(target);
      const bool near = PieceSets.slide[code] || (files * files <= 4 && ranks * ranks <= 16);
      const int e = LineDirection(sq, target);
      if (e >= 0 && (own[sq] >> (SLIDE_BIT + e) & 1))
        PieceOrKingMoves(sq);  // may unmask a slider: every move
      else if (near && KindOf(code) == OU)
        KingMoves(0);
      else if (near)
        DirectCandidates(sq, code, target);
      return true;
    };
    ForEachPiece(p_.Cells + GUARD_CELLS, side_, piece);
    return DropsTowards(target, most);
  }

  // The moves of PieceMoves(sq, code), in its order, whose destination
  // lies a step from target or on a line to it the piece slides along:
  // every move that can attack target directly after it is made.
  void DirectCandidates(int sq, int code, int target) {
    const MoveRule& r = Rules.rule[code];
    const int32_t pin = Pin(sq);
    const uint32_t steps = PieceSets.step[code], slides = PieceSets.slide[code];
    // t is a square here, so the tables' bounds hold.
    auto reaches = [&](int t) {
      if (steps & StepDirection(t, target)) return true;
      const int d = LineDirection(t, target);
      return d >= 0 && (slides >> d & 1);
    };
    int i = 0;
    for (; i < r.steps; ++i) {
      const int k = r.offset[i];
      const int t = sq + k;
      if (PinAllows(pin, k) && !(p_.Ban(t) & side_) && reaches(t)) Append(sq, t, code);
    }
    for (const int end = r.steps + r.slides; i < end; ++i) {
      const int k = r.offset[i];
      if (!PinAllows(pin, k)) continue;
      int t = sq + k;
      for (; p_.Ban(t) == EMP; t += k)
        if (reaches(t)) Append(sq, t, code);
      if (!(p_.Ban(t) & side_) && reaches(t)) Append(sq, t, code);
    }
  }

  // The drops of NormalTowards after the board moves; boardMoves is the
  // number of board moves of the normal list or a bound on it. False when
  // the normal list might pass MAX_MOVES.
  bool DropsTowards(int target, int boardMoves) {
    int kinds = 0;
    for (int kind = FU; kind <= HI; ++kind) kinds += p_.Motigoma[side_ | kind] > 0;
    if (boardMoves + EmptySquares() * kinds > MAX_MOVES) return false;
    for (int kind = FU; kind <= HI; ++kind) {
      const int code = side_ | kind;
      if (p_.Motigoma[code] <= 0) continue;
      // Squares from which code attacks target, as a set of cells.
      uint64_t near[3] = {0, 0, 0};
      for (uint32_t set = PieceSets.step[code]; set; set &= set - 1) {
        const int c = target - Direction[LowestBit(set)];
        if (c >= 0) near[c >> 6] |= uint64_t{1} << (c & 63);
      }
      for (uint32_t set = PieceSets.slide[code]; set; set &= set - 1) {
        const int k = Direction[LowestBit(set)];
        for (int c = target - k; p_.Ban(c) == EMP; c -= k) near[c >> 6] |= uint64_t{1} << (c & 63);
      }
      const DropRankSpan ranks = DropRanks(side_, kind);
      // Ascending cells are files 1..9 outer, ranks inner: the order of Drops().
      for (int w = 0; w < 3; ++w)
        for (uint64_t bits = near[w]; bits; bits &= bits - 1) {
          const int sq = 64 * w + __builtin_ctzll(bits);
          const int rank = RankOf(sq);
          if (!IsSquare(sq) || rank < ranks.lo || rank > ranks.hi || p_.Ban(sq) != EMP) continue;
          if (kind == FU && (FileHasPawn(p_, side_, FileOf(sq)) || DropMates(p_, side_, sq, pins_)))
            continue;
          Append(0, sq, code);
        }
    }
    return true;
  }

  void Evasion(uint32_t w) {
    if (w & (w - 1)) {  // double check: only the king can answer
      KingMoves(w);
      return;
    }
    const int king = p_.King[SideIndex(side_)];
    const int b = LowestBit(w);
    const bool slider = b >= SLIDE_BIT;
    const int checker = slider ? Scan(p_, king, -Direction[b - SLIDE_BIT]) : king - Direction[b];
    // A full list takes no more moves, so each stage may stop there.
    MovesTo(checker);
    if (Full()) return;
    KingMoves(w);
    if (!slider || Full()) return;
    const int k = -Direction[b - SLIDE_BIT];
    for (int t = king + k; t != checker && !Full(); t += k) MovesTo(t);
    for (int t = king + k; t != checker && !Full(); t += k) DropsOn(t);
  }

  // Generation that stops at the first move: whether there is one at all.
  void StopAtFirst() { limit_ = 1; }

  // Evasion for StopAtFirst: whether an answer exists does not depend on
  // the order, so the cheapest stages come first.
  void FirstEvasion(uint32_t w) {
    const int king = p_.King[SideIndex(side_)];
    if (const unsigned open = KingSquares(king, w)) {
      Append(king, king - Direction[LowestBit(open)], p_.Ban(king));
      return;
    }
    if (w & (w - 1)) return;
    const int b = LowestBit(w);
    const bool slider = b >= SLIDE_BIT;
    const int k = slider ? -Direction[b - SLIDE_BIT] : 0;
    const int checker = slider ? Scan(p_, king, k) : king - Direction[b];
    if (slider)
      for (int t = king + k; t != checker && !Full(); t += k) DropsOn(t);
    if (Full()) return;
    MovesTo(checker);
    if (slider)
      for (int t = king + k; t != checker && !Full(); t += k) MovesTo(t);
  }

  // The other side's map word at side's king: nonzero when in check.
  uint32_t CheckOnKing() const {
    const int king = p_.King[SideIndex(side_)];
    return king ? p_.Map(Opponent(side_))[king] : 0;
  }

  // Evasions when the side's king is attacked, every move otherwise.
  void All() {
    const uint32_t w = CheckOnKing();
    if (w)
      Evasion(w);
    else
      Normal();
  }

 private:
  void Append(int from, int to, int piece) {
    // A list holds MAX_MOVES moves. Play stays far below that, but a set-up
    // position can pass it (many promoted sliders and full hands); further
    // moves are left out rather than written past the caller's list.
    if (Full()) return;
    if (!list_) {  // only counting
      ++n_;
      return;
    }
    // from, to, piece, capture, then promote, spare and score all 0: the
    // Move's bytes in order, written as one word.
    const uint64_t capture = from ? p_.Ban(to) : 0;
    const uint64_t bytes = static_cast<uint64_t>(from) | static_cast<uint64_t>(to) << 8 |
                           static_cast<uint64_t>(piece) << 16 | capture << 24;
    std::memcpy(&list_[n_++], &bytes, sizeof bytes);
  }

  void Add(int from, int k, int32_t pin) {
    if (!PinAllows(pin, k)) return;
    if (p_.Ban(from + k) & side_) return;  // own piece or wall
    Append(from, from + k, p_.Ban(from));
  }

  void Slide(int from, int k, int32_t pin) {
    if (!PinAllows(pin, k)) return;
    const int piece = p_.Ban(from);
    int t = from + k;
    for (; p_.Ban(t) == EMP; t += k) Append(from, t, piece);
    if (!(p_.Ban(t) & side_)) Append(from, t, piece);
  }

  void PieceMoves(int sq, int code) {
    const MoveRule& r = Rules.rule[code];
    const int32_t pin = Pin(sq);
    int i = 0;
    if (pin == 0) {  // a free piece: every offset is allowed
      for (; i < r.steps; ++i) {
        const int t = sq + r.offset[i];
        if (!(p_.Ban(t) & side_)) Append(sq, t, code);
      }
      for (const int end = r.steps + r.slides; i < end; ++i) Slide(sq, r.offset[i], 0);
      return;
    }
    for (; i < r.steps; ++i) Add(sq, r.offset[i], pin);
    for (const int end = r.steps + r.slides; i < end; ++i) Slide(sq, r.offset[i], pin);
  }

  // King moves; w is the check word (0 when not in check). A slider that
  // checks along a line still covers the square behind the king, which the
  // board scan cannot see while the king blocks the ray. The capture of a
  // checker next to the king comes first, then directions 0..7.
  void KingMoves(uint32_t w) {
    const int king = p_.King[SideIndex(side_)];
    if (king == 0) return;
    unsigned open = KingSquares(king, w);
    const int code = p_.Ban(king);
    if (w & 0xFF) {
      const int first = LowestBit(w & 0xFF);
      if (open >> first & 1) Append(king, king - Direction[first], code);
      open &= ~(1u << first);
    }
    for (; open; open &= open - 1) Append(king, king - Direction[LowestBit(open)], code);
  }

  // Bit d set when the king on `king` may step to king - Direction[d]. The
  // other side's map word at a square is nonzero exactly when its pieces
  // attack it on this board (the king still standing where it is).
  unsigned KingSquares(int king, uint32_t w) const {
    const uint32_t* attacked = p_.Map(Opponent(side_));
    unsigned open = 0;
    for (int d = 0; d < KING_DIRECTIONS; ++d) {
      const int t = king - Direction[d];
      const bool free = !(p_.Ban(t) & side_) && !attacked[t] && !(w >> (SLIDE_BIT + 7 - d) & 1);
      open |= static_cast<unsigned>(free) << d;
    }
    return open;
  }

  // Board moves of pieces other than the king onto target (the checker's
  // square, or an empty square between the king and a sliding checker), by
  // direction 0..11. Side's map word at target names the directions its
  // pieces reach target from: step bit d for the piece next to it, slide
  // bit d for the first piece along the line.
  void MovesTo(int target) {
    const uint32_t w = p_.Map(side_)[target];
    for (uint32_t dirs = (w | w >> SLIDE_BIT) & 0xFFF; dirs; dirs &= dirs - 1) {
      const int d = LowestBit(dirs);
      const int k = Direction[d];
      const int y = target - k;
      const int code = p_.Ban(y);
      if (code == EMP) {
        const int from = Scan(p_, target, -k);
        Add(from, target - from, Pin(from));
      } else if (code != (side_ | OU)) {
        Add(y, k, Pin(y));
      }
    }
  }

  // Empty squares of the board. A file's ranks 1..8 are one word; a code
  // is below 0x80, so adding 0x7F to each byte sets its top bit exactly
  // when the byte is not EMP, and one multiplication adds those bits up.
  int EmptySquares() const {
    constexpr uint64_t low = 0x7F7F7F7F7F7F7F7Full, ones = 0x0101010101010101ull;
    int occupied = 0;
    for (int file = 1; file <= 9; ++file) {
      const int first = MakeSquare(file, 1);
      uint64_t ranks;
      std::memcpy(&ranks, &p_.Cells[GUARD_CELLS + first], sizeof ranks);
      const uint64_t taken = ((((ranks & low) + low) | ranks) >> 7) & ones;
      occupied += static_cast<int>((taken * ones) >> 56);
      occupied += p_.Ban(first + 8) != EMP;
    }
    return 81 - occupied;
  }

  void Drops() {
    for (int kind = FU; kind <= HI; ++kind) {
      const int code = side_ | kind;
      if (p_.Motigoma[code] <= 0) continue;
      const DropRankSpan ranks = DropRanks(side_, kind);
      for (int file = 1; file <= 9; ++file) {
        if (kind == FU && FileHasPawn(p_, side_, file)) continue;
        for (int rank = ranks.lo; rank <= ranks.hi; ++rank) {
          const int sq = MakeSquare(file, rank);
          if (p_.Ban(sq) != EMP) continue;
          if (kind == FU && DropMates(p_, side_, sq, pins_)) continue;
          Append(0, sq, code);
        }
      }
    }
  }

  // Interposing drops on the empty square t.
  void DropsOn(int t) {
    const int32_t* hand = p_.Motigoma;
    if (hand[side_ | FU] > 0 && DropRankAllowed(side_, FU, t) &&
        !FileHasPawn(p_, side_, FileOf(t)) && !DropMates(p_, side_, t, pins_))
      Append(0, t, side_ | FU);
    if (hand[side_ | KY] > 0 && DropRankAllowed(side_, KY, t)) Append(0, t, side_ | KY);
    if (hand[side_ | KE] > 0 && DropRankAllowed(side_, KE, t)) Append(0, t, side_ | KE);
    for (int kind = GI; kind <= HI; ++kind)
      if (hand[side_ | kind] > 0) Append(0, t, side_ | kind);
  }

  // Without a caller's table, a pin is read from the board when needed.
  int32_t Pin(int sq) const { return pins_ ? pins_[sq] : PinOf(p_, side_, sq); }

  const Position& p_;
  const int side_;
  const int32_t* const pins_;  // null: PinOf
  Move* const list_;
  int n_ = 0;
  int limit_ = MAX_MOVES;

  bool Full() const { return n_ >= limit_; }
};

}  // namespace

void ComputePins(const Position& p, int32_t* pins) {
  std::memset(pins, 0, sizeof(PinTable));
  for (int side : {SELF, ENEMY}) {
    const int king = p.King[SideIndex(side)];
    if (king == 0) continue;
    const uint32_t* other = p.Map(Opponent(side));
    for (int d = 0; d < KING_DIRECTIONS; ++d) {
      const int c = Scan(p, king, -Direction[d]);
      const int code = p.Ban(c);
      // An own piece with an enemy slider behind it on the same line.
      if (code != WALL && (code & side) && (other[c] >> (SLIDE_BIT + d) & 1))
        pins[c] = Direction[d];
    }
  }
}

uint32_t Attackers(const Position& p, int side, int square) {
  return AttackSet(p, side, square, PinSource::NONE, nullptr, NO_BLOCK, 0);
}

uint32_t AttackersWithPins(const Position& p, int side, int square, const int32_t* pins) {
  return AttackSet(p, side, square, pins ? PinSource::TABLE : PinSource::NONE, pins, NO_BLOCK, 0);
}

bool PawnDropMates(const Position& p, int side, int square, const int32_t* pins) {
  return DropMates(p, side, square, pins);
}

int GenerateMovesTowards(const Position& p, int side, int target, Move* list, const int32_t* pins) {
  Generator g(p, side, pins, list);
  return g.NormalTowards(target) ? g.Count() : -1;
}

int GenerateCheckCandidates(const Position& p, int side, int target, Move* list,
                            const int32_t* pins) {
  Generator g(p, side, pins, list);
  return g.ChecksTowards(target) ? g.Count() : -1;
}

bool HasLegalMove(const Position& p, int side) {
  Move first[1];
  Generator g(p, side, nullptr, first);
  g.StopAtFirst();
  const uint32_t w = g.CheckOnKing();
  if (w)
    g.FirstEvasion(w);
  else
    g.Normal();
  return g.Count() > 0;
}

namespace {

// Counting twin of Generator::Normal for a side not in check: the same
// squares and rules, with no work per move. Free pieces are counted a kind
// at a time with the offsets known at compile time, which spares a branch
// on the kind of every piece.

// Moves of a free Code on sq along the rule's offsets I.
template <int Side, int Code, size_t... I>
inline int FreeMoves(const uint8_t* ban, int sq, std::index_sequence<I...>) {
  constexpr MoveRule r = Rules.rule[Code];
  int n = 0;
  auto one = [&](int i, int k) {
    int t = sq + k;
    if (i >= r.steps)
      for (; ban[t] == EMP; t += k) ++n;
    n += !(ban[t] & Side);
  };
  (one(I, r.offset[I]), ...);
  return n;
}

template <int Side, int Code>
inline int FreeMoves(const uint8_t* ban, int sq) {
  constexpr MoveRule r = Rules.rule[Code];
  return FreeMoves<Side, Code>(ban, sq, std::make_index_sequence<r.steps + r.slides>());
}

// Moves of the piece on sq whose pin-table entry is `pin`.
template <int Side>
int PinnedMoves(const uint8_t* ban, int sq, int32_t pin) {
  const MoveRule& r = Rules.rule[ban[sq]];
  int n = 0;
  for (int i = 0; i < r.steps + r.slides; ++i) {
    const int k = r.offset[i];
    if (!PinAllows(pin, k)) continue;
    int t = sq + k;
    if (i >= r.steps)
      for (; ban[t] == EMP; t += k) ++n;
    n += !(ban[t] & Side);
  }
  return n;
}

// Whether any piece of Side is pinned to its king, the test ComputePins makes
// for that king.
template <int Side, size_t... D>
inline bool HasOwnPin(const uint8_t* ban, const uint32_t* other, int king,
                      std::index_sequence<D...>) {
  auto pinned = [&](int d, int k) -> uint32_t {
    int c = king - k;
    while (ban[c] == EMP) c -= k;
    const int code = ban[c];
    return code != WALL && (code & Side) ? other[c] >> (SLIDE_BIT + d) & 1 : 0;
  };
  return (0 | ... | pinned(D, KingOffsets[D])) != 0;
}

// The king's moves when not in check: to squares the other side does not
// attack.
template <int Side, size_t... D>
inline int KingSteps(const uint8_t* ban, const uint32_t* attacked, int king,
                     std::index_sequence<D...>) {
  auto free = [&](int k) { return !(ban[king - k] & Side) && !attacked[king - k]; };
  return (0 + ... + free(KingOffsets[D]));
}

// Counting groups of the codes of a side (code - side): the kinds that share
// a rule share a group; GROUPS names codes without moves.
enum CountGroup : uint8_t { G_FU, G_KY, G_KE, G_GI, G_KI, G_KA, G_HI, G_UM, G_RY, G_OU, GROUPS };
constexpr uint8_t GroupOf[16] = {GROUPS, G_FU, G_KY, G_KE, G_GI, G_KI,   G_KA, G_HI,
                                 G_OU,   G_KI, G_KI, G_KI, G_KI, GROUPS, G_UM, G_RY};

// The moves of the free pieces in one group, all of code Code.
template <int Side, int Code>
inline int GroupMoves(const uint8_t* ban, const uint8_t* sq, int count) {
  int n = 0;
  for (int i = 0; i < count; ++i) n += FreeMoves<Side, Code>(ban, sq[i]);
  return n;
}

// Own pieces by counting group, so that each group is counted by its own
// loop.
struct PieceGroups {
  uint8_t squares[GROUPS + 1][81];
  int count[GROUPS + 1] = {};
};

template <int Side>
inline void SortIntoGroups(const uint8_t* ban, PieceGroups& g) {
  auto put = [&](int sq) {
    const int group = GroupOf[ban[sq] - Side];
    g.squares[group][g.count[group]++] = static_cast<uint8_t>(sq);
    return true;
  };
  ForEachPiece(ban, Side, put);
}

// The board moves of pieces other than the king when none is pinned.
template <int Side>
inline int FreePieceMoves(const uint8_t* ban, const PieceGroups& g) {
  return GroupMoves<Side, Side | FU>(ban, g.squares[G_FU], g.count[G_FU]) +
         GroupMoves<Side, Side | KY>(ban, g.squares[G_KY], g.count[G_KY]) +
         GroupMoves<Side, Side | KE>(ban, g.squares[G_KE], g.count[G_KE]) +
         GroupMoves<Side, Side | GI>(ban, g.squares[G_GI], g.count[G_GI]) +
         GroupMoves<Side, Side | KI>(ban, g.squares[G_KI], g.count[G_KI]) +
         GroupMoves<Side, Side | KA>(ban, g.squares[G_KA], g.count[G_KA]) +
         GroupMoves<Side, Side | HI>(ban, g.squares[G_HI], g.count[G_HI]) +
         GroupMoves<Side, Side | KA | PROMOTED>(ban, g.squares[G_UM], g.count[G_UM]) +
         GroupMoves<Side, Side | HI | PROMOTED>(ban, g.squares[G_RY], g.count[G_RY]);
}

// The same moves when some piece is pinned: each piece by its pin entry.
template <int Side>
inline int PinnedPieceMoves(const uint8_t* ban, const PieceGroups& g, const int32_t* pins) {
  int n = 0;
  for (int group = 0; group < GROUPS; ++group)
    if (group != G_OU)
      for (int i = 0; i < g.count[group]; ++i) {
        const int sq = g.squares[group][i];
        n += PinnedMoves<Side>(ban, sq, pins[sq]);
      }
  return n;
}

// The board moves of Side; pins is null when no own piece is pinned.
template <int Side>
inline int BoardMoveCount(const Position& p, const int32_t* pins) {
  const uint8_t* ban = p.Cells + GUARD_CELLS;
  PieceGroups g;
  SortIntoGroups<Side>(ban, g);
  int n = pins ? PinnedPieceMoves<Side>(ban, g, pins) : FreePieceMoves<Side>(ban, g);
  // BoardMoves lists the king's moves for every own king piece it meets.
  const int king = p.King[SideIndex(Side)];
  if (g.count[G_OU] && king)
    n += g.count[G_OU] * KingSteps<Side>(ban, p.Map(Opponent(Side)), king,
                                         std::make_index_sequence<KING_DIRECTIONS>());
  return n;
}

// The empty squares a drop may use: beyond[b] those past the b barred ranks
// at Side's far end (DropBarredRanks), pawn those a pawn may take (past its
// barred rank, on a file without an own pawn).
struct DropSquares {
  int beyond[3];
  int pawn;
};
static_assert(DropBarredRanks[KE] == 2, "beyond[] covers every barred count");

template <int Side>
inline DropSquares CountDropSquares(const Position& p) {
  const uint8_t* ban = p.Cells + GUARD_CELLS;
  const int lastRank = Side == SELF ? 1 : 9;
  const int secondRank = Side == SELF ? 2 : 8;
  int empty = 0, last = 0, second = 0, pawn = 0;
  for (int file = 1; file <= 9; ++file) {
    int fileEmpty = 0;
    for (int rank = 1; rank <= 9; ++rank) fileEmpty += ban[MakeSquare(file, rank)] == EMP;
    const int fileLast = ban[MakeSquare(file, lastRank)] == EMP;
    empty += fileEmpty;
    last += fileLast;
    second += ban[MakeSquare(file, secondRank)] == EMP;
    if (!FileHasPawn(p, Side, file)) pawn += fileEmpty - fileLast;
  }
  return DropSquares{{empty, empty - last, empty - last - second}, pawn};
}

// Whether a pawn drop counted in DropSquares::pawn gives mate: only the
// square in front of the other king can.
template <int Side>
inline bool CountedPawnDropMates(const Position& p, const int32_t* pins) {
  const int other = p.King[SideIndex(Opponent(Side))];
  const int t = Side == SELF ? other + 1 : other - 1;
  return other && IsSquare(t) && DropRankAllowed(Side, FU, t) && p.Ban(t) == EMP &&
         !FileHasPawn(p, Side, FileOf(t)) && DropMates(p, Side, t, pins);
}

// The drops of Side.
template <int Side>
inline int DropCount(const Position& p, const int32_t* pins) {
  const int32_t* hand = p.Motigoma + Side;
  if (!(hand[FU] > 0 || hand[KY] > 0 || hand[KE] > 0 || hand[GI] > 0 || hand[KI] > 0 ||
        hand[KA] > 0 || hand[HI] > 0))
    return 0;
  const DropSquares squares = CountDropSquares<Side>(p);
  int n = 0;
  if (hand[FU] > 0) n += squares.pawn - CountedPawnDropMates<Side>(p, pins);
  for (int kind = KY; kind <= HI; ++kind)
    if (hand[kind] > 0) n += squares.beyond[DropBarredRanks[kind]];
  return n;
}

// The pin table for Side's pieces, or null when none is pinned (the test is
// cheaper than the table).
template <int Side>
inline const int32_t* OwnPins(const Position& p, PinTable local) {
  const int king = p.King[SideIndex(Side)];
  if (!king || !HasOwnPin<Side>(p.Cells + GUARD_CELLS, p.Map(Opponent(Side)), king,
                                std::make_index_sequence<KING_DIRECTIONS>()))
    return nullptr;
  ComputePins(p, local);
  return local;
}

template <int Side>
int CountNormal(const Position& p) {
  PinTable local;
  const int32_t* pins = OwnPins<Side>(p, local);
  return BoardMoveCount<Side>(p, pins) + DropCount<Side>(p, pins);
}

}  // namespace

int CountMoves(const Position& p, int side) {
  Generator g(p, side, nullptr, nullptr);
  if (const uint32_t w = g.CheckOnKing()) {
    g.Evasion(w);
    return g.Count();
  }
  const int n = side == SELF ? CountNormal<SELF>(p) : CountNormal<ENEMY>(p);
  return n < MAX_MOVES ? n : MAX_MOVES;
}

int GenerateMoves(const Position& p, int side, Move* list, const int32_t* pins) {
  Generator g(p, side, pins, list);
  g.All();
  return g.Count();
}
