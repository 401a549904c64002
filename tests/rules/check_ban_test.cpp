// Renju forbidden moves on hand-drawn positions. In every picture 'o' is the restricted (black)
// side, 'x' the other side and '*' the empty point tested; text columns run along the first
// index, text rows along the second.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "rules/check_ban.h"
#include "tests/support/picture.h"

namespace {

struct Point {
    int x, y;
};

// Clears `layer`, draws the picture with its top-left character at (x0, y0) and returns the
// point marked '*'.
Point draw(int layer, int x0, int y0, std::initializer_list<const char*> rows) {
    std::memset(board_ban[layer], 0, sizeof board_ban[layer]);
    put_picture(board_ban[layer], x0, y0, rows);
    Point star{0, 0};
    int r = 0;
    for (const char* row : rows)
    {
        for (int k = 0; row[k] != '\0'; ++k)
            if (row[k] == '*')
                star = {x0 + k, y0 + r};
        ++r;
    }
    return star;
}

struct BanCase {
    const char* why;
    int x0, y0;
    std::initializer_list<const char*> rows;
    int forbidden;
};

void check_cases(std::initializer_list<BanCase> cases) {
    for (const BanCase& tc : cases)
    {
        const Point p = draw(0, tc.x0, tc.y0, tc.rows);
        EXPECT_EQ(CHECK_BAN(p.x, p.y, 0, 1), tc.forbidden) << tc.why;
    }
}

struct CheckBan : ::testing::Test {
    void SetUp() override { BOARDSIZE = 15; }
    void TearDown() override { BOARDSIZE = 15; }
};

}  // namespace

TEST_F(CheckBan, Fives) {
    // clang-format off
    check_cases({
        {"exact five", 3, 3, {"..oo*oo.."}, 0},
        {"six in a row", 3, 3, {"..ooo*oo.."}, 1},
        {"seven in a row", 3, 3, {"..ooo*ooo.."}, 1},
        {"six closed by the other side is still an overline", 3, 3, {"xooo*oox"}, 1},
        {"exact five beside an opponent stone", 3, 3, {"xoo*oox"}, 0},
        {"five along the edge", 1, 3, {"*oooo."}, 0},
        {"exact five overrides an overline in an earlier direction", 3, 3,
         {"...o.....",
          "...o.....",
          "ooo*oo...",
          "...o.....",
          "...o.....",
          ".........",},
         0},
        {"exact five overrides a double four", 3, 3,
         {"....x....",
          "....o....",
          "....o....",
          "....o....",
          "..oo*oo..",
          ".....o...",
          "......o..",
          ".......o.",
          "........x",},
         0},
        {"exact five overrides a double three", 3, 3,
         {".........",
          "....o....",
          "....o....",
          "oooo*....",
          "...o.....",
          "..o......",
          ".........",},
         0},
    });
    // clang-format on
}

TEST_F(CheckBan, Fours) {
    // clang-format off
    check_cases({
        {"one four", 3, 3, {"x*ooo.."}, 0},
        {"two straight-line fours crossing", 3, 3,
         {"...x....",
          "...o....",
          "...o....",
          "...o....",
          "x..*ooo.",
          "........",},
         1},
        {"split four and four crossing", 3, 3,
         {"...x....",
          "...o....",
          "...o....",
          "...o....",
          "..o*.oo.",
          "........",},
         1},
        {"two fours on one line: 1 0 1 1 1 0 1", 3, 3, {"..o.o*o.o.."}, 1},
        {"1 1 1 0 1 1 1 is no four: the gap makes seven", 3, 3,
         {"...x.......",
          "...o.......",
          "...o.......",
          "...o.......",
          "...*oo.ooo.",
          "...........",},
         0},
        {"four plus open three is allowed", 3, 3,
         {"...x....",
          "...o....",
          "...o....",
          "...o....",
          "...*oo..",
          "........",},
         0},
        {"four stones closed at both ends are no four", 3, 3,
         {"...x....",
          "...o....",
          "...o....",
          "...o....",
          "..x*ooox",
          "........",},
         0},
    });
    // clang-format on
}

TEST_F(CheckBan, Threes) {
    // clang-format off
    check_cases({
        {"two open threes crossing", 3, 3,
         {".......",
          ".......",
          "..*oo..",
          "..o....",
          "..o....",
          ".......",
          ".......",},
         1},
        {"split three and open three", 3, 3,
         {"........",
          "........",
          "..*o.o..",
          "..o.....",
          "..o.....",
          "........",
          "........",},
         1},
        {"diagonal and anti-diagonal threes", 3, 3,
         {"o...o",
          ".o.o.",
          "..*..",
          ".....",
          ".....",},
         1},
        {"one three closed by the other side", 3, 3,
         {".......",
          ".......",
          ".x*oo..",
          "..o....",
          "..o....",
          ".......",
          ".......",},
         0},
        {"one three closed by the board edge", 1, 3,
         {"......",
          "......",
          "*oo...",
          "o.....",
          "o.....",
          "......",
          "......",},
         0},
        {"the same shape one cell from the edge is open", 2, 3,
         {"......",
          "......",
          "*oo...",
          "o.....",
          "o.....",
          "......",
          "......",},
         1},
        {"own stones beyond both straight-four ends: no three", 3, 3,
         {"...........",
          "...........",
          "o..*oo..o..",
          "...o.......",
          "...o.......",
          "...........",
          "...........",},
         0},
        {"without the far own stone the three is open", 3, 3,
         {"...........",
          "...........",
          "...*oo..o..",
          "...o.......",
          "...o.......",
          "...........",
          "...........",},
         1},
    });
    // clang-format on
}

