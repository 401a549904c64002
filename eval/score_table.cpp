// The per-depth candidate widths and the leaf evaluation: the
// working window table strucP adjusted for parity and rule, summed over every window of un.
#include "eval/score_table.h"

#include <cstring>

#include "platform/address.h"

namespace {

// Fresh window indexes and scores for the kept position's codes.
void index_windows(const EvalThread& e, KeptSum& k) {
    std::memset(k.scores, 0, sizeof k.scores);
    std::memcpy(k.scores + SCORE_BASE, e.strucP, sizeof e.strucP);
    for (short(&line)[PAD_CELLS] : k.window)
        for (short& w : line)
            w = NO_WINDOW;
    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
        {
            const int s = padded(x, y);
            for (int dir = 0; dir < 4; ++dir)
            {
                const int st = LINE_STEP[dir];
                if (k.code[s + 4 * st] != OFF_BOARD_CODE)
                    k.window[dir][s] = static_cast<short>(SCORE_BASE + padded_idx6(k.code, s, st));
            }
        }
}

#if defined(__wasm__)
// cell_delta for WebAssembly's compiler, with the change of the cell's code, D, known when it
// is compiled: each window's two entries are then a constant apart. The sum runs from each
// direction's last window on, so that every step is a constant offset ahead of it, window by
// window, and each direction's sum is settled before the next one's reads. Offsets cannot be
// negative there: for a negative D the pair is read from the lower entry up.
template <int D>
int cell_delta_by(const KeptSum& k, int f) {
    int sum           = 0;
    const int* scores = opaque_base(k.scores);
#pragma GCC unroll 4
    for (int dir = 0; dir < 4; ++dir)
    {
        const int st     = LINE_STEP[dir];
        const short* win = opaque_base(&k.window[dir][f - 5 * st]);
#pragma GCC unroll 6
        for (int t = 0; t <= 5; ++t)
        {
            const int* s = scores + win[(5 - t) * st];
            if (D > 0)
                sum += s[D * CELL_WEIGHT[t]] - s[0];
            else
            {
                const int* low = s + D * CELL_WEIGHT[t];
                sum += low[0] - low[-D * CELL_WEIGHT[t]];
            }
            in_order(sum);
        }
        settle(sum);
    }
    return sum;
}
#endif

// Change of the kept sum when padded cell f of the kept position becomes `now`: each of the
// 24 windows through it swaps its score for the one with the new content.
int cell_delta(const KeptSum& k, int f, int now) {
    const int delta = now - k.code[f];
#if defined(__wasm__)
    switch (delta)
    {
    case 1: return cell_delta_by<1>(k, f);
    case 2: return cell_delta_by<2>(k, f);
    case -1: return cell_delta_by<-1>(k, f);
    case -2: return cell_delta_by<-2>(k, f);
    default: break;  // codes 0 to 2 change by one or two
    }
#endif
    int sum = 0;
#pragma GCC unroll 4
    for (int dir = 0; dir < 4; ++dir)
    {
        const int st = LINE_STEP[dir];
#pragma GCC unroll 6
        for (int t = 0; t <= 5; ++t)
        {
            const int idx = k.window[dir][f - t * st];
            sum += k.scores[idx + delta * CELL_WEIGHT[t]] - k.scores[idx];
        }
    }
    return sum;
}

// Moves the kept position by one cell: the sum, the windows through it (those on the board)
// and its code.
void commit_cell(KeptSum& k, int x, int y, int /*old*/, int now) {
    const int f     = padded(x, y);
    const int delta = now - k.code[f];
    k.sum += cell_delta(k, f, now);
#pragma GCC unroll 4
    for (int dir = 0; dir < 4; ++dir)
    {
        const int st = LINE_STEP[dir];
        short* win   = opaque_base(&k.window[dir][f - 5 * st]);
#pragma GCC unroll 6
        for (int t = 0; t <= 5; ++t)
        {
            short& idx   = win[(5 - t) * st];
            const int on = -static_cast<int>(idx < NO_WINDOW - 2 * 324);
            idx          = static_cast<short>(idx + ((delta * CELL_WEIGHT[t]) & on));
        }
    }
    k.code[f] = static_cast<char>(now);
}

constexpr int WIDTH_ROWS = 18;

// Candidates kept at each depth (column) for an iteration of a given depth (row). A 0 leaves
// the entry as an earlier iteration set it; entries 0..2 are set to the full width first.
// clang-format off
constexpr int WIDTH_TABLE[WIDTH_ROWS][WIDTH_ROWS] = {
    /*  0 */ {},
    /*  1 */ {},
    /*  2 */ {0, 10,  6},
    /*  3 */ {0,  0,  8,  6},
    /*  4 */ {0,  0, 10,  8,  6},
    /*  5 */ {0,  0, 12, 10,  8,  6},
    /*  6 */ {0,  0, 12, 10, 10, 10,  8},
    /*  7 */ {0,  0, 16, 14, 14, 12, 10,  8},
    /*  8 */ {0,  0, 18, 16, 14, 14, 12, 10,  8},
    /*  9 */ {0,  0, 18, 16, 16, 14, 14, 12, 10,  8},
    /* 10 */ {0,  0, 20, 18, 16, 16, 14, 14, 12, 10,  8},
    /* 11 */ {0,  0, 20, 18, 18, 16, 16, 14, 14, 12, 10,  8},
    /* 12 */ {0,  0, 22, 20, 18, 18, 16, 16, 14, 14, 12, 10,  8},
    /* 13 */ {0,  0, 22, 20, 20, 18, 18, 16, 16, 14, 14, 12, 10,  8},
    /* 14 */ {0,  0, 24, 22, 20, 20, 18, 18, 16, 16, 14, 14, 12, 10,  8},
    /* 15 */ {0,  0, 24, 22, 22, 20, 20, 18, 18, 16, 16, 14, 14, 12, 10,  8},
    /* 16 */ {0,  0, 26, 24, 22, 22, 20, 20, 18, 18, 16, 16, 14, 14, 12, 10,  8},
    /* 17 */ {0,  0, 26, 24, 24, 22, 22, 20, 20, 18, 18, 16, 16, 14, 14, 12, 10,  8},
};
// clang-format on

// Values of the side to move at the leaves: large ones become near-decisive, the rest grow by a
// fifth (integer arithmetic truncates toward zero, as the scaled scores must).
int emphasise(int v, int a_depth) {
    if (a_depth % 2 != 0)
    {
        if (v < -140)
            return -16666;
        if (v < -2)
            return v * 6 / 5;
    }
    else
    {
        if (v > 140)
            return 16666;
        if (v > 2)
            return v * 6 / 5;
    }
    return v;
}

}  // namespace

