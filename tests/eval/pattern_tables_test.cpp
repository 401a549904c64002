// Window tables: worked examples and sweeps over every window.
#include <gtest/gtest.h>

#include "eval/pattern_tables.h"

namespace {

int at6(const int* table, const int (&w)[6]) {
    return table[idx6(w[0], w[1], w[2], w[3], w[4], w[5])];
}
const EVA& eva6(const EVA* table, const int (&w)[6]) {
    return table[idx6(w[0], w[1], w[2], w[3], w[4], w[5])];
}
int at5(const int* table, const int (&w)[5]) { return table[idx5(w[0], w[1], w[2], w[3], w[4])]; }
int swap_code(int code) { return code == 1 ? 2 : code == 2 ? 1 : code; }

}  // namespace

TEST(PatternTables, WorkedExamples) {
    struct Case {
        int w[6];
        int t;
        EVA b, wt;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0}, 0, {0, 0}, {0, 0}, "empty"},
        {{1, 0, 0, 0, 0, 0}, 0, {0, 0}, {0, 0}, "side-2 pass rewrote the lone side-1 end"},
        {{1, 0, 0, 0, 0, 1}, 2, {0, 16}, {0, 8}, "two own ends add one, not two"},
        {{2, 0, 0, 0, 0, 0}, -2, {0, 8}, {0, 16}, "lone side-2 end"},
        {{0, 1, 1, 1, 0, 0}, 128, {3000, 3000}, {100, 100}, "open three"},
        {{2, 1, 1, 1, 0, 0}, 40, {3000, 3000}, {100, 100}, "three closed on one side"},
        {{1, 1, 1, 0, 0, 0}, 40, {60, 3000}, {30, 100}, "own end counts but closes"},
        {{0, 1, 1, 1, 1, 0}, 2000, {10000000, 10000000}, {1000000, 1000000}, "open four"},
        {{1, 1, 1, 1, 1, 0}, 50000, {10000000, 0}, {1000000, 0}, "five: credit 0 in the middle"},
        {{2, 1, 1, 1, 1, 3}, 0, {0, 0}, {0, 0}, "closed at both ends"},
        {{0, 2, 2, 2, 2, 0}, -2000, {1000000, 1000000}, {10000000, 10000000}, "open four of side 2"},
        {{3, 2, 2, 0, 0, 0}, -10, {30, 30}, {60, 60}, "edge closes side 2's two"},
        {{0, 1, 2, 0, 0, 0}, 0, {0, 0}, {0, 0}, "mixed middle"},
        {{3, 0, 0, 0, 0, 3}, 0, {0, 0}, {0, 0}, "off board at both ends"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        EXPECT_EQ(at6(strucT, tc.w), tc.t) << tc.why;
        EXPECT_EQ(eva6(strucB, tc.w).edge, tc.b.edge) << tc.why;
        EXPECT_EQ(eva6(strucB, tc.w).center, tc.b.center) << tc.why;
        EXPECT_EQ(eva6(strucW, tc.w).edge, tc.wt.edge) << tc.why;
        EXPECT_EQ(eva6(strucW, tc.w).center, tc.wt.center) << tc.why;
    }
}

// Every window: a middle holding both sides is 0 everywhere; the same window with the
// colours exchanged scores the negative in strucT and swaps strucB with strucW, except the
// empty-middle windows whose side-1 value the side-2 pass overwrote.
TEST(PatternTables, SixCellSweep) {
    int nonzero_t = 0;
    for (int w1 = 0; w1 < 4; ++w1)
        for (int m = 0; m < 81; ++m)
            for (int w6 = 0; w6 < 4; ++w6)
            {
                const int w[6]  = {w1, m / 27, m / 9 % 3, m / 3 % 3, m % 3, w6};
                const int sw[6] = {swap_code(w[0]), swap_code(w[1]), swap_code(w[2]),
                                   swap_code(w[3]), swap_code(w[4]), swap_code(w[5])};
                bool has1 = false, has2 = false;
                for (int k = 1; k <= 4; ++k)
                {
                    has1 |= w[k] == 1;
                    has2 |= w[k] == 2;
                }
                if (has1 && has2)
                {
                    EXPECT_EQ(at6(strucT, w), 0);
                    EXPECT_EQ(eva6(strucB, w).edge | eva6(strucB, w).center, 0);
                    EXPECT_EQ(eva6(strucW, w).edge | eva6(strucW, w).center, 0);
                    continue;
                }
                nonzero_t += at6(strucT, w) != 0;
                if (!has1 && !has2)
                    continue;
                EXPECT_EQ(at6(strucT, w), -at6(strucT, sw))
                    << idx6(w[0], w[1], w[2], w[3], w[4], w[5]);
                EXPECT_EQ(eva6(strucB, w).edge, eva6(strucW, sw).edge);
                EXPECT_EQ(eva6(strucB, w).center, eva6(strucW, sw).center);
            }
    // 15 stone middles times 14 live end pairs per side, plus the empty middles that carry a
    // stone at an end (the rest are 0 by their values).
    EXPECT_GT(nonzero_t, 2 * 15 * 12);
}

