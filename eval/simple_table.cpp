// One-ply point table: large credits to the cells that complete the engine's five or stop the
// opponent's, and a small penalty on edge cells early in the game.
#include "eval/simple_table.h"

#include <cassert>

#include "game/Main.h"

namespace {

constexpr int OWN_FIVE     = 10000000;
constexpr int BLOCK_FIVE   = 2000000;
constexpr int EDGE_PENALTY = -10000;
constexpr int EARLY_LIMIT  = 160;  // edge penalties apply while i is below this

constexpr int dirx[4] = {0, 1, 1, 1};
constexpr int diry[4] = {1, 0, 1, -1};

bool on_board(int x, int y) { return 1 <= x && x <= BOARDSIZE && 1 <= y && y <= BOARDSIZE; }
bool on_edge(int x, int y) { return x == 1 || y == 1 || x == BOARDSIZE || y == BOARDSIZE; }

// Cells off the board never hold a stone, whatever lies in the array around the board.
int cell(int x, int y) { return on_board(x, y) ? qp[x][y] : 0; }

// Credits off the board are dropped: jz is only as wide as the largest board plus a margin.
void credit(int x, int y, int v) {
    if (on_board(x, y))
        jz[x][y] += v;
}

// The four hand-written freestyle checks for a stone of code s at (x, y) along (dx, dy).
void freestyle_checks(int x, int y, int dx, int dy, int s) {
    const int v = s == 1 ? OWN_FIVE : BLOCK_FIVE;
    auto holds  = [&](int k) { return cell(x + k * dx, y + k * dy) == s; };

    // Four in a row: credit both ends. The engine's own four is credited only when both ends
    // lie on the board; a block is credited at each end that does.
    if (holds(1) && holds(2) && holds(3))
    {
        const bool back = on_board(x - dx, y - dy), ahead = on_board(x + 4 * dx, y + 4 * dy);
        if (s == 2 || (back && ahead))
        {
            credit(x - dx, y - dy, v);
            credit(x + 4 * dx, y + 4 * dy, v);
        }
    }
    // Split fours: the gap is the cell that makes five.
    if (holds(1) && holds(3) && holds(4))
        credit(x + 2 * dx, y + 2 * dy, v);
    if (holds(2) && holds(3) && holds(4))
        credit(x + dx, y + dy, v);
    if (holds(-2) && holds(-3) && holds(-4))
        credit(x - dx, y - dy, v);
}

void freestyle_table() {
    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
        {
            if (i < EARLY_LIMIT && on_edge(x, y))
                jz[x][y] += EDGE_PENALTY;
            const int s = qp[x][y];
            if (s != 1 && s != 2)
                continue;
            for (int dir = 0; dir < 4; ++dir)
                freestyle_checks(x, y, dirx[dir], diry[dir], s);
        }
}

// Seven-cell table p1..p7 (each 0, 1, 2), flattened: index = sum of p_k * 3^(7-k).
constexpr int SEVEN_NB = 2187;

int seven_index(const int* p) {
    int index = 0;
    for (int k = 0; k < 7; ++k)
        index = index * 3 + p[k];
    return index;
}

// Gives `value` to every window whose middle five cells p2..p6 hold four `s` stones and one
// empty cell, and whose end cells (p1, p7) pass `allowed`.
template <class Allowed>
void fill_fours(int* renju_struc, int s, int value, Allowed allowed) {
    int p[7];
    for (int gap = 1; gap <= 5; ++gap)
        for (p[0] = 0; p[0] < 3; ++p[0])
            for (p[6] = 0; p[6] < 3; ++p[6])
            {
                if (!allowed(p[0], p[6]))
                    continue;
                for (int k = 1; k <= 5; ++k)
                    p[k] = k == gap ? 0 : s;
                renju_struc[seven_index(p)] = value;
            }
}

void seven_cell_table() {
    int renju_struc[SEVEN_NB] = {};
    if (gametype == 2 || gametype == 4)
    {
        // A further own stone next to the five would make six: no credit, for either side.
        fill_fours(renju_struc, 1, OWN_FIVE, [](int p1, int p7) { return p1 != 1 && p7 != 1; });
        fill_fours(renju_struc, 2, BLOCK_FIVE, [](int p1, int p7) { return p1 != 2 && p7 != 2; });
    }
    else if (gametype == 8)
        // A five closed by opponent stones at both ends does not win.
        fill_fours(renju_struc, 1, OWN_FIVE, [](int p1, int p7) { return !(p1 == 2 && p7 == 2); });
    else  // standard caro: both of the above
        fill_fours(renju_struc, 1, OWN_FIVE, [](int p1, int p7) {
            return (p1 == 0 || p1 == 2) && (p7 == 0 || p7 == 2) && !(p1 == 2 && p7 == 2);
        });
#ifndef NDEBUG
    // Five gap places times the allowed end pairs: 20 + 20, 40, or 15 entries.
    int filled = 0;
    for (int v : renju_struc)
        filled += v != 0;
    assert(filled == (gametype == 9 ? 15 : 40));
#endif

    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            for (int dir = 0; dir < 4; ++dir)
            {
                // The anti-diagonal runs towards the low second index; its window must fit.
                if (dir == 3 && y <= 6)
                    continue;
                // The start cell's penalty is paid once per direction processed.
                if (i < EARLY_LIMIT && on_edge(x, y))
                    jz[x][y] += EDGE_PENALTY;
                int p[7];
                for (int k = 0; k < 7; ++k)
                    p[k] = cell(x + k * dirx[dir], y + k * diry[dir]);
                const int v = renju_struc[seven_index(p)];
                if (v == 0)
                    continue;
                for (int k = 1; k <= 5; ++k)
                    credit(x + k * dirx[dir], y + k * diry[dir], v);
            }
}

}  // namespace

int SIMPLE_TABLE() {
    if (gametype == 1)
        freestyle_table();
    else if (gametype == 2 || gametype == 4 || gametype == 8 || gametype == 9)
        seven_cell_table();
    return 0;
}
