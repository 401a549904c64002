// Helpers shared by the tests of the two threat searches.
#pragma once

#include <cstring>

#include "eval/score_table.h"
#include "game/Main.h"
#include "search/ai.h"
#include "search/movegen.h"
#include "tests/support/picture.h"

namespace threat_test {

// The engine never clears its tables; tests that read or depend on them start from zero.
inline void clear_hash_tables() {
    std::memset(hash_tag, 0, sizeof hash_tag);
    std::memset(hash_tag1, 0, sizeof hash_tag1);
    std::memset(hash_tag2, 0, sizeof hash_tag2);
}

// How many candidates a threshold keeps: the points of jiazhi scoring at least t, capped.
inline int points_at_least(int t, int cap) {
    int count = 0;
    for (int x = 1; x <= BOARDSIZE; ++x)
        for (int y = 1; y <= BOARDSIZE; ++y)
            count += jiazhi[x][y] >= t;
    return count < cap ? count : cap;
}

// Twos and single stones of both sides spread over `un`, plus one closed three of the side
// `three_of` (its single open five-cell window credits 50): scores fall in every band.
inline void scattered_position(int rule, int three_of) {
    fresh_game(15, rule);
    put_picture(un, 2, 2,
                {".............", ".oo......x...", "..........x..", ".............",
                 "....o........", "...o...xx....", ".............", "..x......o...",
                 "...x......o..", ".............", "..oo.....xx..", "............."});
    un[8][14]  = static_cast<char>(3 - three_of);
    un[9][14]  = static_cast<char>(three_of);
    un[10][14] = static_cast<char>(three_of);
    un[11][14] = static_cast<char>(three_of);
}

}  // namespace threat_test
