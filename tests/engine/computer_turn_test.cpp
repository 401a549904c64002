// The move decision: time budget and margins, the best point and its tie rule, noise, the
// ranking of candidates and the line printed after each move.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/computer_turn.h"
#include "game/Main.h"
#include "tests/support/picture.h"

namespace {

constexpr int OWN_FIVE = 10000000;

// The engine's open four on column 2 (ends (2, 4) and (2, 9)), outside the book's centre,
// plus a few scattered opponent stones: the point table decides, no search runs.
void open_four_position(int move) {
    fresh_game(15, 1);
    for (int y = 5; y <= 8; ++y)
        qp[2][y] = 1;
    qp[13][13] = 2, qp[12][2] = 2, qp[9][12] = 2, qp[14][7] = 2;
    i = move;
}

std::string decide() {
    testing::internal::CaptureStdout();
    COMPUTER_TURN();
    return testing::internal::GetCapturedStdout();
}

// First strict maximum of jz, x outer and y inner.
void first_max(int* bx, int* by) {
    *bx = 1, *by = 1;
    for (int x = 1; x <= BOARDSIZE; ++x)
        for (int y = 1; y <= BOARDSIZE; ++y)
            if (jz[x][y] > jz[*bx][*by])
                *bx = x, *by = y;
}

}  // namespace

TEST(ComputerTurn, MarginsChangeAtTheirBoundaries) {
    struct Case {
        int max_time, quick, slow;
    };
    // clang-format off
    const Case cases[] = {
        {-5, 10, 10},      {0, 10, 10},        {79, 10, 10},       {80, 15, 15},
        {99, 15, 15},      {100, 20, 20},      {149, 20, 20},      {150, 25, 30},
        {199, 25, 30},     {200, 30, 45},      {299, 30, 45},      {300, 40, 60},
        {499, 40, 60},     {500, 50, 80},      {999, 50, 80},      {1000, 50, 80},
        {1001, 75, 100},   {2000, 75, 100},    {2001, 100, 150},   {4000, 100, 150},
        {4001, 100, 200},  {8000, 100, 200},   {8001, 150, 500},   {20000, 150, 500},
        {20001, 200, 500}, {40000, 400, 1000}, {INT_MAX, INT_MAX / 100, INT_MAX / 40},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        int quick = -1, slow = -1;
        search_margins(tc.max_time, &quick, &slow);
        EXPECT_EQ(quick, tc.quick) << tc.max_time;
        EXPECT_EQ(slow, tc.slow) << tc.max_time;
    }
}

TEST(ComputerTurn, BudgetIsCutToATwentiethOfTheMatchTimeWithoutOverflow) {
    struct Case {
        const char* why;
        int max_time, time_remain, budget, quick, slow;
    };
    // clang-format off
    const Case cases[] = {
        {"short match time halves the budget", 2000, 20000, 1000, 50, 80},
        {"long match time leaves it", 2000, 1000000000, 2000, 75, 100},
        {"exactly twenty budgets is no cut", 1000, 20000, 1000, 50, 80},
        {"int-sized turn time against 3 s left", INT_MAX, 3000, 150, 25, 30},
        {"int-sized turn and match time", INT_MAX, INT_MAX, INT_MAX / 20, INT_MAX / 20 / 100,
         INT_MAX / 20 / 40},
        {"under 20 ms left gives nothing", 2000, 19, 0, 10, 10},
        {"long budgets keep proportional margins", 30000, 1000000000, 30000, 300, 750},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        open_four_position(9);
        MAX_TIME    = tc.max_time;
        TIME_REMAIN = tc.time_remain;
        decide();
        EXPECT_EQ(MAX_TIME, tc.budget) << tc.why;
        EXPECT_EQ(QUICK_SEARCH_DELAY, tc.quick) << tc.why;
        EXPECT_EQ(SLOW_SEARCH_DELAY, tc.slow) << tc.why;
    }
}

// Over many seeds the move is always the first strict maximum of jz; when the noise ties the
// two ends of an anti-diagonal four, the smaller x wins even though its y is larger.
TEST(ComputerTurn, BestPointIsTheFirstMaximumInScanOrder) {
    MAX_TIME = 1000, TIME_REMAIN = 1000000000;
    int ties = 0;
    for (unsigned seed = 1; seed <= 300; ++seed)
    {
        fresh_game(15, 1);
        put_picture(qp, 5, 5, {"...o", "..o.", ".o..", "o..."});  // (8,5) .. (5,8)
        qp[13][13] = 2, qp[12][2] = 2, qp[2][12] = 2, qp[14][7] = 2;
        i = 9;
        std::srand(seed);
        decide();
        int bx = 0, by = 0;
        first_max(&bx, &by);
        ASSERT_EQ(stonex[i], bx) << "seed " << seed;
        ASSERT_EQ(stoney[i], by) << "seed " << seed;
        ASSERT_TRUE((bx == 4 && by == 9) || (bx == 9 && by == 4)) << "seed " << seed;
        if (jz[4][9] == jz[9][4])
        {
            ++ties;
            EXPECT_EQ(stonex[i], 4) << "seed " << seed;
        }
    }
    EXPECT_GT(ties, 0);
}

