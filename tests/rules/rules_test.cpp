// Renju forbidden moves and the judging of a console game, on small pictures: rows separated by
// '/', character k of row r at (x0 + k, y0 + r); 'o' code 1, 'x' code 2, '*' the tested point.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <tuple>

#include "rules/check_ban.h"
#include "rules/judge.h"
#include "tests/support/picture.h"

namespace {

// Why; the depth and board size of a CHECK_BAN case, the rule and slot of a JUDGE case; where
// the picture goes (x0, y0); the picture; the answer wanted.
using Case = std::tuple<const char*, int, int, int, int, const char*, int>;

}  // namespace

// CHECK_BAN at a depth (it reads layer depth - 1) on a board size: 'o' is the restricted side,
// '*' the empty point tested. JUDGE under a rule: 'o' colour 1 (second player), 'x' colour 2,
// '*' a colour-2 stone, the move in a slot.
TEST(Rules, RenjuShapesAndJudging) {
    // clang-format off
    const Case shapes[] = {
        {"overline", 1, 15, 3, 3, "..ooo*oo..", 1},
        {"a later exact five beats an overline", 1, 15, 3, 3, "...o/...o/ooo*oo/...o/...o", 0},
        {"exact five beats a double three", 1, 15, 3, 3, "....o/....o/oooo*/...o/..o", 0},
        {"double four: a split four and a four", 1, 15, 3, 3, "...x/...o/...o/...o/..o*.oo.", 1},
        {"double four on one line: 1 0 1 1 1 0 1", 1, 15, 3, 3, "..o.o*o.o..", 1},
        {"1 1 1 0 1 1 1: the gap makes seven", 1, 15, 3, 3, "...x/...o/...o/...o/...*oo.ooo.", 0},
        {"four stones shut at both ends: no four", 1, 15, 3, 3, "...x/...o/...o/...o/..x*ooox", 0},
        {"a four and a split three are allowed", 1, 15, 3, 3, "...x/...o/...o/...o/...*o.o.", 0},
        {"a four whose only five is six is no four", 1, 15, 4, 3, "..x/..o/..o/..o/o.*ooox", 0},
        {"double three on the diagonals", 1, 15, 3, 3, "o...o/.o.o./..*", 1},
        {"a three shut by the other side", 1, 15, 4, 5, "x*oo/.o/.o", 0},
        {"own stones past both four-ends", 1, 15, 3, 5, "o..*oo..o/...o/...o", 0},
        {"own stone past one four-end", 1, 15, 3, 5, "...*oo..o/...o/...o", 1},
        {"split three, its four-point an overline", 1, 15, 5, 3, "..o/..o/..o/*o.o/o.o/o.o", 0},
        {"at depth 4 every three is real", 4, 15, 5, 3, "..o/..o/..o/*o.o/o.o/o.o", 1},
        {"beyond depth 4 nothing is forbidden", 5, 15, 3, 3, "..ooo*oo..", 0},
        {"a three real by its other four-point", 1, 15, 4, 3, "o/o/o/.*oo/oo/oo", 1},
        {"both four-points forbidden", 1, 15, 4, 3, "o...o/o...o/o...o/.*oo/oo..o/oo..o", 0},
        {"threes against the first corner are shut", 1, 25, 1, 1, "*oo/o/o", 0},
        {"double three one cell off the corner", 1, 25, 1, 1, "/.*oo/.o/.o", 1},
        {"threes against the far edges are shut", 1, 25, 21, 23, "..oo*/....o/....o", 0},
        {"double four into the far corner", 1, 25, 21, 22, "....o/....o/....o/.ooo*", 1},
        {"double three near the far corner", 1, 25, 19, 21, "...oo*/.....o/.....o", 1},
    };
    // clang-format on
    for (const auto& [why, depth, size, x0, y0, pic, banned] : shapes)
    {
        BOARDSIZE = size;
        std::memset(board_ban, 0, sizeof board_ban);
        const auto [x, y] = draw(board_ban[depth - 1], x0, y0, pic, 0);
        EXPECT_EQ(CHECK_BAN(x, y, 0, depth), banned) << why;
    }

    // clang-format off
    const Case games[] = {
        {"freestyle: six along the second index", 1, 1, 5, 3, "x/x/x/x/x/x", 2},
        {"freestyle: five on the anti-diagonal", 1, 1, 3, 3, "....o/...o/..o/.o/o", 1},
        {"freestyle: five on the diagonal", 1, 1, 3, 3, "x/.x/..x/...x/....x", 2},
        {"freestyle: five on the last row", 1, 1, 5, 15, "ooooo", 1},
        {"freestyle: four", 1, 1, 3, 3, "oooo.", 0},
        {"exactly five: straight sixes", 2, 1, 3, 3, "oooooo/o/o/o/o/o", 0},
        {"exactly five: diagonal sixes", 2, 1, 3, 3, "x....x/.x..x/..xx/..xx/.x..x/x....x", 0},
        {"exactly five: five at the edge", 2, 1, 1, 3, "ooooo.o", 1},
        {"exactly five: five at the far edge", 2, 1, 9, 3, "o.ooooo", 1},
        {"freestyle caro: shut at both ends", 8, 1, 3, 3, "oxxxxxo", 0},
        {"freestyle caro: shut at one end", 8, 1, 3, 3, "oxxxxx.", 2},
        {"standard caro: six", 9, 1, 3, 3, ".oooooo.", 0},
        {"standard caro: shut at one end", 9, 1, 3, 3, "xooooo.", 1},
        {"standard caro: shut at both ends", 9, 1, 3, 3, "xooooox", 0},
        {"renju: black's overline loses", 4, 5, 3, 3, "xxx*xx", 1},
        {"renju: overline on the last column", 4, 5, 15, 3, "x/x/x/*/x/x", 1},
        {"renju: not tested after white's move", 4, 6, 3, 3, "xxx*xx", 0},
        {"renju: black's double three", 4, 9, 5, 5, "*xx/x/x", 1},
        {"renju: black's five beside an overline", 4, 9, 3, 3, "...x/...x/xxx*xx/...x/...x", 2},
        {"renju: black's four and three", 4, 9, 3, 3, "...o/...x/...x/...x/...*xx", 0},
        {"scan: smaller first index first", 1, 1, 3, 3, "..ooooo/././x/x/x/x/x", 2},
        {"scan: then smaller second index", 1, 1, 3, 1, "o/o/o/o/o/./x/x/x/x/x", 1},
    };
    // clang-format on
    for (const auto& [why, rule, slot, x0, y0, pic, winner] : games)
    {
        fresh_game(15, rule);
        i                              = slot;
        std::tie(stonex[i], stoney[i]) = draw(qp, x0, y0, pic, 2);
        EXPECT_EQ(JUDGE(), winner) << why;
    }
}

