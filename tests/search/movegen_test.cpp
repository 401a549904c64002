// Candidate generation of the alpha-beta search: window credits, proximity, hint, thresholds
// and the stable sort behind them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "eval/pattern_tables.h"
#include "eval/score_table.h"
#include "search/movegen.h"
#include "tests/support/picture.h"

namespace {

using Cell = std::pair<int, int>;

// Candidates of depth `dep` as (x, y), in list order.
std::vector<Cell> listed(int count, int dep = 1) {
    std::vector<Cell> cells;
    for (int k = 1; k <= count; ++k)
        cells.emplace_back(nex[k][dep], ney[k][dep]);
    return cells;
}

// A fresh 15x15 game under `rule` with the full width at depths 0..2.
void setup(int rule) {
    fresh_game(15, rule);
    F_WID = 50;
    GENERATE_WIDTH(1);
}

// Opponent four closed by the edge: its completing point (5, 8) scores just over 1,000,000 for
// the engine's generator; a little engine shape elsewhere gives points of a few hundred.
void closed_four_position() {
    put_picture(un, 1, 8, {"xxxx."});
    put_picture(un, 8, 3, {".....", "..o..", ".o.o.", "....."});
}

// Two open engine threes meeting at (9, 6): a strong threat well under the winning level.
void crossing_threes_position() { put_picture(un, 6, 6, {"ooo.", "...o", "...o", "...o"}); }

}  // namespace

TEST(Generators, EmptyBoardGivesNoCandidates) {
    setup(1);
    EXPECT_EQ(MOVECOM(0, 1), 0);
    EXPECT_EQ(nex[1][1], 0);
    EXPECT_EQ(MOVEPLA(0, 2), 0);
}

