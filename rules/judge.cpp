// Judging a console game: a winning five under the rule in force, or black's forbidden move
// under renju.
#include "rules/judge.h"

#include "game/Main.h"
#include "rules/check_ban.h"

namespace {

// Directions in the order they are tested: (1, 0), (1, -1), (1, 1), (0, 1).
constexpr int JDX[4] = {1, 1, 1, 0};
constexpr int JDY[4] = {0, -1, 1, 1};

// qp at (x, y); points off the playing area never hold a stone.
int stone(int x, int y, int n) { return (x >= 1 && x <= n && y >= 1 && y <= n) ? qp[x][y] : 0; }

// Whether `colour` wins with the five centred on (x, y) along direction dir under `rule`.
bool wins_at(int rule, int colour, int x, int y, int dir, int n) {
    const int dx = JDX[dir], dy = JDY[dir];
    for (int k = -2; k <= 2; ++k)
        if (stone(x + k * dx, y + k * dy, n) != colour)
            return false;
    const int end1      = stone(x - 3 * dx, y - 3 * dy, n);
    const int end2      = stone(x + 3 * dx, y + 3 * dy, n);
    const int other     = 3 - colour;
    const bool no_own   = end1 != colour && end2 != colour;
    const bool not_shut = !(end1 == other && end2 == other);
    switch (rule)
    {
    case 1: return true;
    case 2: return no_own;
    case 4: return colour == 1 || no_own;  // only black (colour 2) must make exactly five
    case 8: return not_shut;
    case 9: return no_own && not_shut;
    default: return false;
    }
}

}  // namespace

int JUDGE() {
    const int n    = BOARDSIZE;
    const int rule = gametype;
    // Step 1. Scan the centres, colour 1 before colour 2 at each.
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            for (int colour = 1; colour <= 2; ++colour)
                for (int dir = 0; dir < 4; ++dir)
                    if (wins_at(rule, colour, x, y, dir, n))
                        return colour;

    // Step 2. Under renju, black's last move may have been forbidden: white wins.
    if (rule != 4 || i % 2 == 0 || i < 1 || i >= MOVE_SLOTS)
        return 0;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            board_ban[0][x][y] = qp[x][y] == 0 ? 0 : 3 - qp[x][y];
    return CHECK_BAN(stonex[i], stoney[i], 0, 1) == 1 ? 1 : 0;
}
