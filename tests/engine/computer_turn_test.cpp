// The move decision: time budget and margins, the best point and its tie rule, noise, the
// ranking of candidates, the line printed after each move and the side it plays for.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "engine/computer_turn.h"
#include "game/Main.h"
#include "game/engine_rand.h"
#include "tests/support/picture.h"

namespace {

using V = std::vector<int>;
int point(int k) { return bestx[k] * 100 + besty[k]; }  // ranked candidate k as 100 x + y
const std::string QUIET = "\nMESSAGE Depth 0 (0-0-0)  Eval 0  Node 0 (0+0+0)\n";

// The decision for the side to move on `move`, seeded; what it printed. Boards are set up with
// the side to move as 'o' (1) and recoloured for odd moves, where its stones are 2.
std::string decide(int move, unsigned seed = 1) {
    i = move, engine_srand(seed);
    if (move % 2 == 1)
        REVERSE();
    testing::internal::CaptureStdout();
    computer_turn_for_side_to_move();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

// The margins change just past each bound of their table and keep in proportion beyond it; the
// budget is first cut to a twentieth of the match time left (0: plenty), in 64 bits. Move 2 is
// never searched, whatever the budget.
TEST(ComputerTurn, BudgetAndMarginsAtTheirBoundaries) {
    // clang-format off
    const int cases[][5] = {  // budget, match time left; budget used, quick and slow margins
        {79, 0, 79, 10, 10}, {80, 0, 80, 15, 15}, {100, 0, 100, 20, 20}, {150, 0, 150, 25, 30},
        {200, 0, 200, 30, 45}, {300, 0, 300, 40, 60}, {500, 0, 500, 50, 80}, {2000, 19, 0, 10, 10},
        {1001, 0, 1001, 75, 100}, {2001, 0, 2001, 100, 150}, {4001, 0, 4001, 100, 200},
        {8001, 0, 8001, 150, 500}, {20001, 0, 20001, 200, 500}, {2000, 20020, 1001, 75, 100},
        {1000, 20500, 1000, 50, 80}, {INT_MAX, 3000, 150, 25, 30},
        {INT_MAX, INT_MAX, INT_MAX / 20, 1073741, 2684354}};
    // clang-format on
    for (const auto& tc : cases)
    {
        fresh_game(15, 1);
        qp[8][8] = 2, MAX_TIME = tc[0], TIME_REMAIN = tc[1] != 0 ? tc[1] : INT_MAX;
        ASSERT_EQ(decide(2), QUIET);
        EXPECT_EQ(V({MAX_TIME, QUICK_SEARCH_DELAY, SLOW_SEARCH_DELAY}), V(tc + 2, tc + 5)) << tc[0];
    }
}

// An anti-diagonal four (14, 11)..(11, 14) alone on the board, both ends open on its edges,
// (10, 15) and (15, 10): the point table decides, so only noise (0..19, twice on the first two
// moves) separates them and no search runs. The move is the first strict maximum over the
// whole board in scan order (on a tie the smaller x wins though its y is larger); only the two
// decided points are ranked; the colours are put back.
TEST(ComputerTurn, DecidedMoveIsTheFirstMaximumAfterNoise) {
    for (int move : {2, 3, 10})
    {
        int most = 0, f = 0;  // the largest noise; the point that must win
        for (unsigned seed = 1; seed <= 100; ++seed)
        {
            fresh_game(15, 1);
            draw(qp, 11, 11, "...o/..o./.o../o...");
            ASSERT_EQ(decide(move, seed), QUIET);
            const int a = jz[10][15] - 9490000, b = jz[15][10] - 9490000;  // five, edge, empty
            ASSERT_TRUE(a >= 0 && b >= 0 && std::max(a, b) < (move <= 2 ? 39 : 20)) << a << b;
            most = std::max({most, a, b}), f = a >= b ? 1015 : 1510;
            ASSERT_EQ(V({stonex[i] * 100 + stoney[i], point(0), point(1), point(2), qp[14][11]}),
                      V({f, f, 2525 - f, 0, 1 + move % 2}))
                << seed;
        }
        EXPECT_EQ(most >= 20, move <= 2) << move;
    }
}

// Two open threes crossing at (8, 5), out of the book on move 3: the attack search proves the
// win, the other searches are skipped, and the line shows its depth, its nodes and the winning
// point's score. Then rows of "oooo." on 25 by 25: 125 points make a five, only the first 80
// are ranked.
TEST(ComputerTurn, PrintsTheSearchLineAndRanksAtMostEighty) {
    fresh_game(15, 1);
    MAX_TIME = 1000, TIME_REMAIN = INT_MAX;
    draw(qp, 4, 5, ".ooo./....o/....o/....o");
    EXPECT_EQ(decide(3), "\nMESSAGE Certainly win...\n\n"
                         "MESSAGE Depth 0 (0-4-0)  Eval 10000000  Node 2 (0+2+0)\n");
    fresh_game(25, 1);
    for (int p = 0; p < 25 * 25; ++p)
        qp[p / 25 + 1][p % 25 + 1] = p / 25 % 5 != 4;
    decide(500);
    EXPECT_EQ(V({point(79) != 0, point(80)}), V({1, 0}));
}