TEST(Generators, FreestyleCutOffsAndOtherRules) {
    struct Case {
        int rule;
        void (*position)();
        int count;  // -1: the full width
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {1, closed_four_position, 1, "freestyle: a winning-level first point stands alone"},
        {4, closed_four_position, -1, "renju: only the threshold 3 and the width apply"},
        {9, closed_four_position, -1, "standard caro: the same"},
        {1, crossing_threes_position, 7, "freestyle strong threat keeps points of 2000 or more"},
        {2, crossing_threes_position, -1, "exactly five keeps every point of 3 or more"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        setup(tc.rule);
        tc.position();
        const int count = MOVECOM(0, 1);
        EXPECT_EQ(count, tc.count < 0 ? Nbranch[1] : tc.count) << tc.why;
        for (int k = 1; k <= count; ++k)
        {
            const int v = jiazhi[nex[k][1]][ney[k][1]];
            EXPECT_GE(v, tc.rule == 1 && tc.count == 7 ? 2000 : 3) << tc.why << " k=" << k;
        }
        if (tc.rule == 1 && tc.count == 7)  // the list stops at the first weak point
        {
            EXPECT_LT(jiazhi[point[8].posx][point[8].posy], 2000) << tc.why;
            EXPECT_GE(jiazhi[point[8].posx][point[8].posy], 3) << tc.why;
        }
    }
    // The strongest point of the crossing threes is where they meet.
    setup(1);
    crossing_threes_position();
    MOVECOM(0, 1);
    EXPECT_EQ(listed(1), (std::vector<Cell>{{9, 6}}));
    EXPECT_GE(jiazhi[9][6], 15001);
}

TEST(Generators, HintSortsFirstButIsSelectedOnItsTrueScore) {
    struct Case {
        int rule;
        void (*position)();
        int thr;
        std::vector<Cell> head;  // first candidates expected
        int count;               // -1: the full width
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {1, closed_four_position, 8 * 10000 + 6 * 100, {{6, 8}, {5, 8}}, 2,
         "hint first; the winning-level second point ends the freestyle list"},
        {4, closed_four_position, 8 * 10000 + 6 * 100, {{6, 8}, {5, 8}, {10, 5}}, -1,
         "renju keeps going"},
        {1, closed_four_position, 15 * 10000 + 15 * 100, {{5, 8}}, 1,
         "a hint 1,000,000 short of the best point does not sort first"},
        {1, crossing_threes_position, 15 * 10000 + 15 * 100, {}, 0,
         "a hint scoring below 3 ends the list at once"},
        {1, closed_four_position, 8, {{5, 8}}, 1, "thr up to 8 is no hint"},
        {1, closed_four_position, 0, {{5, 8}}, 1, "no hint"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        setup(tc.rule);
        tc.position();
        const int count = MOVECOM(tc.thr, 1);
        EXPECT_EQ(count, tc.count < 0 ? Nbranch[1] : tc.count) << tc.why;
        const std::vector<Cell> got = listed(std::min<int>(count, tc.head.size()));
        EXPECT_EQ(got, tc.head) << tc.why;
        // The boost is taken back: the board keeps true scores.
        EXPECT_LT(jiazhi[6][8], 1000) << tc.why;
    }
}

TEST(Generators, ProximityCreditOnlyAroundInnerStones) {
    struct Case {
        int x, y;
        bool credit;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {4, 8, false, "a stone on the fourth line gives none"},
        {5, 8, true, "the fifth line does"},
        {11, 11, true, "up to BOARDSIZE - 4"},
        {12, 8, false, "beyond BOARDSIZE - 4 it does not"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        setup(4);
        un[tc.x][tc.y] = 2;
        // Window credits alone, from the shared window scan.
        int windows[JZ_SIDE][JZ_SIDE] = {};
        scan_windows([&](const Window& w) {
            const EVA& eva = strucB[w.i6];
            windows[w.x][w.y] += eva.edge;
            windows[w.x + 5 * w.dx][w.y + 5 * w.dy] += eva.edge;
            for (int k = 1; k <= 4; ++k)
                windows[w.x + k * w.dx][w.y + k * w.dy] += eva.center;
        });
        MOVECOM(0, 1);
        for (int x = 1; x <= 15; ++x)
            for (int y = 1; y <= 15; ++y)
            {
                if (x == tc.x && y == tc.y)
                    continue;
                const int dx = std::abs(x - tc.x), dy = std::abs(y - tc.y);
                const int ring     = std::max(dx, dy);
                const bool on_line = dx == 0 || dy == 0 || dx == dy;
                int expected       = 0;
                if (tc.credit && on_line && ring <= 2)
                    expected = ring == 1 ? 2 : 1;
                EXPECT_EQ(jiazhi[x][y] - windows[x][y], expected)
                    << tc.why << " at (" << x << "," << y << ")";
            }
    }
}

TEST(Generators, EqualScoresFollowCellNumberOrder) {
    BOARDSIZE = 15;
    for (int x = 0; x < JZ_SIDE; ++x)
        for (int y = 0; y < JZ_SIDE; ++y)
            jiazhi[x][y] = 0;
    jiazhi[4][4] = 7;
    jiazhi[5][3] = 7;  // cell 35 comes before cell 49
    MERGE_SORT();
    EXPECT_EQ(point[1].posx, 5);
    EXPECT_EQ(point[1].posy, 3);
    EXPECT_EQ(point[2].posx, 4);
    EXPECT_EQ(point[2].posy, 4);
    EXPECT_EQ(point[3].posx, 1);  // then the zeros from (1, 1) on
    EXPECT_EQ(point[3].posy, 1);
}

TEST(Generators, SortIsStableAndDescending) {
    struct Case {
        int size, spread, scale;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {15, 3, 1, "few distinct scores: long runs of ties"},
        {20, 1000, 1, "many distinct scores"},
        {10, 1, 1, "all equal: the already-ordered shortcut"},
        {25, 40000, 50000, "scores up to a billion either way, ties among them"},
        {15, 7, 100000000, "a few huge scores of both signs"},
    };
    // clang-format on
    std::srand(7);
    for (const Case& tc : cases)
    {
        BOARDSIZE = tc.size;
        std::vector<POINT> expected;
        for (int y = 1; y <= tc.size; ++y)
            for (int x = 1; x <= tc.size; ++x)
            {
                jiazhi[x][y] = (std::rand() % tc.spread - tc.spread / 2) * tc.scale;
                expected.push_back(POINT{x, y, jiazhi[x][y]});
            }
        std::stable_sort(expected.begin(), expected.end(),
                         [](const POINT& a, const POINT& b) { return a.val > b.val; });
        MERGE_SORT();
        for (int k = 1; k <= tc.size * tc.size; ++k)
        {
            const POINT& want = expected[k - 1];
            ASSERT_TRUE(point[k].posx == want.posx && point[k].posy == want.posy &&
                        point[k].val == want.val)
                << tc.why << " at position " << k;
        }
    }
    BOARDSIZE = 15;
}

TEST(Generators, DivideAndConquerSortsOnlyItsRange) {
    const int vals[] = {5, -3, 5, 9, 0, 9, -3, 1, 5, 2, 9, 0, 7};
    constexpr int N  = sizeof vals / sizeof vals[0];
    for (int k = 0; k < N; ++k)
        point[k + 1] = POINT{k + 1, 0, vals[k]};
    point[0]     = POINT{-1, 0, 100};  // outside the range: untouched
    point[N + 1] = POINT{-2, 0, 100};
    DIVIDE_AND_CONQUER(1, N);
    const int want_x[] = {4, 6, 11, 13, 1, 3, 9, 10, 8, 5, 12, 2, 7};
    for (int k = 0; k < N; ++k)
        EXPECT_EQ(point[k + 1].posx, want_x[k]) << "position " << k + 1;
    EXPECT_EQ(point[0].posx, -1);
    EXPECT_EQ(point[N + 1].posx, -2);
}
