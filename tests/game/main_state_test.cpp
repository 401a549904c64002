// The game state routines: new game, board rebuild, colour swap, upper-casing, stopwatch.
#include <gtest/gtest.h>

#include <string>

#include "game/Main.h"
#include "game/timer.h"
#include "tests/support/picture.h"

TEST(MainState, RestartEmptiesTheGameAndKeepsTheSettings) {
    fresh_game(20, 4);
    MAX_TIME    = 777;
    TIME_REMAIN = 12345;
    stonex[1] = 3, stoney[1] = 4, stonex[2] = 5, stoney[2] = 6;
    i = 3;
    ATARI();
    RESTART();
    EXPECT_EQ(i, 1);
    EXPECT_EQ(stonex[1], 0);
    EXPECT_EQ(stoney[2], 0);
    EXPECT_EQ(qp[3][4], 0);
    EXPECT_EQ(qp[5][6], 0);
    EXPECT_EQ(BOARDSIZE, 20);
    EXPECT_EQ(gametype, 4);
    EXPECT_EQ(MAX_TIME, 777);
    EXPECT_EQ(TIME_REMAIN, 12345);
}

TEST(MainState, AtariColoursBySlotParity) {
    struct Case {
        const char* why;
        int slot, x, y, colour;
    };
    fresh_game();
    stonex[3] = 5, stoney[3] = 5;  // odd slot: first player
    stonex[4] = 5, stoney[4] = 6;  // even slot: second player
    stonex[5] = 0, stoney[5] = 9;  // empty slot whatever its y
    stonex[6] = 7, stoney[6] = 7;
    stonex[9] = 7, stoney[9] = 7;  // later slot on the same point wins
    ATARI();
    // clang-format off
    const Case cases[] = {
        {"odd slot gives 2", 3, 5, 5, 2},
        {"even slot gives 1", 4, 5, 6, 1},
        {"slot with stonex 0 is skipped", 5, 0, 9, 0},
        {"later slot overwrites", 9, 7, 7, 2},
    };
    // clang-format on
    for (const Case& tc : cases)
        EXPECT_EQ(qp[tc.x][tc.y], tc.colour) << tc.why;
    int stones = 0;
    for (int x = 0; x < QP_SIDE; ++x)
        for (int y = 0; y < QP_SIDE; ++y)
            stones += qp[x][y] != 0;
    EXPECT_EQ(stones, 3);
}

TEST(MainState, AtariPartPutsOnlySlotI) {
    fresh_game();
    stonex[1] = 2, stoney[1] = 2;
    stonex[2] = 3, stoney[2] = 3;
    i = 2;
    ATARI_PART();
    EXPECT_EQ(qp[2][2], 0);
    EXPECT_EQ(qp[3][3], 1);
}

TEST(MainState, ReverseSwapsColoursAndTwiceRestores) {
    fresh_game(10);
    put_picture(qp, 1, 1, {"ox.", ".xo"});
    qp[10][10] = 1;
    REVERSE();
    EXPECT_EQ(qp[1][1], 2);
    EXPECT_EQ(qp[2][1], 1);
    EXPECT_EQ(qp[3][1], 0);
    EXPECT_EQ(qp[10][10], 2);
    REVERSE();
    EXPECT_EQ(qp[1][1], 1);
    EXPECT_EQ(qp[2][2], 2);
    EXPECT_EQ(qp[3][2], 1);
    EXPECT_EQ(qp[10][10], 1);
}

TEST(MainState, UppercaseTouchesOnlyLowerCaseAscii) {
    struct Case {
        std::string in, out;
    };
    // clang-format off
    const Case cases[] = {
        {"info", "INFO"},
        {"Turn", "TURN"},
        {"time_left", "TIME_LEFT"},
        {"7,-7,2", "7,-7,2"},
        {"\xe9t\xc3\xa9", "\xe9T\xc3\xa9"},
        {"", ""},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        std::string s = tc.in;
        UPPERCASE(&s);
        EXPECT_EQ(s, tc.out) << tc.in;
    }
}

TEST(MainState, TimerReadingsGrowFromOneStart) {
    EXPECT_EQ(TIMER(1), 0);
    const int first    = TIMER(2);
    volatile long spin = 0;
    for (long k = 0; k < 20000000; ++k)
        spin = spin + k;
    const int second = TIMER(2);
    EXPECT_GE(first, 0);
    EXPECT_GE(second, first);
    EXPECT_EQ(TIMER(3), 0);
    EXPECT_EQ(TIMER(2), t_delta);
}
