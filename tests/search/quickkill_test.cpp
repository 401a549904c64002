// Threat attack search: forced wins found within the depth, generator thresholds, hash records,
// and the clock never producing a false win.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "game/Main.h"
#include "game/timer.h"
#include "search/ai.h"
#include "search/movegen.h"
#include "search/quickkill.h"
#include "tests/search/threat_test_support.h"
#include "tests/support/picture.h"

namespace {

using threat_test::clear_hash_tables;
using threat_test::points_at_least;

// Settings of a depth-limited run that the clock never ends.
void kill_settings(int next_move, int max_depth) {
    i                  = next_move;
    MAX_TIME           = 1000000;
    QUICK_SEARCH_DELAY = 0;
    MAX_DEPTH          = max_depth;
    situation          = 0.0;
    TIMER(1);
}

// The score board as the move decision prepares it before the searches.
void base_scores() {
    for (int x = 1; x <= BOARDSIZE; ++x)
        for (int y = 1; y <= BOARDSIZE; ++y)
            jz[x][y] = qp[x][y] != 0 ? -1000000000 : -500000;
}

struct Best {
    int x, y;
};
Best best_of_jz() {
    Best b{1, 1};
    for (int x = 1; x <= BOARDSIZE; ++x)
        for (int y = 1; y <= BOARDSIZE; ++y)
            if (jz[x][y] > jz[b.x][b.y])
                b = {x, y};
    return b;
}

std::string run_quickkill() {
    testing::internal::CaptureStdout();
    QUICKKILL();
    return testing::internal::GetCapturedStdout();
}

const char* const WIN_MESSAGE = "\nMESSAGE Certainly win...\n";

// Two closed threes meeting at (8, 7): playing there makes two fours at once.
void double_four_position() {
    fresh_game(15, 1);
    put_picture(qp, 4, 3, {"....x", "....o", "....o", "....o", "xooo.", ".....", ".....", "x...."});
}

// Two open twos crossing at (7, 7): playing there makes two open threes.
void double_three_position() {
    fresh_game(15, 1);
    put_picture(qp, 4, 4,
                {".......", "...o...", "...o...", ".oo....", ".......", "......x", "x.....x"});
}

// A split four at (9, 8) forces (8, 8); then (9, 7) makes two fours. No threes on the way.
void chain_of_fours_position() {
    fresh_game(15, 1);
    put_picture(
        qp, 4, 4,
        {".....x....", ".....ox...", ".....o....", "......ooox", "xooo......", "..x......."});
}

}  // namespace

