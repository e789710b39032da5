// Points and piece purchases.
#include "driver/points.h"

#include <cstdio>

#include "driver/protocol.h"
#include "position/keys.h"

int PointGrid[10][10];
int EnginePoints[POINT_KINDS];

void FillPointGrid() {
  int left[POINT_KINDS + 1] = {0, POINTS_PER_KIND, POINTS_PER_KIND, POINTS_PER_KIND};
  for (int file = 1; file <= 9; ++file) {
    for (int rank = 1; rank <= 9; ++rank) {
      int placed = 0;
      while (!placed) {
        int k = Rand15() * 10 / 32768;  // 0..9
        // Preference 40 % kind 1, 30 % kind 2, 30 % kind 3, each with its
        // own fall-back order.
        static const int order1[] = {1, 0, 0};
        static const int order2[] = {2, 3, 1};
        static const int order3[] = {3, 1, 0};
        const int* order = k <= 3 ? order1 : k <= 6 ? order2 : order3;
        for (int i = 0; i < 3 && order[i] && !placed; ++i) {
          if (left[order[i]] > 0) {
            --left[order[i]];
            placed = order[i];
          }
        }
      }
      PointGrid[file][rank] = placed;
    }
  }
}

const char* HumanPickUp(int piece, int dest) {
  if (piece != SOU || !IsSquare(dest)) return POINT_REPORT[0];
  int& cell = PointGrid[FileOf(dest)][RankOf(dest)];
  int kind = cell;
  cell = 0;
  return POINT_REPORT[kind];
}

void EnginePickUp(int piece, int dest) {
  if (piece != EOU || !IsSquare(dest)) return;
  int kind = PointGrid[FileOf(dest)][RankOf(dest)];
  if (kind) ++EnginePoints[kind - 1];
}

bool PaymentFits(int kind, int a, int b, int c) {
  int sum = a + b + c;
  bool anyThree = a >= 3 || b >= 3 || c >= 3;
  bool eachOne = a >= 1 && b >= 1 && c >= 1;
  switch (kind) {
    case FU:
      return sum == 1;
    case KY:
      return sum == 2;
    case KE:
      return a == 1 && b == 1 && c == 1;
    case GI:
      return eachOne && sum == 4;
    case KI:
      return sum == 4 && anyThree;
    case KA:
      return eachOne && sum == 7;
    case HI:
      return sum == 7 && anyThree;
    default:
      return false;
  }
}

bool CheckPurchase(const char* line) {
  // Up to four single digits, blanks skipped before each. A line with only
  // two or three readable digits counts the missing points as 0.
  int digit[4] = {0, 0, 0, 0};
  int n = 0;
  const char* s = line;
  while (n < 4) {
    while (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\r' || *s == '\v' || *s == '\f') ++s;
    if (*s < '0' || *s > '9') break;
    digit[n++] = *s++ - '0';
  }
  if (n < 2) return false;
  return PaymentFits(digit[0], digit[1], digit[2], digit[3]);
}

bool FindPayment(int kind, const int held[POINT_KINDS], int payment[POINT_KINDS]) {
  int c[POINT_KINDS] = {0, 0, 0};
  for (;;) {
    if (c[0] >= held[0] && c[1] >= held[1] && c[2] >= held[2]) return false;
    for (int j = 0; j < POINT_KINDS; ++j) {
      if (c[j] < held[j]) ++c[j];
      char line[64];
      std::snprintf(line, sizeof line, "%d%d%d%d", kind, c[0], c[1], c[2]);
      if (CheckPurchase(line)) {
        for (int i = 0; i < POINT_KINDS; ++i) payment[i] = c[i];
        return true;
      }
    }
  }
}

void FillHand(int value, Position& p, int side) {
  int base = side == ENEMY ? ENEMY : SELF;
  for (int kind = FU; kind <= HI; ++kind) p.Motigoma[base + kind] = value;
}

void AddHandPiece(int kind, Position& p, int side) {
  if (kind < FU || kind > HI) return;
  ++p.Motigoma[(side == ENEMY ? ENEMY : SELF) + kind];
}
