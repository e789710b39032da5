// Hash keys and the engine's 15-bit pseudo-random generator.
#pragma once

#include "position/types.h"

// BoardKey[code][square] for codes 0..47 and squares 0..153 (17..153 used);
// HandKey[code][count] for codes 0..39 and counts 0..18.
extern HashKey BoardKey[48][154];
extern HashKey HandKey[40][19];

// The runtime's 15-bit generator: a 32-bit state starting at 1; each draw
// sets state = state * 22695477 + 1 and yields bits 16..30. Seeding sets the
// state and discards one draw. Written here so that every platform draws the
// same sequence.
void Rand15Seed(uint32_t seed);
int Rand15();

// Fills BoardKey and HandKey from the generator in its unseeded state
// (resets the state to 1 first, so the keys are the same in every run).
void InitHashKeys();
