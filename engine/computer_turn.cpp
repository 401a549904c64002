// The move decision: every stage adds credits to the score board jz and the engine plays
// its highest point.
#include "engine/computer_turn.h"

#include <cstdint>
#include <cstring>

#include "book/gomobook.h"
#include "engine/level.h"
#include "eval/simple_table.h"
#include "game/Main.h"
#include "game/engine_rand.h"
#include "game/timer.h"
#include "search/live_report.h"
#include "search/quickdefend.h"
#include "search/quickkill.h"
#include "search/slowsearch.h"

namespace {

constexpr int EMPTY_BASE      = -500000;
constexpr int STONE_BASE      = -1000000000;
constexpr int DECIDED         = -200000;   // the book or the point table has spoken from here up
constexpr int NO_MOVE         = -1999999;  // below this a point is no move at all
constexpr int RANKED_MARK     = -5000000;
constexpr int HELPER_WIN_MARK = 10500000;  // as the attack search marks its proven win

// Highest point of `board` over the playing area. Only a strictly greater score replaces the
// best, so ties go to the smallest x, then the smallest y.
void best_point(const int (*board)[JZ_SIDE], int* bx, int* by) {
    const int n = BOARDSIZE;
    int x0 = 1, y0 = 1;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            if (board[x][y] > board[x0][y0])
            {
                x0 = x;
                y0 = y;
            }
    *bx = x0;
    *by = y0;
}

void add_noise() {
    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            jz[x][y] += engine_rand() % 20;
}

// Up to 80 candidates, best first, into bestx/besty; a copy of jz is marked as they are taken.
void rank_candidates() {
    int rank_board[JZ_SIDE][JZ_SIDE];
    std::memset(rank_board, 0, sizeof rank_board);
    std::memset(bestx, 0, sizeof bestx);
    std::memset(besty, 0, sizeof besty);
    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            rank_board[x][y] = jz[x][y];
    for (int k = 0; k < RANKED_NB; ++k)
    {
        int bx = 1, by = 1;
        best_point(rank_board, &bx, &by);
        if (rank_board[bx][by] < DECIDED)
            break;
        bestx[k]           = bx;
        besty[k]           = by;
        rank_board[bx][by] = RANKED_MARK;
    }
}

// What the threat searches found beside the alpha-beta search: their counters for the depth
// line, their verdict told as they tell it, and the root scores where they leave a point.
void take_threat_results(SearchThread& t, const SearchThread& threats) {
    t.node1        = threats.node1;
    t.node2        = threats.node2;
    t.mate_node1   = threats.mate_node1;
    t.mate_node2   = threats.mate_node2;
    t.break_depth1 = threats.break_depth1;
    t.break_depth2 = threats.break_depth2;
    if (situation == 1.0)
    {
        say("\nMESSAGE Certainly win...\n");
        return;
    }
    if (situation == -1.0)
        say("\nMESSAGE Certainly lose... \n");
    add_root_scores(t);
}

}  // namespace

long long helper_nodes = 0;

void search_margins(int max_time, int* quick_delay, int* slow_delay) {
    struct Margin {
        int up_to, quick, slow;
    };
    // clang-format off
    static constexpr Margin MARGINS[] = {
        {79, 10, 10},     {99, 15, 15},     {149, 20, 20},    {199, 25, 30},
        {299, 30, 45},    {499, 40, 60},    {1000, 50, 80},   {2000, 75, 100},
        {4000, 100, 150}, {8000, 100, 200}, {20000, 150, 500},
    };
    // clang-format on
    for (const Margin& m : MARGINS)
        if (max_time <= m.up_to)
        {
            *quick_delay = m.quick;
            *slow_delay  = m.slow;
            return;
        }
    // Long budgets keep a margin in proportion.
    *quick_delay = max_time / 100;
    *slow_delay  = max_time / 40;
}

void COMPUTER_TURN() {
    const int n     = BOARDSIZE;
    SearchThread& t = main_thread;

    // Step 1. Clear the verdict and the depths of the last move.
    situation     = 0.0;
    t.break_depth = t.break_depth1 = t.break_depth2 = 0;

    // Step 2. Base values: any empty point beats any stone.
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            jz[x][y] = qp[x][y] == 0 ? EMPTY_BASE : STONE_BASE;

    // Step 3. Spend no more than a twentieth of the match time left. The product is taken
    // in 64 bits: managers send budgets as large as an int holds.
    if (static_cast<int64_t>(MAX_TIME) * 20 > TIME_REMAIN)
        MAX_TIME = TIME_REMAIN / 20;

    // Step 4. Margins of the searches' time limits.
    search_margins(MAX_TIME, &QUICK_SEARCH_DELAY, &SLOW_SEARCH_DELAY);

    // Step 5. Book and immediate fives.
    GOMOBOOK();
    SIMPLE_TABLE();

    t.node = t.node1 = t.node2 = 0;
    helper_nodes               = 0;

    // Step 6. When the book or the point table has spoken, vary among its choices only;
    // otherwise the searches decide, from the third move of the game on.
    int bx = 1, by = 1;
    best_point(jz, &bx, &by);
    if (jz[bx][by] >= DECIDED)
        add_noise();
    else
    {
        TIMER(1);
        live_move_start();
        if (i > 2)
        {
            // With helpers and no live lines (which come from one thread in their order), a
            // helper runs the threat searches beside the main thread's alpha-beta search.
            const bool beside = helpers_start(SHOW_DETAIL == 0);
            if (beside)
                slowsearch_beside(t);
            else
            {
                if (switch_quickkill == 1)
                    QUICKKILL(t);
                if (situation != 1.0)
                {
                    if (switch_quickdefend == 1)
                        QUICKDEFEND(t);
                    SLOWSEARCH(t);
                }
            }
            const HelperReport helped = helpers_finish();
            helper_nodes              = helped.nodes;
            if (beside && helped.threats != nullptr)
                take_threat_results(t, *helped.threats);
            // A win a helper proved is played, unless the main thread has one of its own.
            if (helped.win_x != 0 && situation != 1.0 && t.best_value < FORCED_WIN_SCORE)
            {
                jz[helped.win_x][helped.win_y] += HELPER_WIN_MARK;
                situation = 1.0;
            }
        }
    }

    // Step 7. The first two moves are varied once more.
    if (i <= 2)
        add_noise();

    // Step 8. The move; a board without a playable point gives 0, 0.
    best_point(jz, &bx, &by);
    if (jz[bx][by] < NO_MOVE)
        stonex[i] = stoney[i] = 0;
    else
    {
        stonex[i] = bx;
        stoney[i] = by;
    }

    // Step 9. Ranked candidates for the console, and one line about the search.
    rank_candidates();
    const bool searched = t.break_depth != 0 || t.break_depth1 != 0 || t.break_depth2 != 0;
    const int eval      = searched ? jz[bestx[0]][besty[0]] : 0;
    // The helpers' nodes count with the alpha-beta search's.
    const long long ab = t.node + helper_nodes;
    say("\nMESSAGE Depth %d (%d-%d-%d)  Eval %d  Node %lld (%lld+%d+%d)\n", t.break_depth,
        t.break_depth, t.break_depth1, t.break_depth2, eval, ab + t.node1 + t.node2, ab, t.node1,
        t.node2);

    // Step 10. A playing level below full strength may take another candidate.
    apply_level();
}

void computer_turn_for_side_to_move() {
    const bool first_player = i % 2 == 1;
    if (first_player)
        REVERSE();
    COMPUTER_TURN();
    if (first_player)
        REVERSE();
}
