// Judging a console game. Pictures go onto qp: 'o' colour 1 (second player, RED), 'x' colour 2
// (first player, BLUE); '*' marks a colour-2 stone that is the last move, in slot i.
#include <gtest/gtest.h>

#include <initializer_list>

#include "rules/judge.h"
#include "tests/support/picture.h"

namespace {

struct JudgeCase {
    const char* why;
    int rule, slot;
    int x0, y0;
    std::initializer_list<const char*> rows;
    int expected;
};

void check_cases(std::initializer_list<JudgeCase> cases) {
    for (const JudgeCase& tc : cases)
    {
        fresh_game(15, tc.rule);
        put_picture(qp, tc.x0, tc.y0, tc.rows);
        i     = tc.slot;
        int r = 0;
        for (const char* row : tc.rows)
        {
            for (int k = 0; row[k] != '\0'; ++k)
                if (row[k] == '*')
                {
                    qp[tc.x0 + k][tc.y0 + r] = 2;
                    stonex[i]                = tc.x0 + k;
                    stoney[i]                = tc.y0 + r;
                }
            ++r;
        }
        EXPECT_EQ(JUDGE(), tc.expected) << tc.why;
        EXPECT_EQ(JUDGE(), tc.expected) << tc.why << " (judged twice)";
    }
    fresh_game();
}

}  // namespace

TEST(Judge, FreestyleAndExactFive) {
    // clang-format off
    check_cases({
        {"freestyle: six of colour 2 along the second index", 1, 1, 5, 3,
         {"x", "x", "x", "x", "x", "x"}, 2},
        {"freestyle: five of colour 1 on the anti-diagonal", 1, 1, 3, 3,
         {"....o", "...o.", "..o..", ".o...", "o...."}, 1},
        {"freestyle: four", 1, 1, 3, 3, {"oooo."}, 0},
        {"exactly five: six along the first index", 2, 1, 3, 3, {"oooooo"}, 0},
        {"exactly five: six along the second index", 2, 1, 3, 3,
         {"o", "o", "o", "o", "o", "o"}, 0},
        {"exactly five: six on the diagonal", 2, 1, 3, 3,
         {"x.....", ".x....", "..x...", "...x..", "....x.", ".....x"}, 0},
        {"exactly five: six on the anti-diagonal", 2, 1, 3, 3,
         {".....x", "....x.", "...x..", "..x...", ".x....", "x....."}, 0},
        {"exactly five: five shut by the opponent", 2, 1, 3, 3, {"oxxxxxo"}, 2},
        {"exactly five: five at the edge", 2, 1, 1, 3, {"ooooo.o"}, 1},
        {"exactly five: five at the far edge", 2, 1, 9, 3, {"o.ooooo"}, 1},
        {"unknown rule", 3, 1, 3, 3, {"ooooo"}, 0},
    });
    // clang-format on
}

TEST(Judge, Caro) {
    // clang-format off
    check_cases({
        {"freestyle caro: shut at both ends", 8, 1, 3, 3, {"oxxxxxo"}, 0},
        {"freestyle caro: shut at one end", 8, 1, 3, 3, {"oxxxxx."}, 2},
        {"freestyle caro: edge and opponent", 8, 1, 1, 3, {"xxxxxo"}, 2},
        {"freestyle caro: six shut at both ends", 8, 1, 3, 3, {"oxxxxxxo"}, 2},
        {"standard caro: six", 9, 1, 3, 3, {".oooooo."}, 0},
        {"standard caro: shut at one end", 9, 1, 3, 3, {"xooooo."}, 1},
        {"standard caro: shut at both ends", 9, 1, 3, 3, {"xooooox"}, 0},
        {"standard caro: five along the far edge", 9, 1, 10, 3, {"xooooo"}, 1},
    });
    // clang-format on
}

TEST(Judge, Renju) {
    // clang-format off
    check_cases({
        {"six of colour 1 wins", 4, 2, 3, 3, {"oooooo"}, 1},
        {"first player's five shut at one end", 4, 1, 3, 3, {"oxxxx*."}, 2},
        {"first player's overline is forbidden", 4, 5, 3, 3, {"xxx*xx"}, 1},
        {"after a second-player move no forbidden test", 4, 6, 3, 3, {"xxx*xx"}, 0},
        {"first player's double three", 4, 7, 3, 3,
         {".......", ".......", "..*xx..", "..x....", "..x....", "......."}, 1},
        {"first player's exact five beside an overline wins", 4, 9, 3, 3,
         {"...x...", "...x...", "xxx*xx.", "...x...", "...x...", "......."}, 2},
        {"first player's four and three", 4, 9, 3, 3,
         {"...o...", "...x...", "...x...", "...x...", "...*xx.", "......."}, 0},
    });
    // clang-format on
}

// The scan runs over x, then y; the first centre that wins decides.
TEST(Judge, ScanOrder) {
    // clang-format off
    check_cases({
        {"colour 2 at the smaller first index", 1, 1, 3, 3,
         {"x......", "x......", "x......", "x......", "x.ooooo"}, 2},
        {"colour 1 at the smaller first index", 1, 1, 3, 3,
         {"o......", "o......", "o......", "o......", "o.xxxxx"}, 1},
        {"same column: the smaller second index", 1, 1, 3, 1,
         {"o", "o", "o", "o", "o", ".", "x", "x", "x", "x", "x"}, 1},
        {"same column: the smaller second index, colour 2", 1, 1, 3, 1,
         {"x", "x", "x", "x", "x", ".", "o", "o", "o", "o", "o"}, 2},
    });
    // clang-format on
}
