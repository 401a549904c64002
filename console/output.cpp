// Draws the console game's screen: the board with its cursor, last move, hints and renju
// forbidden marks, then the players, the last move, the engine's best line and statistics.
#include "console/output.h"

#include <cstdio>

#include "game/Main.h"
#include "platform/platform.h"
#include "search/thread.h"

namespace {

constexpr int HINT_RANKS = 60;  // ranked candidates beyond this are never marked

// Every cell is two characters, glyph and blank, on the white board; each ends with a reset.
const char* const CURSOR_CELL[3]    = {"\x1b[43;37;1m.\x1b[37;47m \x1b[0m",
                                       "\x1b[43;31mo\x1b[37;47m \x1b[0m",
                                       "\x1b[43;34mx\x1b[37;47m \x1b[0m"};
const char* const LAST_MOVE_CELL[3] = {"\x1b[45;37;1m.\x1b[37m \x1b[0m",
                                       "\x1b[47;31;7mo\x1b[37m \x1b[0m",
                                       "\x1b[47;34;7mx\x1b[37m \x1b[0m"};
const char* const PLAIN_CELL[3] = {"\x1b[47;37;1m.\x1b[37m \x1b[0m", "\x1b[47;31mo\x1b[37m \x1b[0m",
                                   "\x1b[47;34mx\x1b[37m \x1b[0m"};
const char* const FORBIDDEN_CELL = "\x1b[47;30m!\x1b[37m \x1b[0m";
const char* const FAR_HINT_CELL  = "\x1b[42;37;7m.\x1b[37m \x1b[0m";

void print_column_labels() {
    std::printf("     \x1b[45;36;7m");
    for (int x = 1; x <= BOARDSIZE; ++x)
        std::printf("%2d", x);
    std::printf(" \x1b[0m\n");
}

// Rank 1..60 of (x, y) in the engine's candidate list, 0 when unranked. Entry 0 is the
// engine's own choice and gets no mark.
int hint_rank(int x, int y) {
    for (int k = 1; k <= HINT_RANKS; ++k)
        if (bestx[k] == x && besty[k] == y)
            return k;
    return 0;
}

// The first rule that applies wins: cursor, last move, hint marks, plain.
void print_cell(int x, int y) {
    const int stone = qp[x][y];
    if (x == posx && y == posy)
    {
        std::printf("%s", CURSOR_CELL[stone]);
        return;
    }
    if (x == stonex[i - 1] && y == stoney[i - 1])
    {
        std::printf("%s", LAST_MOVE_CELL[stone]);
        return;
    }
    // Marks go on empty points only: the candidate list is the one of the engine's last
    // decision, and a stone played since on a ranked point must stay visible.
    if (playmode == 1 && stone == 0)
    {
        if (gametype == 4 && forbidden[x][y] == 1)
        {
            std::printf("%s", FORBIDDEN_CELL);
            return;
        }
        const int rank = hint_rank(x, y);
        if (rank > 5)
        {
            std::printf("%s", FAR_HINT_CELL);
            return;
        }
        if (rank > 0)
        {
            std::printf("\x1b[42;37;7m%d\x1b[37m \x1b[0m", rank);
            return;
        }
    }
    std::printf("%s", PLAIN_CELL[stone]);
}

}  // namespace

void OUTPUT() {
    clear_screen();
    print_column_labels();
    // The highest row is the top line of the screen.
    for (int y = BOARDSIZE; y >= 1; --y)
    {
        std::printf("   \x1b[45;36;7m%2d\x1b[37;47m \x1b[0m", y);
        for (int x = 1; x <= BOARDSIZE; ++x)
            print_cell(x, y);
        std::printf("\x1b[45;36;7m%2d\x1b[0m\n", y);
    }
    print_column_labels();

    std::printf("      BLUE:");
    std::printf(" PLAYER    ");
    std::printf(" RED:");
    std::printf(" PLAYER    ");
    std::printf("\n");

    // An odd i means the last move was RED's (even slot); at the start it reads RED (0,0) 0.
    if (i % 2 == 1)
        std::printf("     \x1b[7m RED ( %d ,%d ) %d step\x1b[0m\n      BLUE's turn\n",
                    stonex[i - 1], stoney[i - 1], i - 1);
    else
        std::printf("     \x1b[7m BLUE ( %d ,%d ) %d step\x1b[0m\n      RED's turn\n",
                    stonex[i - 1], stoney[i - 1], i - 1);

    std::printf("\n Bestline:");
    for (int k = 0; k <= 14; ++k)
        if (bestx[k] != 0)
            std::printf("(%d,%d=%d) ", bestx[k], besty[k], jz[bestx[k]][besty[k]]);

    const SearchThread& t = main_thread;  // the move decision's searches
    std::printf("\n search node: %d (%d mate)", t.node, t.mate_node);
    std::printf("\n quickkill node: %d (%d mate)", t.node1, t.mate_node1);
    std::printf("\n quickdefend node: %d (%d mate)", t.node2, t.mate_node2);

    if (situation >= 1.0)
        std::printf("\n   Situation: Computer will win");
    else if (situation <= -1.0)
        std::printf("\n   Situation: Computer will lose");
    else
        std::printf("\n   Situation: Unknown");
    std::printf("\n");

    std::printf("\nMESSAGE Depth %d (%d-%d-%d)  Eval %d  Node %d (%d+%d+%d)\n", t.break_depth,
                t.break_depth, t.break_depth1, t.break_depth2, jz[bestx[0]][besty[0]],
                t.node + t.node1 + t.node2, t.node, t.node1, t.node2);
    std::fflush(stdout);
}
