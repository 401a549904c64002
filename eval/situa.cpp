// Game-end test at a search node: a forbidden move under renju, then a five of the side that
// just moved on the four lines through its stone, within four cells of it.
#include "eval/situa.h"

#include "eval/kept_position.h"
#include "game/Main.h"
#include "rules/check_ban.h"

namespace {

constexpr int REACH = 4;  // cells scanned on each side of the new stone

// un at (x, y); cells off the board read as empty.
int cell(const SearchBoard& b, int x, int y, int n) {
    return (x >= 1 && x <= n && y >= 1 && y <= n) ? b.un[x][y] : 0;
}

// Whether the five ending at (x, y) along (dx, dy) wins for `side` under `rule`, judged by the
// cell after it and the cell before it.
bool five_wins(const SearchBoard& b, int rule, int side, int x, int y, int dx, int dy, int n) {
    const int next  = cell(b, x + dx, y + dy, n);
    const int prev  = cell(b, x - 5 * dx, y - 5 * dy, n);
    const int other = 3 - side;
    switch (rule)
    {
    case 2: return next != side && prev != side;
    case 8: return !(next == other && prev == other);
    case 9: return next != side && prev != side && !(next == other && prev == other);
    default: return true;  // freestyle and renju: five or more
    }
}

// What the eight cells around a point on one line (four on each side, the point itself black's)
// allow of a forbidden shape, for every content: each cell empty, black's, or blocking (white's
// or off the board), indexed in base 3 from the farthest cell behind to the farthest ahead.
// FOUR_ROOM: five cells in a row through the point without a blocker hold four of black's; any
// four and any overline need that. THREE_ROOM: four cells in a row through the point without a
// blocker hold three of black's, and the cells just beyond them are empty; any three needs that.
constexpr int LINE_STATES         = 6561;  // 3^8
constexpr unsigned char FOUR_ROOM = 1, THREE_ROOM = 2;
enum CellState { EMPTY_CELL = 0, BLACK_CELL = 1, BLOCKING_CELL = 2 };
struct BanRoom {
    unsigned char flags[LINE_STATES];
    BanRoom() {
        for (int idx = 0; idx < LINE_STATES; ++idx)
        {
            int line[9];  // positions -4..4
            int rest = idx;
            for (int k = 0; k < 9; ++k)
            {
                if (k == 4)
                {
                    line[k] = BLACK_CELL;
                    continue;
                }
                line[k] = rest % 3;
                rest /= 3;
            }
            const auto count = [&line](int from, int len, int state) {
                int c = 0;
                for (int k = from; k < from + len; ++k)
                    c += line[k] == state;
                return c;
            };
            unsigned char f = 0;
            for (int s = 0; s <= 4; ++s)  // five cells s..s+4 hold the point
                if (count(s, 5, BLOCKING_CELL) == 0 && count(s, 5, BLACK_CELL) >= 4)
                    f |= FOUR_ROOM;
            for (int s = 1; s <= 4; ++s)  // four cells s..s+3 hold the point, s-1 and s+4 exist
                if (s + 4 <= 8 && count(s, 4, BLOCKING_CELL) == 0 && count(s, 4, BLACK_CELL) >= 3 &&
                    line[s - 1] == EMPTY_CELL && line[s + 4] == EMPTY_CELL)
                    f |= THREE_ROOM;
            flags[idx] = f;
        }
    }
};
const BanRoom ban_room;

// Whether black's stone at (ex, ey) can be forbidden, read on the search's padded board: only
// when a line has room for a four (or an overline), or two lines room for a three.
bool ban_possible(const SearchBoard& b, int ex, int ey, int black) {
    // Board code to cell state, for black = 1 and black = 2.
    static constexpr int STATE[2][4] = {{EMPTY_CELL, BLACK_CELL, BLOCKING_CELL, BLOCKING_CELL},
                                        {EMPTY_CELL, BLOCKING_CELL, BLACK_CELL, BLOCKING_CELL}};
    const int* state                 = STATE[black - 1];
    const char* pad                  = b.un_log.board + padded(ex, ey);
    int threes = 0, fours = 0;
#pragma GCC unroll 4
    for (int dir = 0; dir < 4; ++dir)
    {
        const int st = LINE_STEP[dir];
        int idx      = 0;
#pragma GCC unroll 8
        for (int k = 4; k >= 1; --k)  // the farthest ahead is the highest digit
            idx = idx * 3 + state[static_cast<int>(pad[k * st])];
#pragma GCC unroll 4
        for (int k = 1; k <= 4; ++k)
            idx = idx * 3 + state[static_cast<int>(pad[-k * st])];
        const unsigned char f = ban_room.flags[idx];
        fours += f & FOUR_ROOM;
        threes += (f & THREE_ROOM) >> 1;
    }
    return fours > 0 || threes > 1;
}

// FIVE_THROUGH[w]: 1 when the nine bits of w (cells -4..4 of a line, the middle one the new
// stone) hold a run of five or more through the middle.
struct FiveThrough {
    unsigned char hit[512];
    FiveThrough() {
        for (int w = 0; w < 512; ++w)
        {
            int run = 1;
            for (int k = 3; k >= 0 && (w >> k & 1) != 0; --k)
                ++run;
            for (int k = 5; k <= 8 && (w >> k & 1) != 0; ++k)
                ++run;
            hit[w] = run >= 5 ? 1 : 0;
        }
    }
};
const FiveThrough five_through;

// While a search runs: one bit per direction (as LINE_STEP) in which the runs of `side`'s
// stones on both sides of (ex, ey) reach four together, read off the search's stone bits.
// The exact five test only needs those lines.
int five_lines(const SearchBoard& b, int ex, int ey, int side) {
    const int px = ex + PAD_MARGIN, py = ey + PAD_MARGIN;
    int lines = 0;
#pragma GCC unroll 4
    for (int dir = 0; dir < 4; ++dir)
    {
        const uint64_t word = b.un_log.lines[side][dir][stone_line(px, py, dir)];
        const int around    = static_cast<int>(word >> (stone_bit(px, py, dir) - 4) & 511);
        lines |= five_through.hit[around] << dir;
    }
    return lines;
}

}  // namespace

