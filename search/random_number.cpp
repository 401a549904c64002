// Zobrist random numbers, drawn once per run from the engine's generator.
#include "search/random_number.h"

#include <ctime>

#include "game/engine_rand.h"

U64 random_number[RANDOM_NB];

// Five 15-bit draws per number, shifted by 0, 15, 30, 45 and 60 bits (only 4 bits of the
// last survive). Each draw is masked to 15 bits so a generator with a wider range gives the
// same kind of number.
static void draw_random_numbers() {
    for (U64& number : random_number)
    {
        const U64 r1 = static_cast<U64>(engine_rand() & 32767);
        const U64 r2 = static_cast<U64>(engine_rand() & 32767);
        const U64 r3 = static_cast<U64>(engine_rand() & 32767);
        const U64 r4 = static_cast<U64>(engine_rand() & 32767);
        const U64 r5 = static_cast<U64>(engine_rand() & 32767);
        number       = r1 ^ (r2 << 15) ^ (r3 << 30) ^ (r4 << 45) ^ (r5 << 60);
    }
}

void fill_random_numbers(unsigned seed) {
    engine_srand(seed);
    draw_random_numbers();
}

void GENERATE_RANDOM_NUMBER() { fill_random_numbers(static_cast<unsigned>(std::time(nullptr))); }
