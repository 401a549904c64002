// The kept window credits of the generators' three pairs, moved cell by cell with the search.
#include "search/credits.h"

#include <cstring>
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "platform/address.h"
#include "search/gather.h"
#include "search/movegen.h"
#include "search/thread.h"

namespace {

// ---- Credit boards (SearchThread::credit_boards) ----

// Move-ordering tables: an EVA credits its edge to both end cells.
void eva_credits(WindowCredit* out, const EVA* table) {
    for (int idx = 0; idx < SIX_NB; ++idx)
        out[idx] = WindowCredit{table[idx].edge, table[idx].center, table[idx].edge};
}

// Threat tables, attacker's form: five to c1, five + six to c2..c5, nothing to c6. A window's
// five-cell index is its six-cell index without the last cell: idx6 / 4.
void attack_credits(WindowCredit* out, const int* five, const int* six) {
    for (int idx = 0; idx < SIX_NB; ++idx)
    {
        if (idx >= THREAT_SIX_NB)  // w1 off the board: never a window
        {
            out[idx] = WindowCredit{0, 0, 0};
            continue;
        }
        const int f = five[idx / 4], x = six[idx];
        out[idx] = WindowCredit{f, f + x, 0};
    }
}

// Threat tables, defender's form: five + six to c1, five + six + second six to c2..c5, six to c6.
void answer_credits(WindowCredit* out, const int* five, const int* six, const int* six2) {
    for (int idx = 0; idx < SIX_NB; ++idx)
    {
        if (idx >= THREAT_SIX_NB)
        {
            out[idx] = WindowCredit{0, 0, 0};
            continue;
        }
        const int f = five[idx / 4], x = six[idx], x2 = six2[idx];
        out[idx] = WindowCredit{f + x, f + x + x2, x};
    }
}

void build_tables(int pair, CreditBoard& b) {
    b.table[0][SIX_NB] = b.table[1][SIX_NB] = WindowCredit{0, 0, 0};
    switch (pair)
    {
    case PAIR_ALPHA_BETA:
        eva_credits(b.table[0], strucB);
        eva_credits(b.table[1], strucW);
        b.proximity = true;
        break;
    case PAIR_ATTACK:
        attack_credits(b.table[0], strucKFive, strucKSix);
        answer_credits(b.table[1], strucKxFive, strucKxSix, strucKySix);
        b.proximity = false;
        break;
    default:
        attack_credits(b.table[0], strucDxFive, strucDxSix);
        answer_credits(b.table[1], strucDFive, strucDSix, strucDySix);
        b.proximity = false;
        break;
    }
}

// Adds the credits of the window starting at s along st with index idx.
inline void add_window(CreditBoard& b, int s, int st, int idx) {
    for (int g = 0; g < 2; ++g)
    {
        const WindowCredit& w = b.table[g][idx];
        int* cr               = b.credit[g];
        cr[s] += w.first;
        for (int k = 1; k <= 4; ++k)
            cr[s + k * st] += w.middle;
        cr[s + 5 * st] += w.last;
    }
}

// Proximity credit of a stone well inside the board: 2 on the eight neighbours, 1 two steps out.
constexpr int DIR_X[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int DIR_Y[8] = {0, 1, 1, 1, 0, -1, -1, -1};
inline bool gives_proximity(int x, int y, int n) {
    return x >= 5 && x <= n - 4 && y >= 5 && y <= n - 4;
}

// A score board written by the credit updates: cell (x, y) at base[origin + x * row + y]. The
// credit boards are padded (row PAD_STRIDE), jiazhi is not (row JZ_SIDE).
struct Target {
    int* base[2];  // per generator of the pair
    int row, origin;
};
inline Target credit_target(CreditBoard& b) {
    return Target{{b.credit[0], b.credit[1]}, PAD_STRIDE, padded(0, 0)};
}

inline void add_proximity(const Target& to, int g, int x, int y, int sign) {
    int* base = to.base[g] + to.origin + x * to.row + y;
#pragma GCC unroll 8
    for (int dir = 0; dir < 8; ++dir)
    {
        const int step = DIR_X[dir] * to.row + DIR_Y[dir];
        base[step] += 2 * sign;
        base[2 * step] += sign;
    }
}

// The plain window scan over the whole board, into a fresh board.
void rescan(const SearchBoard& board, int pair, CreditBoard& b) {
    const int n    = BOARDSIZE;
    const auto& un = board.un;
    b.size         = n;
    build_tables(pair, b);
    std::memcpy(b.seen, un, sizeof un);
    b.mark = log_now(board);
    fill_padded_codes(board, b.code);
    std::memset(b.credit, 0, sizeof b.credit);
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
        {
            const int s = padded(x, y);
            for (int dir = 0; dir < 4; ++dir)
            {
                const int st = LINE_STEP[dir];
                if (b.code[s + 4 * st] != OFF_BOARD)
                    add_window(b, s, st, padded_idx6(b.code, s, st));
            }
            if (un[x][y] != 0)
            {
                b.credit[0][s] += b.occupied[0];
                b.credit[1][s] += b.occupied[1];
                if (b.proximity && gives_proximity(x, y, n))
                {
                    add_proximity(credit_target(b), 0, x, y, 1);
                    add_proximity(credit_target(b), 1, x, y, 1);
                }
            }
        }
}

// The windows' part of cell_changes, direction by direction. INSIDE: the eleven cells of every
// line through the cell lie inside the score boards (always, on a padded board), and each
// window adds to its cells at constant offsets from the line's first cell, even a window off
// the board (it adds zeros). Otherwise a window off an unpadded board writes to `sink`.
template <int ROW, int GENS, bool INSIDE>
inline void window_changes(const CreditBoard& b, int x, int y, int delta,
                           const WindowCredit* const (&tab)[GENS], int* const (&out)[GENS],
                           int* sink) {
    constexpr int TST[4] = {ROW, 1, ROW + 1, ROW - 1};  // the directions on the score boards
    const int f          = padded(x, y);
    const int at         = x * ROW + y;
#pragma GCC unroll 4
    for (int dir = 0; dir < 4; ++dir)
    {
        const int st  = LINE_STEP[dir];
        const int tst = TST[dir];
        // The eleven cells of the line, and the five-cell part of each window in base 3, rolled
        // along it (a digit 3 off the board only stands in windows that are skipped).
        const char* c = opaque_base(b.code + f - 5 * st);
        int line[11];
#pragma GCC unroll 11
        for (int k = 0; k < 11; ++k)
            line[k] = c[k * st];
        int five = line[0] * 81 + line[1] * 27 + line[2] * 9 + line[3] * 3 + line[4];
        int* first[GENS];  // INSIDE: the line's first cell on each score board
#pragma GCC unroll 2
        for (int g = 0; g < GENS; ++g)
            first[g] = INSIDE ? opaque_base(out[g] + at - 5 * tst) : nullptr;
#pragma GCC unroll 6
        for (int j = 0; j <= 5; ++j)
        {
            const int t      = 5 - j;  // place of the changed cell in the window
            const int before = five * 4 + line[j + 5];
            if (j < 5)
                five = (five - line[j] * 81) * 3 + line[j + 5];
            // A window off the board reads the empty entry twice, so it adds nothing: no
            // branch to mispredict.
            const bool off  = line[j] == OFF_BOARD || line[j + 4] == OFF_BOARD;
            const int from  = off ? SIX_NB : before;
            const int after = off ? SIX_NB : before + delta * CELL_WEIGHT[t];
#pragma GCC unroll 2
            for (int g = 0; g < GENS; ++g)
            {
                int* w =
                    INSIDE ? first[g] + j * tst : opaque_base(!off ? out[g] + at - t * tst : sink);
#if defined(__wasm_simd128__)
                // The two entries' difference in one subtraction: first, middle, last.
                const v128_t d =
                    wasm_i32x4_sub(wasm_v128_load(&tab[g][after]), wasm_v128_load(&tab[g][from]));
                const int df = wasm_i32x4_extract_lane(d, 0);
                const int dm = wasm_i32x4_extract_lane(d, 1);
                const int dl = wasm_i32x4_extract_lane(d, 2);
                w[0] += df;
#pragma GCC unroll 4
                for (int k = 1; k <= 4; ++k)
                    w[k * tst] += dm;
                w[5 * tst] += dl;
#else
                const WindowCredit& u = tab[g][from];
                const WindowCredit& v = tab[g][after];
                const int dm          = v.middle - u.middle;
                w[0] += v.first - u.first;
                w[tst] += dm;
                w[2 * tst] += dm;
                w[3 * tst] += dm;
                w[4 * tst] += dm;
                w[5 * tst] += v.last - u.last;
#endif
            }
        }
    }
}

// What board cell (x, y) changing from `old` to `now` changes in the scores of the generators
// in `gens` (their tables `tab`, their score boards `out`, rows of ROW cells), read against the
// kept position: every window through the cell swaps its credits for those of its new content,
// a stone brings its start score and its proximity credit. Every window is added even when its
// credits stay: cheaper than testing. Directions, window places and generators are all known
// when this is compiled, so the 24 windows unroll into straight-line code.
// On an unpadded board the windows off it add their zeros to `sink` (see
// SearchThread::window_sink), unless the cell is far enough from its edges.
template <int ROW, int GENS>
inline void cell_changes(const CreditBoard& b, int x, int y, int old, int now,
                         const WindowCredit* const (&tab)[GENS], int* const (&out)[GENS],
                         const int (&occupied)[GENS], int* sink) {
    const int at = x * ROW + y;
    // Natively jiazhi keeps to the sink: a second copy of the windows' code costs it more.
#if defined(__wasm__)
    constexpr bool SINKLESS = true;
#else
    constexpr bool SINKLESS = ROW == PAD_STRIDE;
#endif
    if (SINKLESS && (ROW == PAD_STRIDE || (x >= 5 && x + 5 < ROW && y >= 5 && y + 5 < ROW)))
        window_changes<ROW, GENS, true>(b, x, y, now - old, tab, out, sink);
    else
        window_changes<ROW, GENS, false>(b, x, y, now - old, tab, out, sink);
    if ((old != 0) != (now != 0))  // a stone comes or goes (not just changes side)
    {
        const int sign  = now != 0 ? 1 : -1;
        const bool near = b.proximity && gives_proximity(x, y, BOARDSIZE);
        for (int g = 0; g < GENS; ++g)
        {
            out[g][at] += sign * occupied[g];
            if (near)
                add_proximity(Target{{out[g], out[g]}, ROW, 0}, 0, x, y, sign);
        }
    }
}

// Moves the kept position of a board by one cell.
void update_cell(CreditBoard& b, int x, int y, int old, int now) {
    const WindowCredit* const tab[2] = {b.table[0], b.table[1]};
    // The credit boards are padded: their cell (x, y) lies at padded(x, y) = origin + x*row + y.
    int* const out[2] = {b.credit[0] + padded(0, 0), b.credit[1] + padded(0, 0)};
    cell_changes<PAD_STRIDE, 2>(b, x, y, old, now, tab, out, b.occupied, nullptr);
    b.code[padded(x, y)] = static_cast<char>(now);
}

// Copies rows 0..BOARDSIZE + 1 of a credit board (`from`: its row 0, cell 0) to jiazhi. In
// WebAssembly a memcpy becomes memory.copy, which V8 runs out of line, or without bulk memory a
// call to the library's memcpy: straight-line moves cost less there, and only as many as reach
// the frame (no cell past it is read), two rows a turn of the loop.
#if defined(__wasm_simd128__)
template <int VECTORS>
inline void copy_rows_of(int* to, const int* from, int rows) {
    to   = opaque_base(to);
    from = opaque_base(from);
#pragma GCC unroll 2
    for (int x = 0; x < rows; ++x, to += JZ_SIDE, from += PAD_STRIDE)
#pragma GCC unroll 7
        for (int k = 0; k < VECTORS; ++k)
            wasm_v128_store(to + 4 * k, wasm_v128_load(from + 4 * k));
}
#endif

inline void copy_rows(SearchThread& t, const int* from) {
    const int n = BOARDSIZE;
#if defined(__wasm_simd128__)
    static_assert(ROW_CELLS == 7 * 4 && MIN_BOARD + 2 > 2 * 4, "rows of three to seven vectors");
    int* const to = &t.jiazhi[0][0];
    switch ((n + 2 + 3) / 4)
    {
    case 3: copy_rows_of<3>(to, from, n + 2); break;
    case 4: copy_rows_of<4>(to, from, n + 2); break;
    case 5: copy_rows_of<5>(to, from, n + 2); break;
    case 6: copy_rows_of<6>(to, from, n + 2); break;
    default: copy_rows_of<7>(to, from, n + 2); break;
    }
#else
    for (int x = 0; x <= n + 1; ++x)
    {
        int* const to = &t.jiazhi[x][0];
#if defined(__wasm__)
        __builtin_memcpy_inline(to, from + x * PAD_STRIDE, ROW_CELLS * sizeof(int));  // no call
#else
        std::memcpy(to, from + x * PAD_STRIDE, ROW_CELLS * sizeof(int));
#endif
    }
#endif
}

}  // namespace

// jiazhi from the kept credits of generator `which`, with `occupied` on stones. When the
// changes since the kept position include one new stone (as between the children of one node:
// the previous child taken back, this one placed), that stone's changes go to jiazhi alone: the
// kept position stays at the parent, and the next sibling is again one stone away from it.
void fill_scores(SearchThread& t, int pair, int which, int occupied) {
    CreditBoard& b = t.credit_boards[pair];
    const int n    = BOARDSIZE;
    if (b.size != n || b.occupied[which] != occupied)
    {
        b.occupied[which] = occupied;
        rescan(t, pair, b);
        copy_rows(t, b.credit[which] + padded(0, 0));
        return;
    }
    // One new stone among the changes (the newest, when the search says which) is left out of
    // the kept position; the others, such as the previous sibling taken back, move it.
    const LeftOutStone left =
        sync_kept_position(t, b.seen, b.mark, [&b](int x, int y, int old, int cur) {
            update_cell(b, x, y, old, cur);
        });

    copy_rows(t, b.credit[which] + padded(0, 0));
    if (left.x != 0)
    {
        const WindowCredit* const tab[1] = {b.table[which]};
        int* const out[1]                = {&t.jiazhi[0][0]};
        const int occ[1]                 = {b.occupied[which]};
        cell_changes<JZ_SIDE, 1>(b, left.x, left.y, 0, left.code, tab, out, occ, t.window_sink);
    }
}

void forget_credits(SearchThread& t) {
    for (CreditBoard& b : t.credit_boards)
        b.size = 0;
}

void fresh_search_state(SearchThread& t) {
    std::memset(t.value, 0, sizeof t.value);
    std::memset(t.jiazhi, 0, sizeof t.jiazhi);
    std::memset(t.zobristkey, 0, sizeof t.zobristkey);
    std::memset(t.un, 0, sizeof t.un);
    std::memset(t.nex, 0, sizeof t.nex);
    std::memset(t.ney, 0, sizeof t.ney);
    forget_credits(t);
    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            t.un[x][y] = static_cast<char>(qp[x][y]);
}

int credit_scores(SearchThread& t, int pair, int which, int occupied, int least) {
    fill_scores(t, pair, which, occupied);
    return gather_points(t, least);
}