TEST(ComputerTurn, FirstTwoMovesGetNoiseTwice) {
    MAX_TIME = 1000, TIME_REMAIN = 1000000000;
    for (int move : {2, 3})
    {
        int most = 0;
        for (unsigned seed = 1; seed <= 100; ++seed)
        {
            open_four_position(move);
            std::srand(seed);
            decide();
            const int noise = jz[2][4] - (OWN_FIVE - 500000);
            ASSERT_GE(noise, 0) << "move " << move;
            ASSERT_LE(noise, move <= 2 ? 38 : 19) << "move " << move;
            most = std::max(most, noise);
        }
        EXPECT_EQ(most > 19, move <= 2) << "move " << move;
    }
}

TEST(ComputerTurn, PrintsEvalZeroWhenNoSearchRan) {
    MAX_TIME = 1000, TIME_REMAIN = 1000000000;
    open_four_position(9);
    const std::string out = decide();
    EXPECT_EQ(out, "\nMESSAGE Depth 0 (0-0-0)  Eval 0  Node 0 (0+0+0)\n");
    EXPECT_GT(jz[stonex[i]][stoney[i]], OWN_FIVE / 2);  // large values, still Eval 0
    EXPECT_EQ(stonex[i], 2);
}

TEST(ComputerTurn, PrintsTheSearchLineWithTheBestCandidateScore) {
    fresh_game(15, 1);
    put_picture(qp, 6, 6, {"x..", ".o.", "..x"});
    i        = 4;
    MAX_TIME = 100, TIME_REMAIN = 1000000000;
    const std::string out = decide();
    int depth = -1, d0 = -1, d1 = -1, d2 = -1, eval = 0, total = -1, n0 = -1, n1 = -1, n2 = -1;
    ASSERT_EQ(std::sscanf(out.c_str(), "\nMESSAGE Depth %d (%d-%d-%d)  Eval %d  Node %d (%d+%d+%d)",
                          &depth, &d0, &d1, &d2, &eval, &total, &n0, &n1, &n2),
              9)
        << out;
    EXPECT_EQ(depth, d0);
    EXPECT_EQ(total, n0 + n1 + n2);
    const bool searched = d0 != 0 || d1 != 0 || d2 != 0;
    EXPECT_EQ(eval, searched ? jz[bestx[0]][besty[0]] : 0);
    EXPECT_EQ(qp[stonex[i]][stoney[i]], 0);
}

TEST(ComputerTurn, FullBoardGivesNoMove) {
    fresh_game(10, 1);
    for (int x = 1; x <= 10; ++x)
        for (int y = 1; y <= 10; ++y)
            qp[x][y] = ((x + 2 * y) / 2) % 2 + 1;
    i        = 101;
    MAX_TIME = 100, TIME_REMAIN = 1000000000;
    decide();
    EXPECT_EQ(stonex[i], 0);
    EXPECT_EQ(stoney[i], 0);
    EXPECT_EQ(bestx[0], 0);
    EXPECT_EQ(besty[0], 0);
}

// Rows of "oooo." give 125 cells worth a five; only 80 are ranked, best first, each once.
TEST(ComputerTurn, RankingListsAtMostEightyCandidates) {
    fresh_game(25, 1);
    for (int y = 1; y <= 25; ++y)
        for (int x = 1; x <= 25; ++x)
            qp[x][y] = x % 5 == 0 ? 0 : 1;
    i        = 501;
    MAX_TIME = 100, TIME_REMAIN = 1000000000;
    decide();
    int decided = 0;
    for (int x = 1; x <= 25; ++x)
        for (int y = 1; y <= 25; ++y)
            decided += jz[x][y] >= -200000;
    ASSERT_GT(decided, 80);
    EXPECT_NE(bestx[79], 0);
    EXPECT_EQ(bestx[80], 0);
    EXPECT_EQ(besty[80], 0);
    EXPECT_EQ(bestx[0], stonex[i]);
    EXPECT_EQ(besty[0], stoney[i]);
    for (int k = 1; k < 80; ++k)
    {
        const int before = jz[bestx[k - 1]][besty[k - 1]], now = jz[bestx[k]][besty[k]];
        EXPECT_TRUE(before > now ||
                    (before == now && (bestx[k - 1] < bestx[k] ||
                                       (bestx[k - 1] == bestx[k] && besty[k - 1] < besty[k]))))
            << "rank " << k;
    }
}

TEST(ComputerTurn, RankingStopsAtTheDecidedThreshold) {
    MAX_TIME = 1000, TIME_REMAIN = 1000000000;
    open_four_position(9);
    decide();
    int decided = 0;
    for (int x = 1; x <= 15; ++x)
        for (int y = 1; y <= 15; ++y)
            decided += jz[x][y] >= -200000;
    EXPECT_GE(decided, 2);
    EXPECT_NE(bestx[decided - 1], 0);
    EXPECT_EQ(bestx[decided], 0);
}

// A double four one move away: the attack search proves the win, and the defence and
// alpha-beta searches are skipped (their counters stay at zero).
TEST(ComputerTurn, ProvenWinSkipsTheOtherSearches) {
    fresh_game(15, 1);
    put_picture(qp, 4, 5, {"xooo.", "....o", "....o", "....o", "....x"});
    qp[12][12] = 2, qp[2][13] = 2;
    i        = 11;
    MAX_TIME = 500, TIME_REMAIN = 1000000000;
    decide();
    ASSERT_EQ(situation, 1.0);
    EXPECT_EQ(stonex[i], 8);
    EXPECT_EQ(stoney[i], 5);
    EXPECT_GT(break_depth1, 0);
    EXPECT_EQ(break_depth, 0);
    EXPECT_EQ(break_depth2, 0);
    EXPECT_EQ(node, 0);
    EXPECT_EQ(node2, 0);
}
