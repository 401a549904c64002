// Threat defence search: candidates losing to a forced attack are marked down by how soon the
// loss was found; forbidden candidates most; the all-lose lift; the clock never invents a loss.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/Main.h"
#include "game/timer.h"
#include "search/ai.h"
#include "search/movegen.h"
#include "search/quickdefend.h"
#include "tests/search/threat_test_support.h"
#include "tests/support/picture.h"

namespace {

using threat_test::clear_hash_tables;
using threat_test::points_at_least;

// Settings of a depth-limited run that the clock never ends.
void defend_settings(int next_move, int max_depth1) {
    i                  = next_move;
    MAX_TIME           = 1000000;
    QUICK_SEARCH_DELAY = 0;
    MAX_DEPTH1         = max_depth1;
    break_depth1       = 0;
    situation          = 0.0;
    TIMER(1);
}

std::string run_quickdefend() {
    testing::internal::CaptureStdout();
    QUICKDEFEND();
    return testing::internal::GetCapturedStdout();
}

const char* const LOSE_MESSAGE = "\nMESSAGE Certainly lose... \n";

// The opponent's two closed threes meet at (8, 7): unless the engine takes (8, 7) or one of
// the two completion points (9, 7), (8, 8), the opponent makes two fours at once.
void double_four_threat() {
    fresh_game(15, 1);
    put_picture(qp, 4, 3, {"....o", "....x", "....x", "....x", "oxxx.", ".....", ".....", "o...."});
}

bool holds_double_four(int x, int y) {
    return (x == 8 && y == 7) || (x == 9 && y == 7) || (x == 8 && y == 8);
}

int root_count() {
    int n = 0;
    while (nex[n + 1][1] != 0)
        ++n;
    return n;
}

}  // namespace

