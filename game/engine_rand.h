// The engine's own pseudo-random generator. It draws exactly the sequence of glibc's rand()
// (the additive feedback generator of degree 31), so a seed gives the same Zobrist keys, book
// variations and noise whatever C library the program is linked with.
#pragma once

constexpr int ENGINE_RAND_MAX = 2147483647;  // largest engine_rand() value, as glibc's RAND_MAX

void engine_srand(unsigned seed);  // seed 0 acts as seed 1
int engine_rand();                 // next number in 0..ENGINE_RAND_MAX