TEST(PatternTables, ThreatSixTables) {
    struct Case {
        const int* table;
        int w[6];
        int value;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {strucKSix, {0, 0, 1, 0, 0, 0}, 5, "K six, one stone"},
        {strucKSix, {0, 1, 0, 0, 1, 0}, 110, "K six, two stones"},
        {strucKSix, {0, 1, 1, 1, 0, 0}, 0, "K six, three stones"},
        {strucKSix, {1, 1, 0, 0, 0, 0}, 0, "K six, own end stone"},
        {strucKSix, {0, 2, 0, 0, 0, 0}, 0, "K six, other side"},
        {strucKxSix, {0, 0, 1, 1, 0, 0}, 25, "Kx six, two stones"},
        {strucKxSix, {0, 0, 1, 0, 0, 0}, 0, "Kx six, one stone"},
        {strucKySix, {0, 2, 0, 2, 0, 0}, 60, "Ky six, two of side 2"},
        {strucKySix, {0, 1, 0, 1, 0, 0}, 0, "Ky six, two of side 1"},
        {strucDSix, {0, 0, 0, 2, 2, 0}, 25, "D six"},
        {strucDySix, {0, 1, 0, 0, 1, 0}, 60, "Dy six"},
        {strucDxSix, {0, 0, 0, 0, 2, 0}, 5, "Dx six, one stone"},
        {strucDxSix, {0, 2, 2, 0, 0, 0}, 110, "Dx six, two stones"},
    };
    // clang-format on
    for (const Case& tc : cases)
        EXPECT_EQ(at6(tc.table, tc.w), tc.value) << tc.why;
}

TEST(PatternTables, ThreatFiveTables) {
    struct Case {
        const int* table;
        int w[5];
        int value;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {strucKFive, {1, 0, 0, 0, 1}, 0, "stones on w1 and w5 have no entry"},
        {strucKFive, {1, 0, 0, 1, 0}, 5, "two stones"},
        {strucKFive, {0, 1, 0, 0, 1}, 5, "two stones, ending at w5"},
        {strucKFive, {1, 1, 0, 1, 0}, 1000, "three of side 1"},
        {strucKFive, {1, 1, 1, 1, 0}, 100000, "four of side 1"},
        {strucKFive, {2, 0, 2, 0, 0}, 0, "two of side 2"},
        {strucKFive, {2, 0, 2, 0, 2}, 50, "three of side 2"},
        {strucKFive, {2, 2, 0, 2, 2}, 10000, "four of side 2"},
        {strucKFive, {1, 1, 1, 1, 1}, 0, "five"},
        {strucKFive, {1, 1, 2, 1, 0}, 0, "mixed"},
        {strucKxFive, {1, 0, 1, 0, 1}, 110, "Kx three of side 1"},
        {strucKxFive, {2, 2, 2, 0, 2}, 100000, "Kx four of side 2"},
        {strucDFive, {0, 1, 1, 1, 0}, 1000, "D three of side 1"},
        {strucDxFive, {2, 0, 0, 0, 2}, 0, "Dx: stones on w1 and w5 have no entry"},
        {strucDxFive, {0, 2, 2, 0, 0}, 5, "Dx two of side 2"},
    };
    // clang-format on
    for (const Case& tc : cases)
        EXPECT_EQ(at5(tc.table, tc.w), tc.value) << tc.why;
}

// The defence family is the attack family with the colours exchanged, and no six-cell threat
// entry ever has an end off the board or a stone at an end.
TEST(PatternTables, ThreatFamiliesMirror) {
    struct Pair {
        const int* k;
        const int* d;
        const char* name;
    };
    const Pair six[]  = {{strucKSix, strucDxSix, "KSix/DxSix"},
                         {strucKxSix, strucDSix, "KxSix/DSix"},
                         {strucKySix, strucDySix, "KySix/DySix"}};
    const Pair five[] = {{strucKFive, strucDxFive, "KFive/DxFive"},
                         {strucKxFive, strucDFive, "KxFive/DFive"}};
    for (int w1 = 0; w1 < 3; ++w1)
        for (int m = 0; m < 81; ++m)
            for (int w6 = 0; w6 < 4; ++w6)
            {
                const int w[6]  = {w1, m / 27, m / 9 % 3, m / 3 % 3, m % 3, w6};
                const int sw[6] = {swap_code(w[0]), swap_code(w[1]), swap_code(w[2]),
                                   swap_code(w[3]), swap_code(w[4]), swap_code(w[5])};
                for (const Pair& p : six)
                {
                    EXPECT_EQ(at6(p.k, w), at6(p.d, sw)) << p.name;
                    if (w1 != 0 || w6 != 0)
                    {
                        EXPECT_EQ(at6(p.k, w), 0) << p.name;
                        EXPECT_EQ(at6(p.d, w), 0) << p.name;
                    }
                }
            }
    int entries = 0;
    for (int m = 0; m < FIVE_NB; ++m)
    {
        const int w[5]  = {m / 81, m / 27 % 3, m / 9 % 3, m / 3 % 3, m % 3};
        const int sw[5] = {swap_code(w[0]), swap_code(w[1]), swap_code(w[2]), swap_code(w[3]),
                           swap_code(w[4])};
        for (const Pair& p : five)
            EXPECT_EQ(at5(p.k, w), at5(p.d, sw)) << p.name;
        entries += (strucKFive[m] != 0) + (strucKxFive[m] != 0);
    }
    EXPECT_EQ(entries, (9 + 10 + 5 + 10 + 5) + (10 + 5 + 10 + 5));
}