TEST(QuickDefend, LosingCandidatesAreMarkedDownByWhenTheLossWasFound) {
    // Penalty (stop - found) * 10000 + 50000, where the deepening stops at MAX_DEPTH1 + 2.
    struct Case {
        int max_depth1;
        int holder, loser;  // jz of the three holding moves and of every other candidate
        bool all_lose;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {3, 0, 0, false, "three plies cannot see the double four"},
        {5, 0, -70000, false, "found at 5, stopped at 7"},
        {7, 0, -90000, false, "found at 5, stopped at 9"},
        {9, 500000 - 70000, 500000 - 110000, true,
         "holders lose at 9, the rest were found at 5 and stay marked lower; all lifted"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        double_four_threat();
        clear_hash_tables();
        defend_settings(10, tc.max_depth1);
        const std::string out = run_quickdefend();
        EXPECT_EQ(out, tc.all_lose ? LOSE_MESSAGE : "") << tc.why;
        EXPECT_EQ(situation, tc.all_lose ? -1.0 : 0.0) << tc.why;
        EXPECT_EQ(break_depth2, tc.max_depth1) << tc.why;
        const int num = root_count();
        ASSERT_GT(num, 3) << tc.why;
        int holders = 0;
        for (int a = 1; a <= num; ++a)
        {
            const int x = nex[a][1], y = ney[a][1];
            const bool holds = holds_double_four(x, y);
            holders += holds;
            EXPECT_EQ(jz[x][y], holds ? tc.holder : tc.loser) << tc.why << " at " << x << "," << y;
        }
        EXPECT_EQ(holders, 3) << tc.why << ": the three holding moves are candidates";
        EXPECT_EQ(jz[1][15], 0) << "points that are not candidates are left alone";
    }
}

TEST(QuickDefend, ProvenLossIsStoredForGoodAndForTheMainSearch) {
    double_four_threat();
    clear_hash_tables();
    defend_settings(10, 5);
    run_quickdefend();
    int permanent = 0, exact = 0;
    for (int s = 0; s < hash_cut2; ++s)
        if (hash_tag2[s].depth == 10000)
        {
            EXPECT_EQ(hash_tag2[s].value, -1);
            ++permanent;
        }
    for (int s = 0; s < hash_cut; ++s)
        if (hash_tag[s].depth != 0)
        {
            EXPECT_EQ(hash_tag[s].depth, 10 + 5 + 5) << "i + DEPTH1 + 5";
            EXPECT_EQ(hash_tag[s].hash_type, 3);
            EXPECT_EQ(hash_tag[s].value, -100000);
            EXPECT_EQ(hash_tag[s].bestpos_x, 0);
            ++exact;
        }
    EXPECT_GT(permanent, 0);
    EXPECT_EQ(permanent, exact) << "every proven loss goes to both tables";
}

TEST(QuickDefend, ForbiddenCandidateGetsTheLargestPenalty) {
    // Crossing open twos of the engine: (7, 7) makes a double three.
    struct Case {
        int next_move;
        int expect;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {11, -100000, "engine black: forbidden, 5 * 10000 + 50000"},
        {10, 0, "engine white: the same point is a fine move"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        fresh_game(15, 4);
        put_picture(qp, 4, 4,
                    {".......", "...o...", "...o...", ".oo....", ".......", ".......", "x.....x"});
        qp[12][3] = 2;
        clear_hash_tables();
        defend_settings(tc.next_move, 3);
        run_quickdefend();
        bool listed = false;
        for (int a = 1; a <= root_count(); ++a)
        {
            const int x = nex[a][1], y = ney[a][1];
            listed |= x == 7 && y == 7;
            EXPECT_GE(jz[x][y], -100000) << tc.why << ": nothing is penalised more";
        }
        ASSERT_TRUE(listed) << tc.why;
        EXPECT_EQ(jz[7][7], tc.expect) << tc.why;
        EXPECT_EQ(situation, 0.0) << tc.why;
    }
}

TEST(QuickDefend, EveryCandidateLosingLiftsThemBack) {
    // An open four of the opponent: whatever the engine does, five follows.
    fresh_game(15, 1);
    put_picture(qp, 4, 7, {".xxxx.", "......", "o....o"});
    qp[12][12] = 1;
    clear_hash_tables();
    defend_settings(10, 3);
    const std::string out = run_quickdefend();
    EXPECT_EQ(out, LOSE_MESSAGE) << "printed once";
    EXPECT_EQ(situation, -1.0);
    EXPECT_EQ(break_depth2, 3);
    const int num = root_count();
    ASSERT_GT(num, 0);
    for (int a = 1; a <= num; ++a)
        EXPECT_EQ(jz[nex[a][1]][ney[a][1]], 500000 - 70000) << "candidate " << a;
}

TEST(QuickDefend, FiveHoldsEvenAgainstAnOpenFour) {
    // The engine's five ends the game: the opponent's open four behind it does not count.
    fresh_game(15, 1);
    put_picture(qp, 4, 7, {".xxxx.", "......", "......", "oooo.."});
    clear_hash_tables();
    defend_settings(10, 3);
    const std::string out = run_quickdefend();
    ASSERT_EQ(nex[1][1], 8) << "the five is the only root candidate";
    ASSERT_EQ(ney[1][1], 10);
    EXPECT_EQ(jz[8][10], 0);
    EXPECT_EQ(situation, 0.0);
    EXPECT_EQ(out, "");
}

TEST(QuickDefend, NoCandidateAtAllReportsALoss) {
    // An empty board offers the root generator nothing above its floor.
    fresh_game(15, 1);
    defend_settings(3, 5);
    const std::string out = run_quickdefend();
    EXPECT_EQ(nex[1][1], 0);
    EXPECT_EQ(out, LOSE_MESSAGE);
    EXPECT_EQ(situation, -1.0);
    for (int x = 1; x <= 15; ++x)
        for (int y = 1; y <= 15; ++y)
            EXPECT_EQ(jz[x][y], 0);
}

TEST(QuickDefend, ClockOutNeverMarksALoss) {
    struct Case {
        bool open_four;
        const char* why;
    };
    const Case cases[] = {{false, "double-four threat"}, {true, "open four: not even all-lose"}};
    for (const Case& tc : cases)
    {
        if (tc.open_four)
        {
            fresh_game(15, 1);
            put_picture(qp, 4, 7, {".xxxx.", "......", "o....o"});
        }
        else
            double_four_threat();
        defend_settings(10, 9);
        MAX_TIME              = 0;
        QUICK_SEARCH_DELAY    = 10;
        const std::string out = run_quickdefend();
        EXPECT_EQ(out, "") << tc.why;
        EXPECT_EQ(situation, 0.0) << tc.why;
        EXPECT_EQ(break_depth2, 0) << tc.why;
        for (int x = 1; x <= 15; ++x)
            for (int y = 1; y <= 15; ++y)
                EXPECT_EQ(jz[x][y], 0) << tc.why;
    }
    // The search owns two fifths of the budget less the margin: 1000 / 5 * 2 = 400 ms.
    struct Share {
        int delay;
        int break_depth;
    };
    for (const Share& sh : {Share{401, 0}, Share{300, 5}})
    {
        double_four_threat();
        defend_settings(10, 5);
        MAX_TIME           = 1000;
        QUICK_SEARCH_DELAY = sh.delay;
        run_quickdefend();
        EXPECT_EQ(break_depth2, sh.break_depth) << "margin " << sh.delay;
    }
    // Short budgets stop anywhere: the marks are exactly those of the last completed
    // iteration, i.e. of a clock-free search whose deepest iteration is break_depth2.
    static int reference[13][JZ_SIDE][JZ_SIDE];
    for (int depth = 1; depth <= 11; depth += 2)
    {
        double_four_threat();
        std::memset(hash_tag2, 0, sizeof hash_tag2);
        defend_settings(10, depth);
        run_quickdefend();
        std::memcpy(reference[depth], jz, sizeof jz);
    }
    for (int budget = 5; budget <= 100; budget += 5)
    {
        double_four_threat();
        std::memset(hash_tag2, 0, sizeof hash_tag2);
        defend_settings(10, 11);
        MAX_TIME = budget;
        run_quickdefend();
        const int done = break_depth2 == 0 ? 1 : break_depth2;
        EXPECT_EQ(std::memcmp(jz, reference[done], sizeof jz), 0) << budget << " ms, " << done;
    }
}

// Generators of the defence search: as the attack search's, sides exchanged, at most 50.
TEST(QuickDefend, GeneratorThresholdsFollowDepth) {
    threat_test::scattered_position(2, 1);
    struct Case {
        bool attack;
        int dep, depth_limit, attack_reach, threshold;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {true, 2, 13, 26, 20, "first attack widened: the attack search reached 2 * DEPTH1"},
        {true, 2, 13, 25, 50, "25 / 2 < 13: not widened"},
        {true, 4, 15, 30, 50, "only the first attack is widened"},
        {true, 2, 11, 22, 100, "within nine plies of the limit: 100 wins"},
        {false, 3, 50, 0, 25, "answers: 25"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        DEPTH1           = tc.depth_limit;
        break_depth1     = tc.attack_reach;
        const int n      = tc.attack ? MOVEP(0, tc.dep) : MOVEC(0, tc.dep);
        const int expect = points_at_least(tc.threshold, 50);
        EXPECT_EQ(n, expect) << tc.why;
        for (int k = 1; k <= n; ++k)
            EXPECT_EQ(nex[k][tc.dep], point[k].posx) << tc.why << ": sorted order, slot " << k;
        EXPECT_EQ(nex[n + 1][tc.dep], 0) << tc.why;
    }
    // The position must tell the thresholds apart.
    DEPTH1           = 13;
    break_depth1     = 26;
    const int wide   = MOVEP(0, 2);
    break_depth1     = 0;
    const int narrow = MOVEP(0, 2);
    DEPTH1           = 11;
    EXPECT_GT(wide, narrow);
    EXPECT_GT(narrow, MOVEP(0, 2));
    EXPECT_LT(jiazhi[3][3], -90000000) << "occupied points start at -100,000,000";
    EXPECT_GT(jiazhi[3][3], -110000000);
}

TEST(QuickDefend, AnswersAreCappedAtFifty) {
    // Many opponent twos give more than fifty answers scoring 25 or more.
    fresh_game(15, 2);
    for (int y = 2; y <= 14; y += 3)
        for (int x = 2; x <= 12; x += 5)
            un[x][y] = un[x + 1][y] = 2;
    DEPTH1 = 50;
    EXPECT_EQ(MOVEC(0, 3), 50);
    EXPECT_GT(points_at_least(25, 1000), 50) << "the board must exceed the cap";
    EXPECT_NE(nex[50][3], 0);
    EXPECT_EQ(nex[51][3], 0);
}
