#include "search/ordered_lists.h"

#include <cstring>

namespace {

constexpr int SLOT_BITS = 12;
constexpr uint32_t SLOT_MASK = (1u << SLOT_BITS) - 1;
// The lists follow each other in a ring of moves; the oldest are
// overwritten first. A search rarely orders more moves than this between
// two visits of the same node.
constexpr uint64_t RING_MOVES = uint64_t{1} << 16;

constexpr size_t SUMS_BYTES = sizeof(EvalState) - sizeof(Position);

// The hand counts a list depends on: the keys do not follow hands that
// the game fills and empties, so the counts are compared themselves.
constexpr int HAND_FIRST = SFU;
constexpr size_t HAND_BYTES = (EHI + 1 - HAND_FIRST) * sizeof(int32_t);

// What tells slots apart comes first, so that a slot of another position
// is passed over after one cache line.
struct Slot {
  HashKey hash;      // board key of the position
  uint64_t start;    // ring position of the list's first move
  uint32_t version;  // EvalTablesVersion the list was scored with
  uint16_t count;    // 0: the slot holds nothing
  uint8_t side;
  uint8_t sums[SUMS_BYTES];
  uint8_t hands[HAND_BYTES];
  uint8_t cells[sizeof(Position::Cells)];
};

Slot Slots[1u << SLOT_BITS];
Move Ring[RING_MOVES];
uint64_t Written = 0;  // moves written into the ring since start

const uint8_t* SumsOf(const EvalState& e) {
  return reinterpret_cast<const uint8_t*>(&e) + sizeof(Position);
}

Slot& SlotOf(const Position& p, int side) {
  return Slots[(static_cast<uint32_t>(p.Kyokumen >> 32) ^ static_cast<uint32_t>(side)) & SLOT_MASK];
}

const int32_t* HandsOf(const Position& p) {
  return p.Motigoma + HAND_FIRST;
}

// The whole board, both hands and the sums are compared: a list taken back
// for another position would change the search's result.
bool Holds(const Slot& s, const EvalState& e, int side) {
  // Anything written since the list began more than a ring ago covers it.
  return s.count != 0 && s.hash == e.pos.Hash && s.side == side && s.version == EvalTablesVersion &&
         Written - s.start <= RING_MOVES && std::memcmp(s.sums, SumsOf(e), SUMS_BYTES) == 0 &&
         std::memcmp(s.hands, HandsOf(e.pos), HAND_BYTES) == 0 &&
         std::memcmp(s.cells, e.pos.Cells, sizeof s.cells) == 0;
}

void Keep(Slot& s, const EvalState& e, int side, const Move* list, int count) {
  // A list never wraps round the end of the ring.
  if (Written % RING_MOVES + count > RING_MOVES) Written += RING_MOVES - Written % RING_MOVES;
  s.hash = e.pos.Hash;
  std::memcpy(s.cells, e.pos.Cells, sizeof s.cells);
  std::memcpy(s.hands, HandsOf(e.pos), HAND_BYTES);
  std::memcpy(s.sums, SumsOf(e), SUMS_BYTES);
  s.start = Written;
  s.version = EvalTablesVersion;
  s.count = static_cast<uint16_t>(count);
  s.side = static_cast<uint8_t>(side);
  std::memcpy(Ring + Written % RING_MOVES, list, count * sizeof(Move));
  Written += count;
}

}  // namespace

int KeptOrderedMoves(const EvalState& e, int side, Move* list) {
  const Slot& s = SlotOf(e.pos, side);
  if (!Holds(s, e, side)) return -1;
  std::memcpy(list, Ring + s.start % RING_MOVES, s.count * sizeof(Move));
  return s.count;
}

void KeepOrderedMoves(const EvalState& e, int side, const Move* list, int count) {
  Keep(SlotOf(e.pos, side), e, side, list, count);
}

void PrefetchOrderedMoves(const Position& p, int side) {
  __builtin_prefetch(&SlotOf(p, side));
}

void ForgetOrderedLists() {
  std::memset(Slots, 0, sizeof Slots);
}
