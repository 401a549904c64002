// Playing levels: fives and blocks that no level misses, the slips that make the low levels
// weaker, and the INFO key that sets a level.
#include <gtest/gtest.h>

#include <climits>
#include <regex>
#include <string>
#include <vector>

#include "engine/computer_turn.h"
#include "engine/level.h"
#include "game/Main.h"
#include "game/engine_rand.h"
#include "search/ai.h"
#include "tests/support/engine_process.h"
#include "tests/support/picture.h"

namespace {

int stones_on_board() {
    int count = 0;
    for (int x = 1; x <= BOARDSIZE; ++x)
        for (int y = 1; y <= BOARDSIZE; ++y)
            count += qp[x][y] != 0;
    return count;
}

// The move (100 x + y) at `level` for the side to move, 'o' on the pictures, from cold tables
// and a seed. The node budget decides, never the clock; `nodes` replaces the level's budget.
int decide(int level, unsigned seed, int nodes = -1) {
    set_level(level);
    if (nodes >= 0)
        NODE_LIMIT = nodes;
    MAX_TIME = 1000000, TIME_REMAIN = INT_MAX;
    clear_hash_tables();
    i = stones_on_board() + 1;
    engine_srand(seed);
    const bool first_player = i % 2 == 1;  // its stones are 2 on qp
    if (first_player)
        REVERSE();
    testing::internal::CaptureStdout();
    computer_turn_for_side_to_move();
    testing::internal::GetCapturedStdout();
    if (first_player)
        REVERSE();
    const int move = stonex[i] * 100 + stoney[i];
    stonex[i] = stoney[i] = 0;
    set_level(LEVEL_NB);
    return move;
}

struct Position {
    int rule, x0, y0;
    const char* pic;
    const char* why;
};

// Middle-game positions without a four on either side.
// clang-format off
const Position QUIET[] = {
    {1, 5, 5, "...../.xo../.ox../..o../..x..", "crossing pairs"},
    {1, 5, 5, "....../.xoo../..xo../.xox../......", "a broken three each"},
    {4, 4, 4, "......./..x..../..oxo../..xo.../...o.x./.......", "renju, scattered"},
    {1, 6, 6, "...../.oox./..xo./.x.o./.....", "a closed three"},
};
// clang-format on

}  // namespace

// Every level takes its own five and blocks the opponent's, also where the point table gives
// no credit: an own four against the edge, windows the renju table does not reach, caro's fours
// (no block credit at all there). A run the rule does not count is not taken for a five, and a
// renju block the first player may not play gives way to one it may. Every level, many seeds.
TEST(Level, NeverMissesAFiveOrABlock) {
    // clang-format off
    struct Case { int rule, x0, y0; const char* pic; int want; const char* why; };
    const Case cases[] = {
        {1, 1, 3, ".......x/.......x/.......x/.......x/......../oooo....", 508,
         "own four against the edge, before the opponent's open four"},
        {1, 4, 4, "........./.xx.xx.../...o...../..o.o....", 705,
         "the opponent's split four, blocked in its gap"},
        {4, 3, 1, "o/o/o/o////......xxxx", 305,
         "renju: own five against the low edge, before the opponent's open four"},
        {4, 4, 1, "...../....x/...x./..x../.x.../o....", 901,
         "renju: the opponent's anti-diagonal four against the low edge"},
        {2, 1, 2, ".........o/.........x/.........x/.........x/.........x/////"
                  "xoooo.o...", 1007, "exactly five: a six is no five; block instead"},
        {8, 2, 3, "..o...../..x...../..x...../..x.o.../..x..o..", 408,
         "freestyle caro: the opponent's four closed at one end"},
        {9, 2, 3, ".xoooo.x//////.oxxxx..", 809,
         "standard caro: a five shut at both ends is none; block the opponent's"},
        {4, 2, 2, ".........o./.........x./.........x./.........x./.........x./"
                  "........../oxxxx....../.....oo..../.....o.o...", 1107,
         "renju, first player: the block at 7,8 is a double three, the one at 11,7 is not"},
    };
    // clang-format on
    for (const Case& tc : cases)
        for (int level = 1; level < LEVEL_NB; ++level)
            for (unsigned seed = 1; seed <= 10; ++seed)
            {
                fresh_game(15, tc.rule);
                draw(qp, tc.x0, tc.y0, tc.pic);
                ASSERT_EQ(decide(level, seed), tc.want) << tc.why << ", level " << level;
            }
}

