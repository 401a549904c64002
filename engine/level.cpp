// Playing levels: the budgets each level sets, and its say over the move once COMPUTER_TURN has
// ranked the candidates (a five first, then a block, then now and then a weaker candidate).
#include "engine/level.h"

#include "engine/computer_turn.h"
#include "game/Main.h"
#include "game/engine_rand.h"
#include "rules/check_ban.h"
#include "search/thread.h"

namespace {

constexpr int FULL_DEPTH = 15;  // MAX_LAYER when no limit is set, as the protocol starts it

constexpr int DX[4] = {1, 0, 1, 1};
constexpr int DY[4] = {0, 1, 1, -1};

// qp at (x, y); points off the playing area hold no stone, as JUDGE reads them.
int stone_at(int x, int y) {
    const int n = BOARDSIZE;
    return x >= 1 && x <= n && y >= 1 && y <= n ? qp[x][y] : 0;
}

// Whether a stone of code `s` on the empty point (x, y) wins under the rule in force, as JUDGE
// would judge it; `black` is the first player's code on qp.
bool makes_five(int x, int y, int s, int black) {
    const int other = 3 - s;
    for (int dir = 0; dir < 4; ++dir)
    {
        int ax = x + DX[dir], ay = y + DY[dir];
        int bx = x - DX[dir], by = y - DY[dir];
        int run = 1;
        for (; stone_at(ax, ay) == s; ax += DX[dir], ay += DY[dir])
            ++run;
        for (; stone_at(bx, by) == s; bx -= DX[dir], by -= DY[dir])
            ++run;
        if (run < 5)
            continue;
        const bool shut = stone_at(ax, ay) == other && stone_at(bx, by) == other;
        bool wins       = true;
        switch (gametype)
        {
        case 2: wins = run == 5; break;
        case 4: wins = run == 5 || s != black; break;  // white may make six and more
        case 8: wins = run > 5 || !shut; break;        // a longer run leaves a five open
        case 9: wins = run == 5 && !shut; break;
        default: break;
        }
        if (wins)
            return true;
    }
    return false;
}

// Whether the engine (stone 1) may play the empty point (x, y): not a renju forbidden point of
// the first player when that is the engine.
bool engine_may_play(int x, int y, int black) {
    if (gametype != 4 || black != 1)
        return true;
    const int n = BOARDSIZE;
    for (int px = 1; px <= n; ++px)
        for (int py = 1; py <= n; ++py)
            board_ban[0][px][py] = qp[px][py];  // the engine is black: its stones are 1 already
    return CHECK_BAN(x, y, 0, 1) == 0;
}

// Plays a point where `wanted` holds: the chosen move if it is one, else the one scored highest
// in jz (ties to the smallest x, then y). False when no point qualifies.
template <class Wanted>
bool play_one_of(Wanted wanted) {
    if (wanted(stonex[i], stoney[i]))
        return true;
    const int n = BOARDSIZE;
    int bx = 0, by = 0;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            if (qp[x][y] == 0 && (bx == 0 || jz[x][y] > jz[bx][by]) && wanted(x, y))
            {
                bx = x;
                by = y;
            }
    if (bx == 0)
        return false;
    stonex[i] = bx;
    stoney[i] = by;
    return true;
}

}  // namespace

// clang-format off
const Level LEVELS[LEVEL_NB + 1] = {
    // name            nodes  depth  slip %  choices  margin
    {"",                   0,     0,      0,       0,      0},
    {"Beginner",        1000,     2,     60,       6,   2000},
    {"Novice",          3000,     3,     30,       4,    600},
    {"Casual",          5000,     4,     15,       3,    300},
    {"Club",           10000,     5,      6,       2,    150},
    {"Expert",         25000,     7,      3,       2,    100},
    {"Full strength",      0, FULL_DEPTH, 0,       0,      0},
};
// clang-format on

int LEVEL = LEVEL_NB;

void set_level(int level) {
    LEVEL      = level >= 1 && level <= LEVEL_NB ? level : LEVEL_NB;
    NODE_LIMIT = LEVELS[LEVEL].max_node;
    MAX_LAYER  = LEVELS[LEVEL].max_depth;
}

void apply_level() {
    if (LEVEL < 1 || LEVEL >= LEVEL_NB || stonex[i] == 0)
        return;
    const int black = i % 2 == 1 ? 1 : 2;  // the engine is stone 1 while it thinks

    // Step 1. A five of its own is never missed.
    if (play_one_of([black](int x, int y) { return makes_five(x, y, 1, black); }))
        return;

    // Step 2. The opponent's five point is blocked wherever the engine may play.
    if (play_one_of([black](int x, int y) {
            return makes_five(x, y, 2, black) && engine_may_play(x, y, black);
        }))
        return;

    // Step 3. Only the alpha-beta search's scores are weighed: the book, the point table and a
    // win found by the attack search keep their move.
    if (main_thread.break_depth == 0)
        return;

    // Step 4. Now and then a slip: one of the next candidates within the margin, the closer to
    // the best the likelier.
    const Level& lv = LEVELS[LEVEL];
    if (engine_rand() % 100 >= lv.slip_percent)
        return;
    const int best        = jz[bestx[0]][besty[0]];
    int weight[RANKED_NB] = {};
    int total             = 0;
    for (int k = 1; k <= lv.slip_choices && k < RANKED_NB && bestx[k] != 0; ++k)
    {
        const int gap = best - jz[bestx[k]][besty[k]];
        weight[k]     = gap <= lv.slip_margin ? lv.slip_margin - gap + 1 : 0;
        total += weight[k];
    }
    if (total == 0)
        return;
    int pick = engine_rand() % total;
    int k    = 1;
    while (pick >= weight[k])
        pick -= weight[k++];
    stonex[i] = bestx[k];
    stoney[i] = besty[k];
}
