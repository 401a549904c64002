// Candidate generation shared by every search: the generators' score board, the sorted points,
// the per-depth candidate lists, and window credits kept in step with the search board.
#pragma once

#include <cstdint>

#include "eval/kept_position.h"
#include "eval/pattern_tables.h"
#include "game/Main.h"
#include "search/thread.h"

// Rows of jiazhi and of the credit boards are handled in 28 cells, y = 0..27: the board and its
// frame for any size, and beyond them cells that hold 0 (no credit lands there, and no stone).
constexpr int ROW_CELLS = 28;
static_assert(MAX_BOARD + 2 < ROW_CELLS && ROW_CELLS <= JZ_SIDE, "rows cover board and frame");
static_assert(PAD_MARGIN + ROW_CELLS <= PAD_STRIDE, "padded rows hold 28 cells");

// One six-cell window of `un`: cells (x + k*dx, y + k*dy) for k = 0..5, and its table indexes.
// i6 uses code OFF_BOARD for a sixth cell off the board; i5 covers the first five cells.
struct Window {
    int x, y, dx, dy;
    int i6, i5;
};

// Visits the six-cell windows whose first five cells lie on the board and whose start cell lies
// in x_lo..x_hi, y_lo..y_hi: for each start cell (x outer, y inner) the windows along x, along y,
// diagonal and anti-diagonal, when they fit.
template <class Visit>
inline void scan_windows(const SearchBoard& b, int x_lo, int x_hi, int y_lo, int y_hi,
                         Visit visit) {
    const int n    = BOARDSIZE;
    const auto& un = b.un;
    auto make      = [&un](int x, int y, int dx, int dy, bool last_off) {
        const int w1 = un[x][y], w2 = un[x + dx][y + dy], w3 = un[x + 2 * dx][y + 2 * dy];
        const int w4 = un[x + 3 * dx][y + 3 * dy], w5 = un[x + 4 * dx][y + 4 * dy];
        const int w6 = last_off ? OFF_BOARD : un[x + 5 * dx][y + 5 * dy];
        return Window{x, y, dx, dy, idx6(w1, w2, w3, w4, w5, w6), idx5(w1, w2, w3, w4, w5)};
    };
    for (int x = x_lo < 1 ? 1 : x_lo; x <= x_hi && x <= n; ++x)
        for (int y = y_lo < 1 ? 1 : y_lo; y <= y_hi && y <= n; ++y)
        {
            if (x <= n - 4)
                visit(make(x, y, 1, 0, x == n - 4));
            if (y <= n - 4)
                visit(make(x, y, 0, 1, y == n - 4));
            if (x <= n - 4 && y <= n - 4)
                visit(make(x, y, 1, 1, x == n - 4 || y == n - 4));
            if (x <= n - 4 && y >= 5)
                visit(make(x, y, 1, -1, x == n - 4 || y == 5));
        }
}

// Visits every six-cell window whose first five cells lie on the board, in the order above.
template <class Visit>
inline void scan_windows(const SearchBoard& b, Visit visit) {
    scan_windows(b, 1, BOARDSIZE, 1, BOARDSIZE, visit);
}

// ---- Fast generator frame ----
//
// The window credits a generator adds to jiazhi depend only on the windows through each cell, so
// they are kept from call to call: a credit board remembers the position it last scored, and a
// call updates only the windows through the cells of `un` that changed since (a few dozen
// lookups instead of a scan of the whole board). The three searches each keep one board for
// their two generators. Selection then sorts only the points that can pass the generator's
// threshold, keeping ties in cell-number order: the same list the full stable sort gives.
enum CreditPair {
    PAIR_ALPHA_BETA = 0,  // MOVECOM (strucB), MOVEPLA (strucW), both with proximity credit
    PAIR_ATTACK     = 1,  // MOC (strucKFive, strucKSix), MOP (strucKxFive, strucKxSix, strucKySix)
    PAIR_DEFENCE    = 2,  // MOVEP (strucDxFive, strucDxSix),
                          // MOVEC (strucDFive, strucDSix, strucDySix)
};
// Forgets every kept credit board: the next call of each generator rescans the whole board.
// The searches call it when they start, so tables rebuilt in between are picked up.
void forget_credits(SearchThread& t);
// A search's start: node values, generator scores, keys' slots and candidate lists cleared, the
// credit boards forgotten, and the board copied to the search board.
void fresh_search_state(SearchThread& t);
// jiazhi as the plain frame makes it (occupied start, window and proximity credits) on the
// points 0..BOARDSIZE + 1, for generator `which` (0 or 1, as listed above) of `pair`; the board
// points scoring at least `least` are gathered for selection. Returns how many were gathered.
int credit_scores(SearchThread& t, int pair, int which, int occupied, int least);
// Collects the board points of jiazhi scoring at least `least` for select_points; returns how
// many.
int gather_points(SearchThread& t, int least);
// Writes the best `keep` gathered points to point[1..], highest first, ties in cell-number
// order (the order the full stable sort gives); returns how many were written.
int select_points(SearchThread& t, int keep);
// Freestyle shortcut over the gathered points: the best of them (first in x-then-y order) when
// it scores above `decisive`, as candidate 1 of depth dep. Needs every such point gathered.
bool gathered_decisive_point(SearchThread& t, int dep, int decisive);
// Clears the candidate list of depth dep (slots 0..100), touching only slots that may be set.
// Generators write their lists through set_candidate so the cleared range stays known.
void clear_list(SearchThread& t, int dep);
inline void set_candidate(SearchThread& t, int k, int dep, int x, int y) {
    t.nex[k][dep] = x;
    t.ney[k][dep] = y;
    if (k > t.list_top[dep])
        t.list_top[dep] = k;
}
// list_selected for the threat searches' own nodes, which mostly end after their first moves:
// the same count, with the list written only as far as need_candidates asks for it.
int list_on_demand(SearchThread& t, int dep, int keep);
// The best `keep` gathered points, highest first, as the candidate list of depth dep; returns
// how many (the threat generators' selection step).
inline int list_selected(SearchThread& t, int dep, int keep) {
    const int num = select_points(t, keep);
    for (int k = 1; k <= num; ++k)
        set_candidate(t, k, dep, t.point[k].posx, t.point[k].posy);
    return num;
}

void MERGE_SORT(SearchThread& t);  // loads point from jiazhi in cell order, sorts it
void DIVIDE_AND_CONQUER(SearchThread& t, int st,
                        int ed);  // stable merge sort of point[st..ed], highest first
int MOVECOM(SearchThread& t, int thr,
            int dep);  // engine's candidates at depth dep; returns the count
int MOVEPLA(SearchThread& t, int thr, int dep);  // opponent's candidates at depth dep
// For the alpha-beta search's own nodes, which mostly end after one or two moves: the count of
// MOVECOM / MOVEPLA, with the list written only as far as need_candidates asks for it.
int MOVECOM_on_demand(SearchThread& t, int thr, int dep);
int MOVEPLA_on_demand(SearchThread& t, int thr, int dep);
// Makes candidates 1..upto of depth dep what the full call writes (no more than the count).
void make_candidates(SearchThread& t, int dep, int upto);
inline void need_candidates(SearchThread& t, int dep, int upto) {
    if (upto > t.candidates_made[dep])
        make_candidates(t, dep, upto);
}