// The split three's only four-point (the gap) would make an overline in its column, so the
// split three is not real and the move stands with one three.
TEST_F(CheckBan, ThreeWithForbiddenFourPointIsNotReal) {
    // clang-format off
    const std::initializer_list<const char*> with_column = {
        "....o...",
        "....o...",
        "....o...",
        "..*o.o..",
        "..o.o...",
        "..o.o...",
        "........",
        "........",
    };
    // clang-format on
    // clang-format off
    const std::initializer_list<const char*> without_column = {
        "........",
        "........",
        "........",
        "..*o.o..",
        "..o.....",
        "..o.....",
        "........",
        "........",
    };
    // clang-format on
    // clang-format off
    check_cases({
        {"four-point forbidden: one real three", 3, 3, with_column, 0},
        {"four-point legal: double three", 3, 3, without_column, 1},
    });
    // clang-format on
    // At the deepest layer the four-point is not examined, so both threes count.
    const Point p = draw(3, 3, 3, with_column);
    EXPECT_EQ(CHECK_BAN(p.x, p.y, 0, 4), 1);
    EXPECT_EQ(CHECK_BAN(p.x, p.y, 0, 5), 0) << "beyond the limit nothing is forbidden";
    draw(2, 3, 3, with_column);
    EXPECT_EQ(CHECK_BAN(p.x, p.y, 0, 3), 0) << "depth 3 still proves the four-point forbidden";
}

// An open three has two four-points; when the one examined first would be an overline, the
// three is still real through the other one.
TEST_F(CheckBan, ThreeProvedThroughItsOtherFourPoint) {
    // clang-format off
    check_cases({
        {"left four-point forbidden, right one legal", 1, 1,
         {"..........",
          "..........",
          "...o......",
          "...o......",
          "...o......",
          "....*oo...",
          "...oo.....",
          "...oo.....",
          "..........",
          "..........",},
         1},
        {"both four-points forbidden", 1, 1,
         {"..........",
          "..........",
          "...o...o..",
          "...o...o..",
          "...o...o..",
          "....*oo...",
          "...oo..o..",
          "...oo..o..",
          "..........",
          "..........",},
         0},
    });
    // clang-format on
}

// The judge tests a stone already on the board: it counts like the tested stone, and layer 0
// stays as the caller filled it.
TEST_F(CheckBan, StoneAlreadyPlacedAndLayerZeroKept) {
    struct Case {
        const char* row;
        int forbidden;
        const char* why;
    };
    const Case cases[] = {{"..oo*oo..", 0, "exact five"}, {"..ooo*oo..", 1, "overline"}};
    for (const Case& tc : cases)
    {
        const Point p          = draw(0, 3, 3, {tc.row});
        board_ban[0][p.x][p.y] = 1;
        int before[JZ_SIDE][JZ_SIDE];
        std::memcpy(before, board_ban[0], sizeof before);
        EXPECT_EQ(CHECK_BAN(p.x, p.y, 0, 1), tc.forbidden) << tc.why;
        EXPECT_EQ(std::memcmp(before, board_ban[0], sizeof before), 0) << tc.why;
    }
}

// Points at the corners of the largest board read their 13-cell lines across the edge.
TEST_F(CheckBan, CornersOfTheLargestBoard) {
    BOARDSIZE = 25;
    // clang-format off
    check_cases({
        {"corner five", 21, 25, {"oooo*"}, 0},
        {"threes against the far edges are not threes", 21, 21,
         {".....",
          ".....",
          "..oo*",
          "....o",
          "....o",},
         0},
        {"double four into the far corner", 21, 21,
         {".....",
          "....o",
          "....o",
          "....o",
          ".ooo*",},
         1},
        {"double three near the far corner", 19, 19,
         {".......",
          ".......",
          "...oo*.",
          ".....o.",
          ".....o.",
          ".......",
          ".......",},
         1},
        {"threes from the first corner are not threes", 1, 1,
         {"*oo....",
          "o......",
          "o......",
          ".......",},
         0},
        {"double three one cell off the first corner", 1, 1,
         {".......",
          ".*oo...",
          ".o.....",
          ".o.....",
          ".......",},
         1},
    });
    // clang-format on
}