// Below full strength the move is now and then another of the next candidates (levels 1 to 4
// slip over a few quiet positions and seeds), never one further down the ranking than the
// level allows nor further below the best score than its margin. The lowest level plays
// something other than full strength (with a fixed budget here) at least once.
TEST(Level, SlipsStayAmongTheNextCandidates) {
    const int seeds[LEVEL_NB] = {0, 30, 30, 30, 15, 2};
    int slips[LEVEL_NB]       = {};
    int unlike_full           = 0;
    for (const Position& pos : QUIET)
    {
        fresh_game(15, pos.rule);
        draw(qp, pos.x0, pos.y0, pos.pic);
        const int full = decide(LEVEL_NB, 1, 200000);
        for (int level = 1; level < LEVEL_NB; ++level)
            for (int seed = 1; seed <= seeds[level]; ++seed)
            {
                const int move = decide(level, seed);
                int k          = 0;
                while (k < RANKED_NB && bestx[k] != 0 && bestx[k] * 100 + besty[k] != move)
                    ++k;
                ASSERT_TRUE(k < RANKED_NB && bestx[k] != 0) << pos.why << ": not ranked";
                const Level& lv = LEVELS[level];
                EXPECT_LE(k, lv.slip_choices) << pos.why << ", level " << level;
                EXPECT_LE(jz[bestx[0]][besty[0]] - jz[bestx[k]][besty[k]], lv.slip_margin)
                    << pos.why << ", level " << level;
                slips[level] += k > 0;
                unlike_full += level == 1 && move != full;
            }
    }
    for (int level = 1; level <= 4; ++level)
        EXPECT_GT(slips[level], 0) << "level " << level;
    EXPECT_GT(unlike_full, 0);
}

// The level's budgets hold from INFO level on: a value out of 1..6 is full strength, a
// non-number is an error that keeps the level, and a later max_depth or max_node overrides the
// level's.
TEST(Level, InfoLevelSetsTheBudgets) {
    const EngineRun run = run_engine("INFO timeout_turn 1000\nYXBOARD\n7,7,1\n8,8,2\n7,8,1\n6,9,2\n"
                                     "DONE\nINFO level 1\nYXNBEST 1\nINFO level x\nYXNBEST 1\n"
                                     "INFO level 9\nYXNBEST 1\nINFO level 1\nINFO max_depth 4\n"
                                     "INFO max_node 0\nYXNBEST 1\nINFO level 0\nYXNBEST 1\n"
                                     "INFO level -1\nYXNBEST 1\n",
                                     30000);
    const std::regex report("^MESSAGE Depth (\\d+) .*Node (\\d+) ");
    std::vector<int> depth, nodes;
    int errors = 0;
    for (const std::string& line : run.lines)
    {
        std::smatch m;
        if (std::regex_search(line, m, report))
            depth.push_back(std::stoi(m[1])), nodes.push_back(std::stoi(m[2]));
        errors += line == "ERROR";
    }
    ASSERT_EQ(depth.size(), 6u);
    EXPECT_EQ(errors, 1);
    const int level_1 = LEVELS[1].max_node + 2000;  // the first iteration always completes
    EXPECT_LE(nodes[0], level_1) << "level 1";
    EXPECT_LE(depth[0], LEVELS[1].max_depth) << "level 1";
    EXPECT_LE(nodes[1], level_1) << "level x keeps level 1";
    EXPECT_GT(nodes[2], level_1) << "level 9 is full strength";
    EXPECT_EQ(depth[3], 4) << "max_depth and max_node after the level";
    EXPECT_GT(nodes[4], level_1) << "level 0 is full strength";
    EXPECT_GT(depth[5], LEVELS[1].max_depth) << "level -1 is full strength";
    EXPECT_EQ(run.status, 0);
}
