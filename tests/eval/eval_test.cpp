// Evaluation: the window tables, the branch widths, the leaf score with its parity and rule
// adjustments, the point table and the game-end test of a search node. Pictures: rows separated
// by '/', character k of row r at (x0 + k, y0 + r); 'o' code 1, 'x' code 2, '*' the point of
// interest.
#include <gtest/gtest.h>

#include <numeric>
#include <tuple>
#include <vector>

#include "eval/pattern_tables.h"
#include "eval/score_table.h"
#include "eval/simple_table.h"
#include "eval/situa.h"
#include "search/thread.h"
#include "tests/support/picture.h"

namespace {

EvalThread& th = main_thread;  // the eval floor's part of the main thread's state

// A cell code, then the index of the six- or five-cell window `k`, with the sides' colours
// exchanged.
int sw(int c) { return c == 1 || c == 2 ? 3 - c : c; }
int swapped6(int k) {
    return idx6(sw(k / 324), sw(k / 108 % 3), sw(k / 36 % 3), sw(k / 12 % 3), sw(k / 4 % 3),
                sw(k % 4));
}
int swapped5(int k) {
    return idx5(sw(k / 81), sw(k / 27 % 3), sw(k / 9 % 3), sw(k / 3 % 3), sw(k % 3));
}

// strucT, then the edge and centre credits of strucB and of strucW, of window `k`.
std::vector<int> scores(int k) {
    return {strucT[k], strucB[k].edge, strucB[k].center, strucW[k].edge, strucW[k].center};
}

}  // namespace

