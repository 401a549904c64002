// Branch widths, the parity and rule adjustments of strucP, and the window scan of the leaf score.
#include <gtest/gtest.h>

#include "eval/pattern_tables.h"
#include "eval/score_table.h"
#include "tests/support/picture.h"

namespace {

int p6(int w1, int w2, int w3, int w4, int w5, int w6) {
    return strucP[idx6(w1, w2, w3, w4, w5, w6)];
}

struct ScoreTable : ::testing::Test {
    void SetUp() override { fresh_game(15, 1); }
    void TearDown() override {
        BOARDSIZE = 15;
        gametype  = 1;
        i         = 1;
        GENERATE_SCORE_TABLE(1);
    }
};

}  // namespace

TEST(Width, RowsOverwriteOnlyTheirEntries) {
    GENERATE_WIDTH(5);
    GENERATE_WIDTH(3);
    const int after_3[] = {F_WID, F_WID, 8, 6, 8, 6};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(Nbranch[k], after_3[k]) << "entry " << k;

    GENERATE_WIDTH(2);
    EXPECT_EQ(Nbranch[1], 10);
    EXPECT_EQ(Nbranch[2], 6);

    GENERATE_WIDTH(6);
    const int row_6[] = {F_WID, F_WID, 12, 10, 10, 10, 8};
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(Nbranch[k], row_6[k]) << "entry " << k;

    GENERATE_WIDTH(17);
    EXPECT_EQ(Nbranch[2], 26);
    EXPECT_EQ(Nbranch[4], 24);
    EXPECT_EQ(Nbranch[17], 8);

    GENERATE_WIDTH(18);  // beyond the table: only the first three entries change
    EXPECT_EQ(Nbranch[2], F_WID);
    EXPECT_EQ(Nbranch[3], 24);
    EXPECT_EQ(Nbranch[17], 8);
}

