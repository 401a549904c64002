// The game state routines: the board from the move list, new game, colour swap, upper-casing and
// the stopwatch.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "game/timer.h"
#include "tests/support/picture.h"

using V = std::vector<int>;

// Slots given as slot, x, y. Odd slots are the first player's (2), even ones the second's (1); a
// zero x leaves a slot empty whatever its y; a later slot overwrites an earlier one on its point.
TEST(MainState, Routines) {
    fresh_game(20, 4);
    for (const V& s :
         {V{3, 5, 5}, {4, 1, 6}, {5, 0, 9}, {6, 7, 7}, {9, 7, 7}, {10, 20, 20}, {11, 1, 1}})
        stonex[s[0]] = s[1], stoney[s[0]] = s[2];
    ATARI();
    REVERSE();  // the whole board, first and last points included: 2 and 1 swapped
    qp[1][6] = 0, i = 4;
    ATARI_PART();  // only the stone of slot i
    EXPECT_EQ(V({qp[5][5], qp[1][6], qp[0][9], qp[5][7], qp[7][7], qp[20][20], qp[1][1]}),
              V({1, 1, 0, 0, 1, 2, 1}));
    RESTART();  // empties the game, keeps the settings
    EXPECT_EQ(V({i, stonex[9], qp[7][7], BOARDSIZE, gametype}), V({1, 0, 0, 20, 4}));

    std::string s = "info Turn az`{@[ 7,-7 \xe9t";
    UPPERCASE(&s);
    EXPECT_EQ(s, "INFO TURN AZ`{@[ 7,-7 \xe9T");
    EXPECT_EQ(TIMER(1), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const int first = TIMER(2);
    EXPECT_EQ(V({first >= 29, TIMER(3), TIMER(2) >= first, t_delta >= first}), V({1, 0, 1, 1}))
        << first << " ms after 30; other commands give 0; readings count from the one start";
}