// Worked windows: the whole-position score, then the edge and centre credits of strucB and strucW.
// Sweeps: a middle holding both sides is worth nothing; exchanging the colours negates strucT and
// trades strucB for strucW (empty middles excepted: the side-2 pass overwrote them); the defence
// threat tables are the attack ones with the colours exchanged; six-cell threat entries only
// have empty ends.
TEST(EvalTables, PatternsWidthsAndLeafScore) {
    // clang-format off
    const std::tuple<int, std::vector<int>, const char*> worked[] = {
        {idx6(2, 0, 0, 0, 0, 0), {-2, 0, 8, 0, 16}, "a lone side-2 end: side 2's pass is last"},
        {idx6(1, 1, 1, 0, 0, 3), {40, 60, 3000, 30, 100}, "an own end counts, the edge shuts"},
        {idx6(0, 1, 1, 1, 1, 0), {2000, 10000000, 10000000, 1000000, 1000000}, "open four"},
        {idx6(1, 1, 1, 1, 1, 0), {50000, 10000000, 0, 1000000, 0}, "five: no credit in the middle"},
    };
    // clang-format on
    for (const auto& [w, want, why] : worked)
        EXPECT_EQ(scores(w), want) << why;

    const std::pair<const int*, const int*> six[] = {
        {strucKSix, strucDxSix}, {strucKxSix, strucDSix}, {strucKySix, strucDySix}};
    int entries = 0;
    for (int k = 0; k < SIX_NB; ++k)
    {
        int mid = 0;  // bit 0: a side-1 stone in the middle four; bit 1: a side-2 stone
        for (int m = k / 4 % 81, cell = 0; cell < 4; ++cell, m /= 3)
            mid |= m % 3;
        const int s  = swapped6(k);
        const auto r = scores(s);
        ASSERT_TRUE(mid == 0 ||
                    scores(k) == (mid == 3 ? std::vector<int>(5, 0)
                                           : std::vector<int>({-r[0], r[3], r[4], r[1], r[2]})))
            << k;
        for (const auto& [att, def] : six)
            ASSERT_TRUE(k >= THREAT_SIX_NB ||
                        (att[k] == def[s] && (k % 4 + k / 324 == 0 || (att[k] | def[k]) == 0)))
                << k;
        const int f = k < FIVE_NB ? k : 0;  // five-cell windows
        ASSERT_TRUE(strucKFive[f] == strucDxFive[swapped5(f)] &&
                    strucKxFive[f] == strucDFive[swapped5(f)])
            << f;
        entries += k < FIVE_NB ? (strucKFive[k] != 0) + (strucKxFive[k] != 0) : 0;
    }
    EXPECT_EQ(entries, (9 + 10 + 5 + 10 + 5) + (10 + 5 + 10 + 5));

    // Branch widths: every row of the table in one number, the rows run from the longest down so
    // that a row touching more than its own entries shows; past the table only entries 0..2 change.
    int weighted = 0;
    GENERATE_WIDTH(th, 17);
    for (int layer = 18; layer >= -1; --layer)
    {
        GENERATE_WIDTH(th, layer);
        for (int k = 0; k < 18; ++k)
            weighted += (k + 1) * th.Nbranch[k];
    }
    EXPECT_EQ(weighted, 37740);

    // strucP at an even depth (side 1 to move at the leaves): its values above 140 become
    // near-decisive, those above 2 grow by a fifth; the rules drop windows. Then exchanging the
    // colours and both parities, of the depth and of the slot, negates every window with a stone
    // in its middle, under every rule.
    // clang-format off
    const std::tuple<int, int, int, int, const char*> cases[] = {
        {1, 1, idx6(0, 1, 1, 1, 1, 0), 16666, "above 140: near-decisive"},
        {1, 1, idx6(2, 1, 1, 1, 1, 0), 168, "140 is not above 140"},
        {1, 1, idx6(0, 1, 1, 1, 0, 0), 153, "128 grows by a fifth, truncated"},
        {2, 1, idx6(1, 1, 1, 1, 0, 1), 0, "exactly five: own stones at both ends"},
        {2, 1, idx6(1, 1, 1, 1, 0, 2), 168, "exactly five: mixed ends"},
        {8, 1, idx6(2, 1, 1, 1, 0, 0), 0, "caro: an opponent stone at the first end"},
        {8, 1, idx6(0, 1, 1, 1, 0, 2), 0, "caro: an opponent stone at the last end"},
        {9, 1, idx6(1, 1, 1, 1, 0, 1), 0, "standard caro: own stones at both ends"},
        {9, 1, idx6(2, 1, 1, 1, 1, 0), 0, "standard caro: an opponent end"},
        {4, 1, idx6(1, 1, 1, 1, 0, 1), 0, "renju, engine black: own stones at both ends"},
    };
    // clang-format on
    for (const auto& [rule, slot, w, value, why] : cases)
    {
        gametype = rule, i = slot;
        GENERATE_SCORE_TABLE(th, 2);
        EXPECT_EQ(th.strucP[w], value) << why;
    }
    for (int rule : {1, 2, 4, 8, 9})
        for (int p = 0; p < 4; ++p)  // depth 1 + p % 2, slot 1 + p / 2
        {
            gametype = rule, i = 1 + p / 2;
            GENERATE_SCORE_TABLE(th, 1 + p % 2);
            const std::vector<int> before(th.strucP, th.strucP + SIX_NB);
            gametype = rule, i = 2 + p / 2;
            GENERATE_SCORE_TABLE(th, 2 + p % 2);
            for (int k = 0; k < SIX_NB; ++k)
                ASSERT_TRUE(k / 4 % 81 == 0 || before[k] == -th.strucP[swapped6(k)])
                    << "rule " << rule << " case " << p << " window " << k;
        }

    // SCORE_TABLE sums strucP over every window once, the sixth cell past the edge reading
    // OFF_BOARD: a distinct value in every entry, a fixed pattern on the smallest and largest
    // board.
    for (int k = 0; k < SIX_NB; ++k)
        th.strucP[k] = k * k % 1009;  // not linear in the cells: a misread cannot cancel out
    for (const auto& [n, sum] : {std::pair<int, int>{10, 109504}, {25, 1088598}})
    {
        fresh_game(n);
        for (int k = 0; k < n * n; ++k)
            th.un[1 + k / n][1 + k % n] = static_cast<char>(k * k % 7 % 3);
        EXPECT_EQ(SCORE_TABLE(th), sum) << n;
    }
}

