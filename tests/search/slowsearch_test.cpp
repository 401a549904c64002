// The timed alpha-beta search: immediate results, scores by depth, the root filter, the hash
// answers below depth 4 and the iteration kept when the clock cuts one short.
#include <gtest/gtest.h>

#include <cstring>

#include "eval/score_table.h"
#include "game/timer.h"
#include "search/ai.h"
#include "search/movegen.h"
#include "search/slowsearch.h"
#include "tests/support/picture.h"

namespace {

void clear_search_tables() {
    std::memset(hash_tag, 0, sizeof hash_tag);
    std::memset(hash_tag1, 0, sizeof hash_tag1);
    std::memset(hash_tag2, 0, sizeof hash_tag2);
}

// A fresh game whose searches only stop at their depth limits.
void setup(int rule, int max_layer) {
    fresh_game(15, rule);
    clear_search_tables();
    F_WID             = 50;
    MAX_LAYER         = max_layer;
    MAX_TIME          = 100000000;
    SLOW_SEARCH_DELAY = 0;
    TIMER(1);
}

// Lays the picture on qp and on un (the search board DFS reads when called directly).
void lay(int x0, int y0, std::initializer_list<const char*> rows) {
    put_picture(qp, x0, y0, rows);
    put_picture(un, x0, y0, rows);
}

// DFS called directly at depth `dep` of an iteration of depth `layer`, on the position of un.
int dfs_at(int dep, int layer) {
    LAYER = layer;
    GENERATE_WIDTH(layer);
    GENERATE_SCORE_TABLE(layer);
    set_root_key();
    zobristcheck[dep] = zobristcheck[1];
    zobristkey[dep]   = zobristkey[1];
    node = mate_node = 0;
    return DFS(0, dep, -10000000, 10000000);
}

// Engine ('o', code 1) four open at (9, 8); opponent ('x', code 2) stones elsewhere.
void engine_four() {
    lay(5, 8, {"oooo.", "....."});
    lay(4, 12, {"x.x.x.x"});
}

// Opponent four closed on the left, completed at (9, 8).
void opponent_four() {
    lay(4, 8, {"oxxxx."});
    lay(4, 12, {"o.o.o"});
}

}  // namespace

