// The engine's generator draws glibc's rand() sequence, whatever the C library.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/engine_rand.h"

TEST(EngineRand, DrawsTheSequenceOfGlibcRand) {
#ifndef __GLIBC__
    GTEST_SKIP() << "the reference sequence is glibc's rand()";
#else
    for (unsigned seed : {0u, 1u, 7u, 20261206u, 2147483648u, 4294967295u})
    {
        std::srand(seed);
        engine_srand(seed);
        for (int k = 0; k < 1000; ++k)
            ASSERT_EQ(engine_rand(), std::rand()) << "seed " << seed << ", draw " << k;
    }
#endif
}
