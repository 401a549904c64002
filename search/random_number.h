// Zobrist random numbers: one 64-bit number per (stone code x cell number) index.
#pragma once

#include <cstdint>

using U64 = uint64_t;

constexpr int RANDOM_NB = 2000;
extern U64 random_number[RANDOM_NB];
static_assert(2 * 25 * 25 < RANDOM_NB, "the largest board's stone indexes must fit");

void GENERATE_RANDOM_NUMBER();  // seeds the generator from the clock, then fills the table
void fill_random_numbers(unsigned seed);  // seeds the generator with `seed`, then fills the table