void GENERATE_WIDTH(EvalThread& e, int layer) {
    int* const Nbranch = e.Nbranch;
    Nbranch[0] = Nbranch[1] = Nbranch[2] = F_WID;
    if (layer < 0 || layer >= WIDTH_ROWS)
        return;
    for (int k = 0; k < WIDTH_ROWS; ++k)
        if (WIDTH_TABLE[layer][k] != 0)
            Nbranch[k] = WIDTH_TABLE[layer][k];
}

void GENERATE_SCORE_TABLE(EvalThread& e, int a_depth) {
    e.kept_sum.size   = 0;  // every window may score differently now
    int* const strucP = e.strucP;
    std::memset(strucP, 0, sizeof e.strucP);
    const int rule = gametype;
    // The side whose stones at both window ends make the window worthless under renju: black.
    const int black = i % 2 != 0 ? 1 : 2;
    for (int idx = 0; idx < SIX_NB; ++idx)
    {
        const int w1 = idx / 324;
        const int w6 = idx % 4;
        int v        = emphasise(strucT[idx], a_depth);
        // Exactly five: the same side at both ends means any five here would be an overline.
        if ((rule == 2 || rule == 9) && w1 == w6 && (w1 == 1 || w1 == 2))
            v = 0;
        // Caro: a pattern touched by an opponent stone at either end is worthless.
        if (rule == 8 || rule == 9)
        {
            if (v > 0 && (w1 == 2 || w6 == 2))
                v = 0;
            if (v < 0 && (w1 == 1 || w6 == 1))
                v = 0;
        }
        // Renju: black's own stones at both ends would turn its five into an overline.
        if (rule == 4 && w1 == black && w6 == black)
            v = 0;
        strucP[idx] = v;
    }
}

int SCORE_TABLE(const EvalThread& e) {
    const auto& un    = e.un;
    const int* strucP = e.strucP;
    const int n       = BOARDSIZE;
    const int last    = n - 4;  // last start cell of a window along a line
    int sum           = 0;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
        {
            const int w1 = un[x][y];
            if (y <= last)  // (0, +1)
            {
                const int w6 = y == last ? OFF_BOARD : un[x][y + 5];
                sum += strucP[idx6(w1, un[x][y + 1], un[x][y + 2], un[x][y + 3], un[x][y + 4], w6)];
            }
            if (x > last)
                continue;
            {  // (+1, 0)
                const int w6 = x == last ? OFF_BOARD : un[x + 5][y];
                sum += strucP[idx6(w1, un[x + 1][y], un[x + 2][y], un[x + 3][y], un[x + 4][y], w6)];
            }
            if (y <= last)  // (+1, +1)
            {
                const int w6 = (x == last || y == last) ? OFF_BOARD : un[x + 5][y + 5];
                sum += strucP[idx6(w1, un[x + 1][y + 1], un[x + 2][y + 2], un[x + 3][y + 3],
                                   un[x + 4][y + 4], w6)];
            }
            if (y >= 5)  // (+1, -1)
            {
                const int w6 = (x == last || y == 5) ? OFF_BOARD : un[x + 5][y - 5];
                sum += strucP[idx6(w1, un[x + 1][y - 1], un[x + 2][y - 2], un[x + 3][y - 3],
                                   un[x + 4][y - 4], w6)];
            }
        }
    return sum;
}

int leaf_score(EvalThread& e) {
    KeptSum& k = e.kept_sum;
    if (k.size != BOARDSIZE)
    {
        k.size = BOARDSIZE;
        std::memcpy(k.seen, e.un, sizeof e.un);
        k.mark = log_now(e);
        fill_padded_codes(e, k.code);
        index_windows(e, k);
        k.sum = SCORE_TABLE(e);
        return k.sum;
    }
    // The cells changed since the kept position. At a leaf these are usually the previous
    // sibling taken back and the stone just placed: the kept position moves by the others, and
    // the new stone is only added to the returned sum, so the next sibling is again one stone
    // away from the kept position.
    const LeftOutStone left =
        sync_kept_position(e, k.seen, k.mark, [&k](int x, int y, int old, int cur) {
            commit_cell(k, x, y, old, cur);
        });
    if (left.x != 0)
        return k.sum + cell_delta(k, padded(left.x, left.y), left.code);
    return k.sum;
}