TEST(QuickKill, ChainOfFoursIsFoundInTheSecondIteration) {
    struct Case {
        int max_depth;
        bool wins;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {4, false, "four, answer, double four: the first iteration stops before the five"},
        {6, true, "the second iteration proves it"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        chain_of_fours_position();
        clear_hash_tables();
        kill_settings(10, tc.max_depth);
        const std::string out = run_quickkill();
        EXPECT_EQ(out, tc.wins ? WIN_MESSAGE : "") << tc.why;
        EXPECT_EQ(jz[9][8], tc.wins ? 10500000 : 0) << tc.why;
        EXPECT_EQ(break_depth1, tc.wins ? 6 : 4) << tc.why;
    }
}

TEST(QuickKill, DoubleFourIsPlayedWithTheMessage) {
    double_four_position();
    clear_hash_tables();
    kill_settings(10, 10);
    base_scores();
    const std::string out = run_quickkill();
    EXPECT_EQ(out, WIN_MESSAGE);
    EXPECT_EQ(situation, 1.0);
    EXPECT_EQ(break_depth1, 4) << "a double four is proven in the first iteration";
    const Best b = best_of_jz();
    EXPECT_EQ(b.x, 8);
    EXPECT_EQ(b.y, 7);
    EXPECT_EQ(jz[8][7], -500000 + 10500000);
}

TEST(QuickKill, FoursAndThreesWinOnlyWithinTheDepth) {
    struct Case {
        int max_depth;
        bool wins;
        int break_depth;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {4, false, 4, "four plies cannot finish an open three"},
        {6, true, 6, "three, four, five: found in the second iteration"},
        {8, true, 6, "deeper limits stop at the first iteration that wins"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        double_three_position();
        clear_hash_tables();
        kill_settings(10, tc.max_depth);
        const std::string out = run_quickkill();
        EXPECT_EQ(situation == 1.0, tc.wins) << tc.why;
        EXPECT_EQ(out, tc.wins ? WIN_MESSAGE : "") << tc.why;
        EXPECT_EQ(jz[7][7], tc.wins ? 10500000 : 0) << tc.why;
        EXPECT_EQ(break_depth1, tc.break_depth) << tc.why;
        EXPECT_EQ(un[7][7], 0) << "the working board is clean afterwards";
    }
}

TEST(QuickKill, RootFiveEndsTheSearchAtOnce) {
    struct Case {
        int rule;
        int max_depth;
        bool marked;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {1, 4, true, "freestyle"},
        {2, 20, true, "exactly five, any depth"},
        {1, 3, false, "no iteration below depth four"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        fresh_game(15, tc.rule);
        put_picture(qp, 3, 5, {"xoooo.", "x....."});
        clear_hash_tables();
        kill_settings(10, tc.max_depth);
        const std::string out = run_quickkill();
        EXPECT_EQ(jz[8][5], tc.marked ? 10500000 : 0) << tc.why;
        EXPECT_EQ(situation, tc.marked ? 1.0 : 0.0) << tc.why;
        EXPECT_EQ(out, tc.marked ? WIN_MESSAGE : "") << tc.why;
        EXPECT_EQ(break_depth1, tc.marked ? 4 : 0) << tc.why;
        EXPECT_EQ(nex[1][1], 8) << tc.why << ": the root list is generated in any case";
        EXPECT_EQ(ney[1][1], 5) << tc.why;
    }
}

TEST(QuickKill, ProvenWinIsStoredForGoodAndForTheMainSearch) {
    double_four_position();
    clear_hash_tables();
    kill_settings(10, 10);
    run_quickkill();
    ASSERT_EQ(situation, 1.0);
    int permanent = 0, exact = 0;
    for (int s = 0; s < hash_cut2; ++s)
        if (hash_tag1[s].depth == 10000)
        {
            EXPECT_EQ(hash_tag1[s].value, 1);
            ++permanent;
        }
    for (int s = 0; s < hash_cut; ++s)
        if (hash_tag[s].depth != 0)
        {
            EXPECT_EQ(hash_tag[s].depth, 10 + 4 + 5) << "i + DEPTH + 5";
            EXPECT_EQ(hash_tag[s].hash_type, 3);
            EXPECT_EQ(hash_tag[s].value, 100000);
            EXPECT_EQ(hash_tag[s].bestpos_x, 0);
            ++exact;
        }
    EXPECT_GE(permanent, 1);
    EXPECT_EQ(permanent, exact) << "every proven win goes to both tables";
}

TEST(QuickKill, LaterSearchesReuseProvenWins) {
    // Depth-four iterations never probe; depth-six ones probe the nodes from depth five on,
    // where the first search left its proven wins.
    double_three_position();
    clear_hash_tables();
    kill_settings(10, 6);
    run_quickkill();
    ASSERT_EQ(situation, 1.0);
    double_three_position();
    kill_settings(12, 6);
    run_quickkill();
    EXPECT_EQ(situation, 1.0);
    EXPECT_EQ(jz[7][7], 10500000);
    EXPECT_GT(mate_node1, 0);
}

TEST(QuickKill, ClockOutNeverGivesAWin) {
    struct Case {
        int max_time;
        const char* why;
    };
    const Case cases[] = {{0, "no time at all"}, {-100, "negative budget"}};
    for (const Case& tc : cases)
    {
        double_four_position();
        clear_hash_tables();
        kill_settings(10, 10);
        MAX_TIME              = tc.max_time;
        QUICK_SEARCH_DELAY    = 10;
        const std::string out = run_quickkill();
        EXPECT_EQ(out, "") << tc.why;
        EXPECT_EQ(situation, 0.0) << tc.why;
        EXPECT_EQ(jz[8][7], 0) << tc.why;
        EXPECT_EQ(break_depth1, 0) << tc.why;
    }
    // The search owns a fifth of the budget less the margin: 1000 / 5 = 200 ms.
    struct Share {
        int delay;
        bool wins;
    };
    for (const Share& sh : {Share{201, false}, Share{150, true}})
    {
        double_four_position();
        kill_settings(10, 10);
        MAX_TIME           = 1000;
        QUICK_SEARCH_DELAY = sh.delay;
        run_quickkill();
        EXPECT_EQ(situation == 1.0, sh.wins) << "margin " << sh.delay;
    }
    // Short budgets end anywhere in the search: a win, when claimed, is the true one.
    for (int budget = 5; budget <= 60; budget += 5)
    {
        double_three_position();
        kill_settings(10, 12);
        MAX_TIME = budget;
        run_quickkill();
        if (situation == 1.0)
        { EXPECT_EQ(jz[7][7], 10500000) << budget; }
        for (int x = 1; x <= 15; ++x)
            for (int y = 1; y <= 15; ++y)
            {
                if (x != 7 || y != 7)
                { EXPECT_EQ(jz[x][y], 0) << budget << " at " << x << "," << y; }
            }
    }
}

// Generators: the list is the sorted points down to the depth's threshold, at most 100.
TEST(QuickKill, GeneratorThresholdsFollowDepth) {
    threat_test::scattered_position(2, 2);
    struct Case {
        bool attack;
        int dep, depth_limit, threshold;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {true, 1, 50, 20, "root attacks: 20"},
        {true, 3, 50, 50, "deeper attacks: 50"},
        {true, 3, 13, 50, "ten plies from the limit: still 50"},
        {true, 3, 12, 100, "within nine plies of the limit: 100"},
        {true, 1, 10, 100, "root within nine plies: 100"},
        {false, 2, 50, 25, "answers: 25"},
        {false, 2, 4, 25, "answers ignore the limit"},
    };
    // clang-format on
    int kept[3] = {0, 0, 0};
    for (const Case& tc : cases)
    {
        DEPTH       = tc.depth_limit;
        const int n = tc.attack ? MOC(0, tc.dep) : MOP(0, tc.dep);
        EXPECT_EQ(n, points_at_least(tc.threshold, 100)) << tc.why;
        for (int k = 1; k <= n; ++k)
        {
            EXPECT_EQ(nex[k][tc.dep], point[k].posx) << tc.why << ": sorted order, slot " << k;
            EXPECT_EQ(ney[k][tc.dep], point[k].posy) << tc.why;
        }
        EXPECT_EQ(nex[n + 1][tc.dep], 0) << tc.why;
        if (tc.attack)
            kept[tc.threshold == 20 ? 0 : tc.threshold == 50 ? 1 : 2] = n;
    }
    // The position must separate the thresholds, or the cases above prove nothing.
    EXPECT_GT(kept[0], kept[1]);
    EXPECT_GT(kept[1], kept[2]);
    EXPECT_GT(kept[2], 0);
}

TEST(QuickKill, GeneratorScoresAreSymmetric) {
    // Every five- and six-cell window is credited to all of its cells alike, so the scores of
    // the board turned or mirrored are the scores turned or mirrored, edges included.
    // A cluster well inside the board: windows reaching in from every side must be counted.
    fresh_game(15, 2);
    put_picture(un, 5, 5,
                {"o.o..x.", ".x.o...", "..xo.o.", "ox.x...", "...oxxx", ".o.....", "x...o.o"});
    char original[JZ_SIDE][JZ_SIDE];
    std::memcpy(original, un, sizeof un);
    int base[2][JZ_SIDE][JZ_SIDE];
    DEPTH = 50;
    for (int sym = 0; sym < 8; ++sym)
    {
        auto map = [sym](int x, int y, int* mx, int* my) {
            int a = (sym & 1) ? 16 - x : x, b = (sym & 2) ? 16 - y : y;
            if (sym & 4)
                std::swap(a, b);
            *mx = a;
            *my = b;
        };
        std::memset(un, 0, sizeof un);
        for (int x = 1; x <= 15; ++x)
            for (int y = 1; y <= 15; ++y)
            {
                int mx, my;
                map(x, y, &mx, &my);
                un[mx][my] = original[x][y];
            }
        for (int gen = 0; gen < 2; ++gen)
        {
            gen == 0 ? MOC(0, 1) : MOP(0, 2);
            for (int x = 1; x <= 15; ++x)
                for (int y = 1; y <= 15; ++y)
                {
                    int mx, my;
                    map(x, y, &mx, &my);
                    if (sym == 0)
                        base[gen][x][y] = jiazhi[x][y];
                    else
                        ASSERT_EQ(jiazhi[mx][my], base[gen][x][y])
                            << (gen == 0 ? "MOC" : "MOP") << " symmetry " << sym << " at " << x
                            << "," << y;
                }
        }
    }
}

TEST(QuickKill, WindowCreditsOfAnOpenTwo) {
    fresh_game(15, 2);
    un[7][8] = un[8][8] = 1;
    DEPTH               = 50;
    MOC(0, 1);
    // Along x, (9, 8) sits in two six-cell windows holding the two in their middle (110 each)
    // and in three five-cell windows holding both stones (5 each).
    EXPECT_EQ(jiazhi[9][8], 235);
    EXPECT_LT(jiazhi[7][8], -9000000) << "occupied points start at -10,000,000";
    EXPECT_GT(jiazhi[7][8], -11000000);
    MOP(0, 2);
    EXPECT_GE(jiazhi[9][8], 25);
}

TEST(QuickKill, FreestyleTakesTheDecisivePointAlone) {
    struct Case {
        int rule, dep, depth_limit, expect;
        const char* why;
    };
    fresh_game(15, 1);
    put_picture(un, 3, 5, {"xoooo.", "x....."});
    // clang-format off
    const Case cases[] = {
        {1, 1, 50, 1, "freestyle: the five alone"},
        {1, 3, 4, 1, "decisive points are tried even at the limit"},
        {2, 1, 50, -1, "exactly five: a full list"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        gametype    = tc.rule;
        DEPTH       = tc.depth_limit;
        const int n = MOC(0, tc.dep);
        if (tc.expect > 0)
        { EXPECT_EQ(n, tc.expect) << tc.why; }
        else
        { EXPECT_GT(n, 1) << tc.why; }
        EXPECT_EQ(nex[1][tc.dep], 8) << tc.why;
        EXPECT_EQ(ney[1][tc.dep], 5) << tc.why;
    }
    // Without a decisive point, freestyle tries nothing within three plies of the limit.
    threat_test::scattered_position(1, 2);
    DEPTH = 6;
    EXPECT_EQ(MOC(0, 3), 0);
    DEPTH = 7;
    EXPECT_GT(MOC(0, 3), 0);
    // The answers' shortcut: blocking the four is the only answer.
    fresh_game(15, 1);
    put_picture(un, 3, 5, {"xoooo.", "x....."});
    DEPTH = 50;
    EXPECT_EQ(MOP(0, 2), 1);
    EXPECT_EQ(nex[1][2], 8);
}