TEST_F(ScoreTable, ParityEmphasis) {
    struct Case {
        int depth;
        int w[6];
        int value;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {1, {0, 2, 2, 2, 2, 0}, -16666, "-2000, opponent to move at the leaves"},
        {1, {0, 2, 2, 2, 0, 0}, -153, "-128 grows by a fifth, truncated"},
        {1, {2, 1, 1, 1, 1, 0}, 140, "engine values untouched at odd depth"},
        {1, {1, 2, 2, 2, 2, 0}, -168, "-140 is not below -140"},
        {1, {0, 2, 0, 0, 0, 0}, -9, "-8 becomes -9"},
        {1, {1, 0, 0, 0, 0, 0}, 0, "zero stays"},
        {1, {1, 0, 0, 0, 0, 1}, 2, "positive 2 untouched"},
        {3, {2, 0, 0, 0, 0, 0}, -2, "-2 stays"},
        {2, {0, 1, 1, 1, 1, 0}, 16666, "2000 at even depth"},
        {2, {0, 1, 1, 1, 0, 0}, 153, "128 at even depth"},
        {2, {2, 1, 1, 1, 1, 0}, 168, "140 at even depth"},
        {2, {1, 0, 0, 0, 0, 1}, 2, "2 stays"},
        {2, {2, 1, 1, 0, 0, 0}, 12, "10 becomes 12"},
        {4, {0, 1, 0, 1, 0, 0}, 38, "32 becomes 38"},
        {2, {0, 2, 2, 2, 2, 0}, -2000, "opponent values untouched at even depth"},
        {2, {0, 1, 1, 1, 1, 1}, 16666, "50000 at even depth"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        GENERATE_SCORE_TABLE(tc.depth);
        EXPECT_EQ(p6(tc.w[0], tc.w[1], tc.w[2], tc.w[3], tc.w[4], tc.w[5]), tc.value) << tc.why;
    }
}

TEST_F(ScoreTable, RuleAdjustments) {
    struct Case {
        int rule, slot, depth;
        int w[6];
        int value;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {1, 1, 2, {1, 1, 1, 1, 0, 1}, 168, "freestyle keeps own stones at both ends"},
        {2, 1, 2, {1, 1, 1, 1, 0, 1}, 0, "exactly five: own stones at both ends"},
        {2, 1, 1, {2, 2, 2, 0, 2, 2}, 0, "exactly five: side 2 at both ends"},
        {2, 1, 2, {1, 1, 1, 1, 0, 2}, 168, "exactly five: mixed ends kept"},
        {2, 1, 2, {1, 0, 0, 0, 0, 1}, 0, "exactly five: empty middle, own ends"},
        {8, 1, 2, {2, 1, 1, 1, 0, 0}, 0, "caro: engine pattern touched by an opponent stone"},
        {8, 1, 2, {0, 1, 1, 1, 0, 2}, 0, "caro: opponent stone at the far end"},
        {8, 1, 1, {1, 2, 2, 2, 0, 0}, 0, "caro: opponent pattern touched by an engine stone"},
        {8, 1, 2, {0, 1, 1, 1, 0, 0}, 153, "caro: open three kept"},
        {8, 1, 2, {1, 1, 1, 1, 0, 1}, 168, "freestyle caro keeps own ends"},
        {8, 1, 2, {3, 1, 1, 1, 1, 0}, 168, "caro: the edge does not close"},
        {9, 1, 2, {1, 1, 1, 1, 0, 1}, 0, "standard caro: own ends"},
        {9, 1, 2, {2, 1, 1, 1, 1, 0}, 0, "standard caro: opponent end"},
        {4, 1, 2, {1, 1, 1, 1, 0, 1}, 0, "renju, engine black: own ends"},
        {4, 1, 1, {2, 2, 2, 2, 0, 2}, -168, "renju, engine black: white keeps its ends"},
        {4, 2, 2, {1, 1, 1, 1, 0, 1}, 168, "renju, engine white: kept"},
        {4, 2, 1, {2, 2, 2, 2, 0, 2}, 0, "renju, opponent black: its ends"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        gametype = tc.rule;
        i        = tc.slot;
        GENERATE_SCORE_TABLE(tc.depth);
        EXPECT_EQ(p6(tc.w[0], tc.w[1], tc.w[2], tc.w[3], tc.w[4], tc.w[5]), tc.value) << tc.why;
    }
}

// With every entry 1 the sum counts windows; with only off-board last cells it counts the
// windows that end at the edge. No window ever starts off the board.
TEST_F(ScoreTable, CountsEveryWindowOnce) {
    struct Case {
        int size;
        int all, w6_off;
    };
    const Case cases[] = {{15, 2 * 11 * 15 + 2 * 11 * 11, 15 + 15 + 21 + 21},
                          {10, 2 * 6 * 10 + 2 * 6 * 6, 10 + 10 + 11 + 11}};
    for (const Case& tc : cases)
    {
        BOARDSIZE = tc.size;
        for (int fill : {0, 1, 2})
        {
            for (int x = 1; x <= tc.size; ++x)
                for (int y = 1; y <= tc.size; ++y)
                    un[x][y] = static_cast<char>(fill == 0          ? 0
                                                 : (x + y) % 2 == 0 ? fill
                                                                    : 3 - fill);
            for (int k = 0; k < SIX_NB; ++k)
                strucP[k] = 1;
            EXPECT_EQ(SCORE_TABLE(), tc.all) << tc.size;
            for (int k = 0; k < SIX_NB; ++k)
                strucP[k] = (k % 4 == OFF_BOARD) ? 1 : 0;
            EXPECT_EQ(SCORE_TABLE(), tc.w6_off) << tc.size;
            for (int k = 0; k < SIX_NB; ++k)
                strucP[k] = (k / 324 == OFF_BOARD) ? 1 : 0;
            EXPECT_EQ(SCORE_TABLE(), 0) << tc.size;
        }
    }
}

TEST_F(ScoreTable, SumsStrucP) {
    GENERATE_SCORE_TABLE(1);
    EXPECT_EQ(SCORE_TABLE(), 0) << "empty board";
    // A lone engine stone in the middle sits in the middle four of four windows per direction.
    un[8][8] = 1;
    EXPECT_EQ(SCORE_TABLE(), 4 * 4 * 8);
    GENERATE_SCORE_TABLE(2);
    EXPECT_EQ(SCORE_TABLE(), 4 * 4 * 9);
    // At (1, 1) it is the first cell of three windows (0 after the side-2 pass) and no middle.
    un[8][8] = 0;
    un[1][1] = 1;
    EXPECT_EQ(SCORE_TABLE(), 0);
    // At (1, 5) it is the first cell of the windows along x and both diagonals; the four
    // windows along y starting at y = 1..4 hold it in their middle, and the anti-diagonal
    // window 1 0 0 0 0 3 keeps side 1's value 2 (the side-2 pass skips it).
    un[1][1] = 0;
    un[1][5] = 1;
    EXPECT_EQ(SCORE_TABLE(), 4 * 9 + 2);
}