int SITUA(const SearchBoard& b, int thr, int ex, int ey, int dep) {
    static_cast<void>(thr);
    const int rule = gametype;
    if (rule != 1 && rule != 2 && rule != 4 && rule != 8 && rule != 9)
        return 0;
    const int n    = BOARDSIZE;
    const int side = dep % 2 != 0 ? 1 : 2;  // the stone just placed
    const int hit  = side == 1 ? 1 : -1;

    // While a search runs, its padded board says first which lines can hold a five; under
    // renju the forbidden-move test comes first, so there this waits for it.
    int may_hold      = 0xf;
    const bool logged = b.un_log.on;
    if (logged && rule != 4)
    {
        may_hold = five_lines(b, ex, ey, side);
        if (may_hold == 0)
            return 0;
    }

    // Step 1. Under renju a forbidden move by black loses at once; white is never restricted.
    // The check reads `un` in place, black's stones as 1.
    if (rule == 4)
    {
        const int black = i % 2 != 0 ? 1 : 2;
        if (side == black && (!logged || ban_possible(b, ex, ey, black)) &&
            check_ban_on_un(b.un, ex, ey, black) == 1)
            return -hit;
    }

    // Step 2. Runs of the mover's stones along the first index, the second index, the diagonal
    // and the anti-diagonal. Any run of five within four cells of the new stone holds it, so
    // only the run through it is counted: `back` stones before it and `fwd` after it, at most
    // four each and on the board. The fives of that run end at -back + 4 .. fwd; the first
    // that wins under the rule ends the game. The board limits of each direction are worked
    // out once, so the run counts read `un` without testing every cell.
    if (cell(b, ex, ey, n) != side)  // no run of five fits beside the point
        return 0;
    if (logged && rule == 4)
    {
        may_hold = five_lines(b, ex, ey, side);
        if (may_hold == 0)
            return 0;
    }
    const char* at = &b.un[ex][ey];
    const int lo_x = ex - 1 < REACH ? ex - 1 : REACH, hi_x = n - ex < REACH ? n - ex : REACH;
    const int lo_y = ey - 1 < REACH ? ey - 1 : REACH, hi_y = n - ey < REACH ? n - ey : REACH;
    constexpr int DX[4] = {1, 0, 1, 1};
    constexpr int DY[4] = {0, 1, 1, -1};
    // Cells on the board behind and ahead of the new stone, per direction, at most REACH.
    const int room_back[4] = {lo_x, lo_y, lo_x < lo_y ? lo_x : lo_y, lo_x < hi_y ? lo_x : hi_y};
    const int room_fwd[4]  = {hi_x, hi_y, hi_x < hi_y ? hi_x : hi_y, hi_x < lo_y ? hi_x : lo_y};
    const char own         = static_cast<char>(side);
    for (int dir = 0; dir < 4; ++dir)
    {
        if (room_back[dir] + room_fwd[dir] < REACH)  // the line holds no five through the stone
            continue;
        if ((may_hold >> dir & 1) == 0)
            continue;
        const int step = DX[dir] * JZ_SIDE + DY[dir];
        int back = 0, fwd = 0;
        while (back < room_back[dir] && at[-(back + 1) * step] == own)
            ++back;
        while (fwd < room_fwd[dir] && at[(fwd + 1) * step] == own)
            ++fwd;
        const int dx = DX[dir], dy = DY[dir];
        for (int k = REACH - back; k <= fwd; ++k)
            if (five_wins(b, rule, side, ex + k * dx, ey + k * dy, dx, dy, n))
                return hit;
    }
    return 0;
}