TEST(SlowSearch, ScoresOfWinsAndLossesByDepth) {
    struct Case {
        void (*position)();
        int dep, layer, score;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {engine_four, 3, 3, 499700, "engine wins by its move at depth 3"},
        {engine_four, 1, 5, 499900, "engine wins by its move at depth 1"},
        {opponent_four, 2, 3, -20000, "opponent wins at depth 2 of iteration 3"},
        {opponent_four, 4, 5, -20000, "opponent wins at depth 4 of iteration 5"},
        {opponent_four, 2, 6, -50000, "the same win scores lower in a deeper iteration"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        setup(1, tc.layer);
        tc.position();
        EXPECT_EQ(dfs_at(tc.dep, tc.layer), tc.score) << tc.why;
        // The position after the winning move is stored as exact, one deeper than the node.
        const HISTORY_MAP& stored = hash_tag[zobristkey[tc.dep + 1]];
        EXPECT_EQ(stored.key, zobristcheck[tc.dep + 1]) << tc.why;
        EXPECT_EQ(stored.hash_type, 3) << tc.why;
        EXPECT_EQ(stored.depth, tc.layer + i + 1) << tc.why;
        EXPECT_EQ(stored.value, tc.score) << tc.why;
    }
}

TEST(SlowSearch, StoredScoresAnswerOnlyBelowDepthFour) {
    struct Case {
        int dep;
        bool answered;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {5, true, "depth 5 takes a proven result from the table"},
        {4, false, "depth 4 never probes"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        setup(1, 6);
        lay(6, 6, {"xo.", ".ox", "..x"});
        set_root_key();
        // A threat search proved this position: exact, deep enough for the iteration.
        RECORD_HASH(zobristkey[1], zobristcheck[1], 6 + i, 3, 100000, 0, 0);
        const int score = dfs_at(tc.dep, 6);
        EXPECT_EQ(score == 100000 && node == 1, tc.answered) << tc.why;
        if (tc.answered)
        { EXPECT_EQ(mate_node, 1) << tc.why; }
    }
}

TEST(SlowSearch, WinInOneIsScoredAndTheBoardIsLeftClean) {
    // Exactly five: no freestyle cut-off, so both winning ends are root candidates.
    setup(2, 3);
    engine_four();
    std::memset(un, 0, sizeof un);  // SLOWSEARCH builds its own copy from qp
    SLOWSEARCH();
    EXPECT_EQ(break_depth, 3);
    EXPECT_EQ(jz[9][8], 1000000);
    EXPECT_EQ(jz[4][8], 1000000);  // the other end wins as well
    for (int x = 1; x <= 15; ++x)
        for (int y = 1; y <= 15; ++y)
        {
            EXPECT_EQ(static_cast<int>(un[x][y]), qp[x][y]) << x << "," << y;
            if (!((x == 9 || x == 4) && y == 8))
            { EXPECT_LT(jz[x][y], 1000000) << x << "," << y; }
        }
}

TEST(SlowSearch, ImmediateLossIsAvoided) {
    // Exactly five: no freestyle cut-off, so every candidate is searched.
    setup(2, 2);
    opponent_four();
    SLOWSEARCH();
    int best_x = 1, best_y = 1;
    for (int x = 1; x <= 15; ++x)
        for (int y = 1; y <= 15; ++y)
            if (qp[x][y] == 0 && jz[x][y] > jz[best_x][best_y])
            {
                best_x = x;
                best_y = y;
            }
    EXPECT_EQ(best_x, 9);
    EXPECT_EQ(best_y, 8);
    // Every other root candidate lets the opponent win at depth 2, scoring -(2 + 1 - 2) * 10000
    // when searched with the full window (the first candidate); later ones fail their null
    // window and get one below the best score so far. The root adds 500,000 to both.
    const int block = jz[9][8] - 500000;
    EXPECT_GT(block, -10000);
    int alpha = -10000000, others = 0;
    for (int k = 1; k <= 10; ++k)
    {
        const int x = nex[k][1], y = ney[k][1];
        if (x == 9 && y == 8)
        {
            alpha = block;
            continue;
        }
        const int val = k == 1 ? -10000 : alpha - 1;
        if (val > alpha)
            alpha = val;
        ++others;
        EXPECT_EQ(jz[x][y], val + 500000) << x << "," << y;
    }
    EXPECT_GT(others, 3);
}

TEST(SlowSearch, RootSkipsPointsRuledOutByTheDecision) {
    struct Case {
        int start, after;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {-600000, -600000, "below -599999: skipped"},
        {-599999, 400001, "-599999: searched, the win adds 1,000,000"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        setup(2, 2);
        engine_four();
        jz[9][8] = jz[4][8] = tc.start;
        SLOWSEARCH();
        EXPECT_EQ(jz[9][8], tc.after) << tc.why;
        EXPECT_EQ(jz[4][8], tc.after) << tc.why;
    }
}

TEST(SlowSearch, NoIterationLeavesTheScoreBoardAlone) {
    setup(1, 0);
    engine_four();
    for (int x = 0; x < JZ_SIDE; ++x)
        for (int y = 0; y < JZ_SIDE; ++y)
            jz[x][y] = x * 100 + y;
    SLOWSEARCH();
    EXPECT_EQ(break_depth, 0);
    for (int x = 0; x < JZ_SIDE; ++x)
        for (int y = 0; y < JZ_SIDE; ++y)
            ASSERT_EQ(jz[x][y], x * 100 + y);
}

TEST(SlowSearch, IterationCutByTheClockLeavesTheLastCompletedOne) {
    auto position = [] { lay(5, 5, {"..x.o..", ".xoox..", "..xo.x.", ".o.xo..", "...o.x."}); };
    // Timed: deep iterations cannot finish within 300 ms.
    setup(1, 30);
    position();
    MAX_TIME = 300;
    TIMER(1);
    SLOWSEARCH();
    const int completed = break_depth;
    ASSERT_GE(completed, 1);
    ASSERT_LT(completed, 30);
    int timed[JZ_SIDE][JZ_SIDE];
    std::memcpy(timed, jz, sizeof jz);

    // The same iterations without a clock, stopped at the depth the timed search completed.
    setup(1, completed);
    position();
    SLOWSEARCH();
    EXPECT_EQ(break_depth, completed);
    EXPECT_EQ(std::memcmp(timed, jz, sizeof jz), 0);
}