// The point table on pictures laid on qp: the credit of the '*' cell and the sum over the whole
// of jz, margins included (nothing may land past the board). Moves below 160 add edge penalties.
TEST(EvalPictures, PointTableAndGameEnd) {
    constexpr int O = 10000000, B = 2000000, P = -10000;
    // clang-format off
    const std::tuple<const char*, int, int, int, int, const char*, int, int> points[] = {
        {"freestyle: own fours at both edges", 1, 200, 1, 5, "oooo*......oooo", 0, 0},
        {"freestyle: opponent fours at both edges", 1, 200, 1, 5, "xxxx*......xxxx", B, 2 * B},
        {"freestyle: gap in the middle", 1, 200, 3, 5, "oo*oo", O, O},
        {"freestyle: gap second", 1, 200, 3, 5, "o*ooo", O, O},
        {"freestyle: gap fourth", 1, 200, 3, 5, "ooo*o", O, O},
        {"freestyle: open column four, one from the edge", 1, 200, 5, 10, "*/o/o/o/o", O, 2 * O},
        {"freestyle: diagonal four", 1, 200, 2, 2, "*/.o/..o/...o/....o", O, 2 * O},
        {"freestyle: anti-diagonal four into the edge", 1, 200, 1, 2, "....*/...x/..x/.x/x", B, B},
        {"exactly five: fives making six earn nothing", 2, 200, 7, 1, "o/*/o/o/o/o/./o", 0, 0},
        {"exactly five: no block against six", 2, 200, 1, 7, "..x*xxxx..", 0, 5 * B},
        {"exactly five: own four at the high edge", 2, 200, 8, 7, "...*oooo", O, 9 * O},
        {"freestyle caro: shut ends, no blocks", 8, 200, 2, 7, "xoooo*./.xxxx../xoooo.x", O, 5 * O},
        {"freestyle caro: overline, both windows", 8, 200, 1, 7, ".oooo*o.", 2 * O, 10 * O},
        {"standard caro: shut ends, no blocks", 9, 200, 2, 7, "xoooo*./.xxxx../xoooo.x", O, 5 * O},
        {"standard caro: overline", 9, 200, 1, 7, ".oooo*o.", 0, 0},
        {"freestyle: an edge cell once, the last early move", 1, 159, 1, 1, "/./*", P, 56 * P},
        {"freestyle: late", 1, 160, 1, 1, "/./*", 0, 0},
        {"renju: once per direction, three at low y", 4, 159, 1, 6, "*", 3 * P, 199 * P},
        {"renju: late", 4, 160, 1, 7, "*", 0, 0},
    };
    // clang-format on
    for (const auto& [why, rule, move, x0, y0, pic, cell, total] : points)
    {
        fresh_game(15, rule);
        i                 = move;
        const auto [x, y] = draw(qp, x0, y0, pic, 0);
        SIMPLE_TABLE();
        const long long sum = std::accumulate(&jz[0][0], &jz[0][0] + JZ_SIDE * JZ_SIDE, 0LL);
        EXPECT_EQ(std::make_pair(jz[x][y], sum), std::make_pair(cell, 1LL * total)) << why;
    }

    // The game-end test on pictures laid on un: 'o' the engine, 'x' the opponent; '*' the stone
    // just placed, the engine's at odd depths.
    // clang-format off
    const std::tuple<const char*, int, int, int, const char*, int> ends[] = {
        {"freestyle: opponent's anti-diagonal five, depth 4", 1, 1, 4, "....x/...x/..*/.x/x", -1},
        {"freestyle: broken lines are no five", 1, 1, 1, "ooo.*.ooo", 0},
        {"exactly five: five shut by the opponent", 2, 1, 1, "xoo*oox", 1},
        {"exactly five: six", 2, 1, 1, "ooo*oo", 0},
        {"freestyle caro: shut at both ends", 8, 1, 1, "xoo*oox", 0},
        {"freestyle caro: six shut at both ends", 8, 1, 1, "xooo*oox", 1},
        {"standard caro: six", 9, 1, 1, ".ooo*oo.", 0},
        {"standard caro: shut at one end", 9, 1, 1, "xoo*oo.", 1},
        {"renju: engine black, double three", 4, 1, 1, "*oo/o/o", -1},
        {"renju: engine white, double three", 4, 2, 1, "*oo/o/o", 0},
        {"renju: opponent black, double three", 4, 2, 2, "*xx/x/x", 1},
    };
    // clang-format on
    for (const auto& [why, rule, slot, dep, pic, want] : ends)
    {
        fresh_game(15, rule);
        i                 = slot;
        const auto [x, y] = draw(th.un, 3, 3, pic, dep % 2 != 0 ? 1 : 2);
        EXPECT_EQ(SITUA(th, 0, x, y, dep), want) << why;
    }
}
