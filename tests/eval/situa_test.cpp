// Game-end test at a search node. Pictures go onto un: 'o' the engine (1), 'x' the opponent
// (2), '*' the stone just placed, which belongs to the side of the node's depth.
#include <gtest/gtest.h>

#include <initializer_list>

#include "eval/situa.h"
#include "tests/support/picture.h"

namespace {

struct SituaCase {
    const char* why;
    int rule, slot, dep;
    int x0, y0;
    std::initializer_list<const char*> rows;
    int expected;
};

void check_cases(std::initializer_list<SituaCase> cases) {
    for (const SituaCase& tc : cases)
    {
        fresh_game(15, tc.rule);
        i = tc.slot;
        put_picture(un, tc.x0, tc.y0, tc.rows);
        int ex = 0, ey = 0, r = 0;
        for (const char* row : tc.rows)
        {
            for (int k = 0; row[k] != '\0'; ++k)
                if (row[k] == '*')
                {
                    ex = tc.x0 + k;
                    ey = tc.y0 + r;
                }
            ++r;
        }
        un[ex][ey] = static_cast<char>(tc.dep % 2 != 0 ? 1 : 2);
        EXPECT_EQ(SITUA(0, ex, ey, tc.dep), tc.expected) << tc.why;
    }
    fresh_game();
}

// clang-format off
// clang-format off
const std::initializer_list<const char*> DOUBLE_THREE_O = {
    ".......",
    ".......",
    "..*oo..",
    "..o....",
    "..o....",
    ".......",
};
// clang-format on
// clang-format off
const std::initializer_list<const char*> DOUBLE_THREE_X = {
    ".......",
    ".......",
    "..*xx..",
    "..x....",
    "..x....",
    ".......",
};
// clang-format on
// clang-format on

}  // namespace

TEST(Situa, FreestyleAndSides) {
    // clang-format off
    check_cases({
        {"five of the engine", 1, 1, 1, 3, 5, {"oo*oo"}, 1},
        {"six of the engine", 1, 1, 1, 3, 5, {"ooo*oo"}, 1},
        {"six of the opponent at depth 2", 1, 1, 2, 3, 5, {"xxx*xx"}, -1},
        {"depth 3 is the engine's", 1, 1, 3, 3, 5, {"oo*oo"}, 1},
        {"depth 4 is the opponent's", 1, 1, 4, 3, 5, {"xx*xx"}, -1},
        {"the opponent's five is not the mover's", 1, 1, 1, 3, 5, {"xxxxx*"}, 0},
        {"four is no five", 1, 1, 1, 3, 5, {".o*oo."}, 0},
        {"five along the second index", 1, 1, 1, 6, 3, {"o", "o", "*", "o", "o"}, 1},
        {"five on the diagonal", 1, 1, 1, 3, 3,
         {"o....", ".o...", "..*..", "...o.", "....o"}, 1},
        {"five on the anti-diagonal", 1, 1, 1, 3, 3,
         {"....o", "...o.", "..*..", ".o...", "o...."}, 1},
        {"five in the far corner", 1, 1, 1, 11, 15, {"oooo*"}, 1},
        {"five more than four cells away", 1, 1, 1, 1, 5, {"ooooo....*"}, 0},
        {"five whose nearest stone is five cells away", 1, 1, 1, 1, 5, {"ooooo...*"}, 0},
        {"unknown rule", 3, 1, 1, 3, 5, {"oo*oo"}, 0},
        {"rule 0", 0, 1, 1, 3, 5, {"oo*oo"}, 0},
    });
    // clang-format on
}

TEST(Situa, ExactFiveAndCaro) {
    // clang-format off
    check_cases({
        {"exactly five: five", 2, 1, 1, 3, 5, {"xoo*oox"}, 1},
        {"exactly five: six", 2, 1, 1, 3, 5, {"ooo*oo"}, 0},
        {"exactly five: own stone before", 2, 1, 1, 3, 5, {"o*oooo."}, 0},
        {"exactly five: own stone after", 2, 1, 2, 3, 5, {".xxxx*x"}, 0},
        {"exactly five: at the edge", 2, 1, 1, 1, 5, {"*oooo.o"}, 1},
        {"freestyle caro: shut at both ends", 8, 1, 1, 3, 5, {"xoo*oox"}, 0},
        {"freestyle caro: shut at one end", 8, 1, 1, 3, 5, {"xoo*oo."}, 1},
        {"freestyle caro: the edge does not shut", 8, 1, 1, 1, 5, {"oooo*x"}, 1},
        {"freestyle caro: six shut at both ends", 8, 1, 1, 3, 5, {"xooo*oox"}, 1},
        {"freestyle caro: opponent shut by engine stones", 8, 1, 2, 3, 5, {"oxx*xxo"}, 0},
        {"standard caro: six", 9, 1, 1, 3, 5, {".ooo*oo."}, 0},
        {"standard caro: shut at both ends", 9, 1, 1, 3, 5, {"xoo*oox"}, 0},
        {"standard caro: shut at one end", 9, 1, 1, 3, 5, {"xoo*oo."}, 1},
        {"standard caro: edge and opponent", 9, 1, 1, 10, 5, {"xo*ooo"}, 1},
    });
    // clang-format on
}

TEST(Situa, Renju) {
    // clang-format off
    check_cases({
        {"engine black, double three", 4, 1, 1, 3, 3, DOUBLE_THREE_O, -1},
        {"engine white, double three", 4, 2, 1, 3, 3, DOUBLE_THREE_O, 0},
        {"opponent black, double three", 4, 2, 2, 3, 3, DOUBLE_THREE_X, 1},
        {"opponent white, double three", 4, 1, 2, 3, 3, DOUBLE_THREE_X, 0},
        {"opponent black, overline", 4, 2, 2, 3, 5, {"xxx*xx"}, 1},
        {"engine black, overline", 4, 3, 3, 3, 5, {"ooo*oo"}, -1},
        {"engine white, overline wins", 4, 2, 1, 3, 5, {"ooo*oo"}, 1},
        {"opponent white, overline wins", 4, 1, 2, 3, 5, {"xxx*xx"}, -1},
        {"engine black, exact five", 4, 1, 1, 3, 5, {"xoo*oox"}, 1},
        {"engine black, five beside an overline", 4, 1, 1, 3, 3,
         {"...o...", "...o...", "ooo*oo.", "...o...", "...o...", "......."}, 1},
    });
    // clang-format on
}