// The check read in place on the search board agrees with CHECK_BAN on a copied layer, with
// either colour as black, at every empty point of random crowded boards.
TEST(Rules, ForbiddenCheckOnTheSearchBoardMatchesTheCopiedLayer) {
    int marked = 0;
    char un[JZ_SIDE][JZ_SIDE];
    for (int trial = 0; trial < 60; ++trial)
    {
        fresh_game(15, 4);
        std::memset(un, 0, sizeof un);
        const int black = 1 + trial % 2;
        for (int x = 1; x <= 15; ++x)
            for (int y = 1; y <= 15; ++y)
            {
                un[x][y] = static_cast<char>(std::rand() % 3 == 0 ? 1 + std::rand() % 2 : 0);
                board_ban[0][x][y] = un[x][y] == 0 ? 0 : black == 1 ? un[x][y] : 3 - un[x][y];
            }
        for (int x = 1; x <= 15; ++x)
            for (int y = 1; y <= 15; ++y)
                if (un[x][y] == 0)
                {
                    un[x][y] = static_cast<char>(black), board_ban[0][x][y] = 1;
                    const int copied = CHECK_BAN(x, y, 0, 1);
                    ASSERT_EQ(check_ban_on_un(un, x, y, black), copied)
                        << trial << " " << x << "," << y;
                    marked += copied;
                    un[x][y] = 0, board_ban[0][x][y] = 0;
                }
    }
    EXPECT_GT(marked, 50);
}
