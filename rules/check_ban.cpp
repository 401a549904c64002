// Renju forbidden moves: overline, double four and double three of the restricted side, with
// each three proved real by testing its four-point one layer deeper.
#include "rules/check_ban.h"

#include "game/Main.h"

int board_ban[10][JZ_SIDE][JZ_SIDE];
int dir_banx[5] = {0, 1, 0, 1, 1};
int dir_bany[5] = {0, 0, 1, 1, -1};

namespace {

constexpr int EMPTY = 0, OWN = 1, OFF_BOARD = 3;
constexpr int MAX_BAN_DEPTH = 4;  // a three whose four-point would be tested deeper counts as real
constexpr int REACH         = 6;  // cells read on each side of the tested point
constexpr int LINE          = 2 * REACH + 1;

bool on_board(int x, int y, int n) { return x >= 1 && x <= n && y >= 1 && y <= n; }

// Split four in c1..c7 (w[1]..w[7]): c2..c6 one of 1 1 1 0 1, 1 1 0 1 1, 1 0 1 1 1, not
// extended by an own stone at c1 or c7.
bool split_four(const int* w) {
    if (w[1] == OWN || w[7] == OWN)
        return false;
    const bool a = w[2] == OWN, b = w[3] == OWN, m = w[4] == OWN, e = w[5] == OWN, f = w[6] == OWN;
    if (!a || !f)
        return false;
    return (b && m && w[5] == EMPTY) || (b && w[4] == EMPTY && e) || (w[3] == EMPTY && m && e);
}

// Four of c3..c6 with an empty completion cell on at least one side that does not touch a
// further own stone. Counted once even when both sides qualify.
bool straight_four(const int* w) {
    if (w[3] != OWN || w[4] != OWN || w[5] != OWN || w[6] != OWN)
        return false;
    return (w[2] == EMPTY && w[1] != OWN) || (w[7] == EMPTY && w[8] != OWN);
}

// Three in c3..c6 inside an empty frame (c2, c7 empty; c1, c8 not own): returns the index of
// its four-point in w, or 0 when the window holds no three.
int three_four_point(const int* w) {
    if (w[1] == OWN || w[2] != EMPTY || w[7] != EMPTY || w[8] == OWN)
        return 0;
    int own = 0, gap = 0;
    for (int m = 3; m <= 6; ++m)
    {
        if (w[m] == OWN)
            ++own;
        else if (w[m] == EMPTY)
            gap = m;
    }
    return own == 3 && gap != 0 ? gap : 0;
}

// The stones the enclosing checks have placed on their layers, innermost last: the layer of a
// check is its base board with these stones on it, so no layer needs copying.
struct Placed {
    int x[MAX_BAN_DEPTH + 1], y[MAX_BAN_DEPTH + 1];
    int count = 0;
};

// The check at `depth` of a code-1 stone at (ex, ey) on the base board read by `base` (a board
// cell's code, restricted side 1) with the stones of `placed` added.
template <class Base>
int check(const Base& base, int ex, int ey, int depth, Placed& placed) {
    const int n = BOARDSIZE;
    if (depth > MAX_BAN_DEPTH || depth < 1 || !on_board(ex, ey, n))
        return 0;

    // Step 1. The 13 cells of each direction around the point; off-board cells read as 3.
    int stone_line[5][LINE];
    int len_3_lock[5] = {0, 0, 0, 0, 0};
    int len_3_total = 0, len_4_total = 0;
    bool len_6 = false;
    for (int a = 1; a <= 4; ++a)
    {
        for (int k = -REACH; k <= REACH; ++k)
        {
            const int x = ex + k * dir_banx[a];
            const int y = ey + k * dir_bany[a];
            int v       = OFF_BOARD;
            if (on_board(x, y, n))
            {
                v = base(x, y);
                for (int p = 0; p < placed.count; ++p)
                    if (placed.x[p] == x && placed.y[p] == y)
                        v = OWN;
            }
            stone_line[a][k + REACH] = v;
        }
        stone_line[a][REACH] = OWN;
    }

    // Step 2. An exact five anywhere makes the move legal at once; a longer run is an overline.
    for (int a = 1; a <= 4; ++a)
    {
        const int* L = stone_line[a];
        for (int s = 2; s <= 6; ++s)
        {
            if (L[s] != OWN || L[s + 1] != OWN || L[s + 2] != OWN || L[s + 3] != OWN ||
                L[s + 4] != OWN)
                continue;
            if (L[s - 1] != OWN && L[s + 5] != OWN)
                return 0;
            len_6 = true;
        }
    }
    if (len_6)
        return 1;

    // Step 3. Fours and real threes, window by window; stop as soon as a double is certain. The
    // four-points are tested with this stone placed.
    placed.x[placed.count] = ex;
    placed.y[placed.count] = ey;
    ++placed.count;
    int result = 0;
    for (int a = 1; a <= 4 && result == 0; ++a)
        for (int j = 0; j <= 4; ++j)
        {
            const int* w = stone_line[a] + j;  // w[1]..w[8] are this window's c1..c8
            if (split_four(w))
                ++len_4_total;
            if (straight_four(w))
                ++len_4_total;
            if (len_3_lock[a] == 0)
            {
                const int gap = three_four_point(w);
                if (gap != 0)
                {
                    // A three is real only if the stone that makes it a straight four is legal.
                    const int k = j + gap - REACH;
                    if (check(base, ex + k * dir_banx[a], ey + k * dir_bany[a], depth + 1,
                              placed) == 0)
                    {
                        len_3_lock[a] = 1;
                        ++len_3_total;
                    }
                }
            }
            if (len_3_total > 1 || len_4_total > 1)
            {
                result = 1;
                break;
            }
        }
    --placed.count;

    // Step 4.
    return (result == 1 || len_3_total > 1 || len_4_total > 1) ? 1 : 0;
}

// Whether a stone of `black` at (ex, ey) on `un` can be forbidden at all. Every forbidden shape
// needs own stones on the lines through the point: an overline or any four at least three
// within four cells of it on one line, a double three two within three cells on each of two
// lines. Most moves of a search have neither and are legal without the full check.
bool may_be_forbidden(const char (&un)[JZ_SIDE][JZ_SIDE], int ex, int ey, int black) {
    constexpr int NEAR = 4;
    const int n        = BOARDSIZE;
    if (!on_board(ex, ey, n))
        return false;
    const auto room = [](int cells) { return cells < NEAR ? cells : NEAR; };
    const int lo_x = room(ex - 1), hi_x = room(n - ex), lo_y = room(ey - 1), hi_y = room(n - ey);
    // Cells on the board behind and ahead of the point along dir_banx/dir_bany 1..4.
    const int back[4]  = {lo_x, lo_y, lo_x < lo_y ? lo_x : lo_y, lo_x < hi_y ? lo_x : hi_y};
    const int fwd[4]   = {hi_x, hi_y, hi_x < hi_y ? hi_x : hi_y, hi_x < lo_y ? hi_x : lo_y};
    const char* at     = &un[ex][ey];
    const char own     = static_cast<char>(black);
    int lines_with_two = 0;
    for (int a = 0; a < 4; ++a)
    {
        const int step = dir_banx[a + 1] * JZ_SIDE + dir_bany[a + 1];
        int within3 = 0, within4 = 0;  // own stones at most three and four cells away
        for (int k = 1; k <= back[a]; ++k)
        {
            const int hit = at[-k * step] == own;
            within4 += hit;
            within3 += k < NEAR ? hit : 0;
        }
        for (int k = 1; k <= fwd[a]; ++k)
        {
            const int hit = at[k * step] == own;
            within4 += hit;
            within3 += k < NEAR ? hit : 0;
        }
        if (within4 >= 3)
            return true;
        lines_with_two += within3 >= 2;
    }
    return lines_with_two >= 2;
}

}  // namespace

