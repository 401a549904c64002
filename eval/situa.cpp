// Game-end test at a search node: a forbidden move under renju, then a five of the side that
// just moved on the four lines through its stone, within four cells of it.
#include "eval/situa.h"

#include "eval/score_table.h"
#include "rules/check_ban.h"

namespace {

constexpr int REACH = 4;  // cells scanned on each side of the new stone

// un at (x, y); cells off the board read as empty.
int cell(int x, int y, int n) { return (x >= 1 && x <= n && y >= 1 && y <= n) ? un[x][y] : 0; }

// Whether the five ending at (x, y) along (dx, dy) wins for `side` under `rule`, judged by the
// cell after it and the cell before it.
bool five_wins(int rule, int side, int x, int y, int dx, int dy, int n) {
    const int next  = cell(x + dx, y + dy, n);
    const int prev  = cell(x - 5 * dx, y - 5 * dy, n);
    const int other = 3 - side;
    switch (rule)
    {
    case 2: return next != side && prev != side;
    case 8: return !(next == other && prev == other);
    case 9: return next != side && prev != side && !(next == other && prev == other);
    default: return true;  // freestyle and renju: five or more
    }
}

// Copies un into the restricted side's layer, black's stones as 1.
void fill_ban_layer(int black, int n) {
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
        {
            const int v        = un[x][y];
            board_ban[0][x][y] = (black == 1 || v == 0) ? v : 3 - v;
        }
}

}  // namespace

int SITUA(int thr, int ex, int ey, int dep) {
    static_cast<void>(thr);
    const int rule = gametype;
    if (rule != 1 && rule != 2 && rule != 4 && rule != 8 && rule != 9)
        return 0;
    const int n    = BOARDSIZE;
    const int side = dep % 2 != 0 ? 1 : 2;  // the stone just placed
    const int hit  = side == 1 ? 1 : -1;

    // Step 1. Under renju a forbidden move by black loses at once; white is never restricted.
    if (rule == 4)
    {
        const int black = i % 2 != 0 ? 1 : 2;
        if (side == black)
        {
            fill_ban_layer(black, n);
            if (CHECK_BAN(ex, ey, 0, 1) == 1)
                return -hit;
        }
    }

    // Step 2. Runs of the mover's stones along the first index, the second index, the
    // diagonal and the anti-diagonal, the first winning five ends the game.
    constexpr int DX[4] = {1, 0, 1, 1};
    constexpr int DY[4] = {0, 1, 1, -1};
    for (int dir = 0; dir < 4; ++dir)
    {
        int run = 0;
        for (int k = -REACH; k <= REACH; ++k)
        {
            const int x = ex + k * DX[dir];
            const int y = ey + k * DY[dir];
            if (x < 1 || x > n || y < 1 || y > n)
                continue;
            run = un[x][y] == side ? run + 1 : 0;
            if (run >= 5 && five_wins(rule, side, x, y, DX[dir], DY[dir], n))
                return hit;
        }
    }
    return 0;
}
