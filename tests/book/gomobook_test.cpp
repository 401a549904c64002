#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <tuple>
#include <vector>

#include "book/gomobook.h"
#include "game/Main.h"
#include "tests/support/picture.h"

namespace {

using Credit = std::tuple<int, int, int>;  // (x, y, amount added to jz)

// Every point of the playing area whose jz is not 0, in scan order.
std::vector<Credit> credits() {
    std::vector<Credit> out;
    for (int x = 1; x <= BOARDSIZE; ++x)
        for (int y = 1; y <= BOARDSIZE; ++y)
            if (jz[x][y] != 0)
                out.emplace_back(x, y, jz[x][y]);
    return out;
}

// Pictures below are 9 by 9 windows laid with their centre on (8, 8): text column k is the
// window's first index r, text row the second index c, so window cell (r, c) is (4 + r, 4 + c).
// On odd moves the first player's stones are 'o' (the engine's, 1); on even moves 'x'.
void put_window(int move, std::initializer_list<const char*> rows) {
    fresh_game(15);
    i = move;
    put_picture(qp, 4, 4, rows);
}

int at(int r, int c) { return jz[4 + r][4 + c]; }

// Board symmetries of 15 by 15, applied to a point.
void map_point(int sym, int x, int y, int* ox, int* oy) {
    const int n = 16;
    switch (sym)
    {
    case 0: *ox = x, *oy = y; break;
    case 1: *ox = n - x, *oy = y; break;
    case 2: *ox = x, *oy = n - y; break;
    case 3: *ox = n - x, *oy = n - y; break;
    case 4: *ox = y, *oy = x; break;
    case 5: *ox = n - y, *oy = x; break;
    case 6: *ox = y, *oy = n - x; break;
    default: *ox = n - y, *oy = n - x; break;
    }
}

}  // namespace