int CHECK_BAN(int ex, int ey, int /*thr*/, int depth) {
    // Beyond the recursion limit every three counts as real. A point off the board (or a depth
    // below 1, which has no layer to read) is never a forbidden move.
    if (depth > MAX_BAN_DEPTH || depth < 1)
        return 0;
    const auto& layer = board_ban[depth - 1];
    Placed placed;
    return check([&layer](int x, int y) { return layer[x][y]; }, ex, ey, depth, placed);
}

int check_ban_on_un(const char (&un)[JZ_SIDE][JZ_SIDE], int ex, int ey, int black) {
    if (!may_be_forbidden(un, ex, ey, black))
        return 0;
    Placed placed;
    if (black == 1)
        return check([&un](int x, int y) { return static_cast<int>(un[x][y]); }, ex, ey, 1, placed);
    return check(
        [&un](int x, int y) {
            const int v = un[x][y];
            return v == 0 ? 0 : 3 - v;
        },
        ex, ey, 1, placed);
}

// The forbidden-move test wants the restricted side as 1, so the board is copied with its
// colours swapped.
void mark_forbidden_points() {
    const int n = BOARDSIZE;
    for (int x = 0; x < JZ_SIDE; ++x)
        for (int y = 0; y < JZ_SIDE; ++y)
            forbidden[x][y] = 0;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            board_ban[0][x][y] = qp[x][y] == 0 ? 0 : 3 - qp[x][y];
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            if (qp[x][y] == 0)
                forbidden[x][y] = CHECK_BAN(x, y, 0, 1);
}
