// The point table: fives completed, fives blocked, and edge penalties, under every rule.
#include <gtest/gtest.h>

#include <cstring>

#include "eval/simple_table.h"
#include "game/Main.h"
#include "tests/support/picture.h"

namespace {

constexpr int OWN   = 10000000;
constexpr int BLOCK = 2000000;

struct Credit {
    int x, y, value;
};

// A fresh board late in the game, so that no edge penalty mixes into the credits.
void run_late(int size, int rule) {
    fresh_game(size, rule);
    i = 200;
}

}  // namespace

TEST(SimpleTable, FreestyleCreditsFollowTheFourChecks) {
    struct Case {
        const char* why;
        int x0, y0;
        const char* row;  // along the first index, at second index y0
        Credit expect[3];
    };
    // clang-format off
    const Case cases[] = {
        {"open own four: both ends", 4, 5, ".oooo.", {{4, 5, OWN}, {9, 5, OWN}, {0, 0, 0}}},
        {"own four at the low edge: neither end", 1, 5, "oooo.", {{5, 5, 0}, {0, 0, 0}, {0, 0, 0}}},
        {"opponent four at the low edge: the end on board", 1, 5, "xxxx.", {{5, 5, BLOCK}, {0, 0, 0}, {0, 0, 0}}},
        {"own four at the high edge: neither end", 11, 5, ".oooo", {{11, 5, 0}, {0, 0, 0}, {0, 0, 0}}},
        {"gap second from the far end", 3, 5, "oo.oo", {{5, 5, OWN}, {0, 0, 0}, {0, 0, 0}}},
        {"gap next to the start", 3, 5, "o.ooo", {{4, 5, OWN}, {0, 0, 0}, {0, 0, 0}}},
        {"gap next to the far stone", 3, 5, "ooo.o", {{6, 5, OWN}, {0, 0, 0}, {0, 0, 0}}},
        {"opponent split four", 3, 5, "xx.xx", {{5, 5, BLOCK}, {0, 0, 0}, {0, 0, 0}}},
        {"three is no threat", 3, 5, ".ooo..", {{3, 5, 0}, {6, 5, 0}, {7, 5, 0}}},
        {"mixed line is no four", 3, 5, ".ooxo.", {{3, 5, 0}, {8, 5, 0}, {0, 0, 0}}},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        run_late(15, 1);
        put_picture(qp, tc.x0, tc.y0, {tc.row});
        SIMPLE_TABLE();
        for (const Credit& cr : tc.expect)
        {
            if (cr.x == 0)
                continue;
            EXPECT_EQ(jz[cr.x][cr.y], cr.value) << tc.why << " at " << cr.x << "," << cr.y;
        }
    }
}

TEST(SimpleTable, FreestyleColumnFourIsCreditedAtBothEnds) {
    run_late(15, 1);
    for (int y = 5; y <= 8; ++y)
        qp[5][y] = 1;
    SIMPLE_TABLE();
    EXPECT_EQ(jz[5][4], OWN);
    EXPECT_EQ(jz[5][9], OWN);
}

TEST(SimpleTable, FreestyleAntiDiagonalOffTheBoardCreditsNothing) {
    run_late(15, 1);
    put_picture(qp, 1, 3, {"...o", "..o.", ".o..", "o..."});  // (4,3) up to (1,6)
    SIMPLE_TABLE();
    for (int x = 0; x < JZ_SIDE; ++x)
        for (int y = 0; y < JZ_SIDE; ++y)
            ASSERT_EQ(jz[x][y], 0) << x << "," << y;
    // The opponent's same line is blocked at the end that lies on the board.
    run_late(15, 1);
    put_picture(qp, 1, 3, {"...x", "..x.", ".x..", "x..."});
    SIMPLE_TABLE();
    EXPECT_EQ(jz[5][2], BLOCK);
}

