// glibc's TYPE_3 generator: 31 words filled from the seed by the minimal standard generator,
// then r[k] = r[k-3] + r[k-31] (mod 2^32) with the low bit dropped from each output. The
// first 310 outputs after seeding are thrown away, as glibc does.
#include "game/engine_rand.h"

#include <cstdint>

namespace {

constexpr int DEGREE     = 31;
constexpr int SEPARATION = 3;
constexpr int WARM_UP    = 10 * DEGREE;

uint32_t words[DEGREE];
int front   = SEPARATION;  // the word that receives the sum
int rear    = 0;           // the word 31 places back
bool seeded = false;       // an unseeded generator starts as if seeded with 1, like rand()

}  // namespace

void engine_srand(unsigned seed) {
    // The seed is taken as a signed 32-bit word, negative above 2^31 as in glibc.
    int32_t word = static_cast<int32_t>(seed == 0 ? 1u : seed);
    words[0]     = static_cast<uint32_t>(word);
    for (int k = 1; k < DEGREE; ++k)
    {
        // word = 16807 * word % 2147483647 without overflow (Schrage's method).
        const int32_t hi = word / 127773;
        const int32_t lo = word % 127773;
        word             = 16807 * lo - 2836 * hi;
        if (word < 0)
            word += 2147483647;
        words[k] = static_cast<uint32_t>(word);
    }
    front  = SEPARATION;
    rear   = 0;
    seeded = true;
    for (int k = 0; k < WARM_UP; ++k)
        engine_rand();
}

int engine_rand() {
    if (!seeded)
        engine_srand(1);
    words[front] += words[rear];
    const int out = static_cast<int>(words[front] >> 1);
    if (++front == DEGREE)
        front = 0;
    if (++rear == DEGREE)
        rear = 0;
    return out;
}