TEST(Gomobook, FirstMoveLandsInTheCentralBlock) {
    struct Case {
        int size, lo, hi;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {15, 7, 9, "odd side: 3 by 3 around the middle"},
        {20, 9, 12, "even side: 4 by 4 around the middle"},
        {8, 3, 6, "small board: the pattern book is off but the block stays"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        fresh_game(tc.size);
        i = 1;
        GOMOBOOK();
        const int side                = tc.hi - tc.lo + 1;
        const std::vector<Credit> got = credits();
        ASSERT_EQ(got.size(), static_cast<size_t>(side * side)) << tc.why;
        for (const Credit& cr : got)
        {
            EXPECT_GE(std::get<0>(cr), tc.lo) << tc.why;
            EXPECT_LE(std::get<0>(cr), tc.hi) << tc.why;
            EXPECT_GE(std::get<1>(cr), tc.lo) << tc.why;
            EXPECT_LE(std::get<1>(cr), tc.hi) << tc.why;
            EXPECT_EQ(std::get<2>(cr), 25) << tc.why;
        }
    }
}

TEST(Gomobook, SecondMoveCreditsTheFirstStonesNeighbours) {
    struct Case {
        int sx, sy;
        std::vector<Credit> want;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {8, 8, {{7, 7, 1050}, {7, 8, 1050}, {7, 9, 1050}, {8, 7, 1050},
                {8, 9, 1050}, {9, 7, 1050}, {9, 8, 1050}, {9, 9, 1050}},
         "the centre: every neighbour leans inwards"},
        {8, 5, {{7, 4, 1000}, {7, 5, 1000}, {7, 6, 1050}, {8, 4, 1000},
                {8, 6, 1050}, {9, 4, 1000}, {9, 5, 1000}, {9, 6, 1050}},
         "on the middle line: only the inward column gains"},
        {11, 4, {{10, 3, 1000}, {10, 4, 1050}, {10, 5, 1050}, {11, 3, 1000},
                 {11, 5, 1050}, {12, 3, 1000}, {12, 4, 1000}, {12, 5, 1000}},
         "inner-zone corner: towards (8, 8) on both indexes"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        fresh_game(15);
        i                = 2;
        qp[tc.sx][tc.sy] = 2;
        GOMOBOOK();
        EXPECT_EQ(credits(), tc.want) << tc.why;
    }
}

TEST(Gomobook, SecondMoveNearTheEdgeUsesCentreBonusAndRectangle) {
    fresh_game(15);
    i        = 2;
    qp[2][2] = 2;
    GOMOBOOK();
    struct Case {
        int x, y, want;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {8, 8, 1390, "centre bonus only"},
        {11, 11, 1312, "last cell of the centre zone"},
        {12, 12, 0, "outside both"},
        {5, 5, 1312 + 1080, "both: centre zone and rectangle"},
        {6, 6, 1338 + 1040, "both, at the rectangle's far corner"},
        {2, 2, 1200, "the stone itself is credited too"},
        {1, 1, 1160, "rectangle clipped at the edge"},
        {6, 1, 1100, "rectangle, last row"},
        {7, 1, 0, "beyond the rectangle"},
        {1, 7, 0, "beyond the rectangle the other way"},
    };
    // clang-format on
    for (const Case& tc : cases)
        EXPECT_EQ(jz[tc.x][tc.y], tc.want) << tc.why;
}

TEST(Gomobook, SmallBoardGetsNoPatternBook) {
    // A move-4 book position that matches on 9 by 9 and larger.
    for (int size : {8, 9})
    {
        fresh_game(size);
        i = 4;
        put_picture(qp, 1, 1,
                    {".........", ".........", ".........", ".........", "....x....", ".....o.x.",
                     ".........", ".........", "........."});
        SOLVER();
        if (size == 8)
            EXPECT_TRUE(credits().empty());
        else
            EXPECT_FALSE(credits().empty());
    }
}

TEST(Gomobook, BookAnswersFollowEverySymmetryOfTheBoard) {
    // Move 5 after the diagonal start: F (7, 7), S (7, 6); answers include (4, 6) at 1,000,002.
    put_window(5, {".........", ".........", ".........", ".........", "....o....", ".....x...",
                   ".......x.", ".......o.", "........."});
    int base[QP_SIDE][QP_SIDE];
    std::memcpy(base, qp, sizeof base);
    srand(99);
    SOLVER();
    int identity[JZ_SIDE][JZ_SIDE];
    std::memcpy(identity, jz, sizeof identity);
    ASSERT_EQ(at(4, 6), 1000002);
    ASSERT_EQ(at(6, 5), 1000000);

    for (int sym = 1; sym < 8; ++sym)
    {
        fresh_game(15);
        i = 5;
        for (int x = 1; x <= 15; ++x)
            for (int y = 1; y <= 15; ++y)
            {
                int tx = 0, ty = 0;
                map_point(sym, x, y, &tx, &ty);
                qp[tx][ty] = base[x][y];
            }
        srand(99);
        SOLVER();
        for (int x = 1; x <= 15; ++x)
            for (int y = 1; y <= 15; ++y)
            {
                int tx = 0, ty = 0;
                map_point(sym, x, y, &tx, &ty);
                EXPECT_EQ(jz[tx][ty], identity[x][y])
                    << "symmetry " << sym << " at " << x << "," << y;
            }
    }
}

TEST(Gomobook, WindowCentreMustHoldAFirstPlayerStone) {
    // The move-4 row S (5, 5), F (7, 5) with the colours the wrong way round: the centre is
    // a second-player stone, so no window matches.
    put_window(4, {".........", ".........", ".........", ".........", "....o....", ".....x.o.",
                   ".........", ".........", "........."});
    SOLVER();
    EXPECT_TRUE(credits().empty());
}

TEST(Gomobook, ThirdMoveAnswersAreVariedWithinTheirRange) {
    // S (4, 2) opening: the row fires in the identity window and its mirror across the
    // first index, so (4, 6) collects two draws.
    put_window(3, {".........", ".........", "....x....", ".........", "....o....", ".........",
                   ".........", ".........", "........."});
    srand(5);
    SOLVER();
    const std::vector<Credit> first = credits();
    struct Case {
        int r, c, lo, hi;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {4, 6, 1000000, 1000128, "500,000 + rand() % 65, twice"},
        {3, 3, 1000000, 1000099, "1,000,000 + rand() % 100"},
        {5, 3, 1000000, 1000099, "mirror of (3, 3)"},
        {2, 4, 1000000, 1000099, "straight away from the start stone"},
        {6, 4, 1000000, 1000099, "mirror of (2, 4)"},
        {5, 5, 1000000, 1000099, "diagonal"},
        {3, 5, 1000000, 1000099, "mirror of (5, 5)"},
    };
    // clang-format on
    EXPECT_EQ(first.size(), 7u);
    for (const Case& tc : cases)
    {
        EXPECT_GE(at(tc.r, tc.c), tc.lo) << tc.why;
        EXPECT_LE(at(tc.r, tc.c), tc.hi) << tc.why;
    }
    // The same seed gives the same book weights.
    std::memset(jz, 0, sizeof jz);
    srand(5);
    SOLVER();
    EXPECT_EQ(credits(), first);
}

TEST(Gomobook, BookRowsGiveTheirAnswers) {
    struct Answer {
        int r, c, weight;
    };
    struct Case {
        const char* why;
        int move;
        const char* rows[9];
        std::vector<Answer> want;
    };
    // clang-format off
    // clang-format off
    const Case cases[] = {
        {"diagonal start, move 4, F (6, 4); the window on F (6, 4) matches mirrored", 4,
         {".........", ".........", ".........", ".........", "....x.x..",
          ".....o...", ".........", ".........", "........."},
         {{4, 3, 2000000}, {5, 4, 2000000}, {6, 3, 2000000}}},
        {"diagonal start, move 5, F (5, 3), S (3, 5): the unit-ranked answers", 5,
         {".........", ".........", ".........", ".....o...", "....o....",
          "...x.x...", ".........", ".........", "........."},
         {{3, 3, 1000000}, {4, 2, 1000000}, {4, 3, 999996}, {4, 5, 999995},
          {6, 3, 1000000}, {6, 4, 1000000}}},
        {"direct start, move 4, F (4, 2)", 4,
         {".........", ".........", "....x....", ".........", "....xo...",
          ".........", ".........", ".........", "........."},
         {{4, 3, 1000000}}},
        {"direct start, move 5, F (3, 3), S (5, 5)", 5,
         {".........", ".........", ".........", "...o.....", "....ox...",
          ".....x...", ".........", ".........", "........."},
         {{5, 3, 1000000}}},
        {"move 6: S takes the point between F's stones", 6,
         {".........", ".........", ".........", "...x.x...", "....xo...",
          "...o.....", ".........", ".........", "........."},
         {{4, 3, 1000000}, {5, 5, 999999}}},
        {"move 7: F opens the diagonal three", 7,
         {".........", ".........", ".........", "...oxo...", "....ox...",
          "...x.....", ".........", ".........", "........."},
         {{5, 5, 1000000}}},
        {"move 8: S closes the three at either end; the position is its own anti-diagonal "
         "mirror, so the row matches twice", 8,
         {".........", ".........", ".........", "...xox...", "....xo...",
          "...o.x...", ".........", ".........", "........."},
         {{2, 2, 2000000}, {6, 6, 2000000}}},
    };
    // clang-format on
    // clang-format on
    for (const Case& tc : cases)
    {
        fresh_game(15);
        i = tc.move;
        for (int row = 0; row < 9; ++row)
            put_picture(qp, 4, 4 + row, {tc.rows[row]});
        SOLVER();
        std::vector<Credit> want;
        for (const Answer& a : tc.want)
            want.emplace_back(4 + a.r, 4 + a.c, a.weight);
        EXPECT_EQ(credits(), want) << tc.why;
    }
}