TEST(SimpleTable, SevenCellRulesJudgeTheEndsOfTheFive) {
    struct Case {
        const char* why;
        int rule;
        const char* row;  // along the second index of column 7, from (7, 1)
        Credit expect[2];
    };
    // clang-format off
    const Case cases[] = {
        {"exactly five: a completion making six earns nothing", 2, "o.oooo..", {{7, 2, 0}, {7, 7, OWN}}},
        {"renju: same", 4, "o.oooo..", {{7, 2, 0}, {7, 7, OWN}}},
        {"freestyle: the same completion counts", 1, "o.oooo..", {{7, 2, 2 * OWN}, {7, 7, OWN}}},  // split four and four in a row
        {"exactly five: the opponent's overline needs no block", 2, "..x.xxxx..", {{7, 4, 0}, {7, 9, BLOCK}}},
        {"renju: opponent four blocked at the open end", 4, "...xxxx.x.", {{7, 3, BLOCK}, {7, 8, 0}}},
        {"freestyle caro: closed at both ends earns nothing", 8, ".xoooo.x", {{7, 7, 0}, {0, 0, 0}}},
        {"freestyle caro: closed at one end counts", 8, ".xoooo..", {{7, 7, OWN}, {0, 0, 0}}},
        {"freestyle caro: overline counts, from both windows", 8, ".oooo.o.", {{7, 6, 2 * OWN}, {0, 0, 0}}},
        {"freestyle caro: no blocks", 8, "..xxxx..", {{7, 2, 0}, {7, 7, 0}}},
        {"standard caro: overline earns nothing", 9, ".oooo.o.", {{7, 6, 0}, {0, 0, 0}}},
        {"standard caro: closed at one end counts", 9, ".xoooo..", {{7, 7, OWN}, {0, 0, 0}}},
        {"standard caro: closed at both ends earns nothing", 9, ".xoooo.x", {{7, 7, 0}, {0, 0, 0}}},
        {"standard caro: no blocks", 9, "..xxxx..", {{7, 2, 0}, {7, 7, 0}}},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        run_late(15, tc.rule);
        for (int k = 0; tc.row[k] != '\0'; ++k)
            qp[7][1 + k] = tc.row[k] == 'o' ? 1 : tc.row[k] == 'x' ? 2 : 0;
        SIMPLE_TABLE();
        for (const Credit& cr : tc.expect)
        {
            if (cr.x == 0)
                continue;
            EXPECT_EQ(jz[cr.x][cr.y], cr.value) << tc.why << " at " << cr.x << "," << cr.y;
        }
    }
}

TEST(SimpleTable, EdgePenaltiesCountOncePerCellOrPerDirection) {
    struct Case {
        const char* why;
        int rule, move, x, y, penalty;
    };
    // clang-format off
    const Case cases[] = {
        {"freestyle: once per edge cell", 1, 1, 1, 3, -10000},
        {"freestyle: corner once", 1, 1, 15, 15, -10000},
        {"freestyle: inner cell", 1, 1, 2, 2, 0},
        {"freestyle: late game", 1, 160, 1, 3, 0},
        {"freestyle: last early move", 1, 159, 15, 7, -10000},
        {"exactly five: low second index, three directions", 2, 1, 1, 3, -30000},
        {"exactly five: y = 6 still three", 2, 1, 1, 6, -30000},
        {"exactly five: y = 7 four directions", 2, 1, 1, 7, -30000 - 10000},
        {"renju: far edge four directions", 4, 1, 1, 10, -40000},
        {"caro: corner (1, 1)", 8, 1, 1, 1, -30000},
        {"caro: corner (15, 15)", 9, 1, 15, 15, -40000},
        {"renju: late game", 4, 160, 1, 10, 0},
        {"unknown rule does nothing", 3, 1, 1, 10, 0},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        fresh_game(15, tc.rule);
        i = tc.move;
        SIMPLE_TABLE();
        EXPECT_EQ(jz[tc.x][tc.y], tc.penalty) << tc.why;
    }
}

TEST(SimpleTable, CaroWithoutFoursChangesOnlyEdges) {
    for (int rule : {8, 9})
    {
        fresh_game(15, rule);
        i = 7;
        put_picture(qp, 5, 5, {"ooo.x", "xx.o.", ".xxx."});
        SIMPLE_TABLE();
        for (int x = 2; x <= 14; ++x)
            for (int y = 2; y <= 14; ++y)
                ASSERT_EQ(jz[x][y], 0) << "rule " << rule << " at " << x << "," << y;
    }
}

// Fours against the high edge of the largest board: credits past the edge are dropped and
// nothing outside the playing area of jz is written.
TEST(SimpleTable, CreditsPastTheHighEdgeAreDropped) {
    for (int rule : {1, 2, 4, 8, 9})
    {
        fresh_game(25, rule);
        i = 200;
        for (int k = 22; k <= 25; ++k)
        {
            qp[k][7]  = 1;  // along the first index up to the edge
            qp[9][k]  = 1;  // along the second index
            qp[k][12] = 2;
        }
        for (int x = 0; x < JZ_SIDE; ++x)
            for (int y = 0; y < JZ_SIDE; ++y)
                if (x == 0 || y == 0 || x > 25 || y > 25)
                    jz[x][y] = 77;
        SIMPLE_TABLE();
        for (int x = 0; x < JZ_SIDE; ++x)
            for (int y = 0; y < JZ_SIDE; ++y)
            {
                const bool margin = x == 0 || y == 0 || x > 25 || y > 25;
                ASSERT_TRUE(!margin || jz[x][y] == 77)
                    << "rule " << rule << " wrote " << x << "," << y;
            }
        const bool block = rule == 1 || rule == 2 || rule == 4;
        EXPECT_EQ(jz[21][12], block ? BLOCK : 0) << "rule " << rule;
        // Freestyle's own four needs both ends on the board; the seven-cell rules read the
        // cell past the edge as empty and credit only the end on the board.
        EXPECT_EQ(jz[21][7], rule == 1 ? 0 : OWN) << "rule " << rule;
        EXPECT_EQ(jz[9][21], rule == 1 ? 0 : OWN) << "rule " << rule;
    }
}
