// Window tables: the constant score rows, the whole-position and move-ordering tables built by
// one generic pass, and the sparse threat tables of the attack (K) and defence (D) searches.
#include "eval/pattern_tables.h"

#include <cassert>
#include <cstring>

const int strucT_block_b[7] = {0, 2, 10, 40, 140, 50000, 50000};
const int strucT_flex_b[7]  = {0, 8, 32, 128, 2000, 50000, 50000};
const int strucT_block_w[7] = {0, -2, -10, -40, -140, -50000, -50000};
const int strucT_flex_w[7]  = {0, -8, -32, -128, -2000, -50000, -50000};
const int struc_block_b[7]  = {0, 16, 60, 3000, 10000000, 0, 0};
const int struc_block_w[7]  = {0, 8, 30, 100, 1000000, 0, 0};

int strucT[SIX_NB];
EVA strucB[SIX_NB], strucW[SIX_NB];
int strucKSix[THREAT_SIX_NB], strucKxSix[THREAT_SIX_NB], strucKySix[THREAT_SIX_NB];
int strucDSix[THREAT_SIX_NB], strucDxSix[THREAT_SIX_NB], strucDySix[THREAT_SIX_NB];
int strucKFive[FIVE_NB], strucKxFive[FIVE_NB];
int strucDFive[FIVE_NB], strucDxFive[FIVE_NB];

namespace {

constexpr int EMPTY = 0;

// An end cell stops a line of `side` when it holds the other side's stone or lies off the board.
constexpr bool stops(int end, int side) {
    return end == OFF_BOARD || (end != EMPTY && end != side);
}

// Visits every six-cell window whose middle four cells hold only `side` stones or nothing,
// skipping windows stopped at both ends (no five fits there; they keep what they hold).
// Passes the flat index, the ends, n = `side` stones in the middle, and x = 1 when at least
// one end cell holds a `side` stone too (two own end stones still give 1).
template <class Visit>
void for_each_live_window(int side, Visit visit) {
    for (int w1 = 0; w1 <= OFF_BOARD; ++w1)
        for (int w6 = 0; w6 <= OFF_BOARD; ++w6)
        {
            if (stops(w1, side) && stops(w6, side))
                continue;
            const int x = (w1 == side || w6 == side) ? 1 : 0;
            for (int stones = 0; stones < 16; ++stones)  // bit k set: middle cell k holds `side`
            {
                int w[4];
                int n = 0;
                for (int k = 0; k < 4; ++k)
                {
                    const bool own = (stones >> k) & 1;
                    w[k]           = own ? side : EMPTY;
                    n += own;
                }
                visit(idx6(w1, w[0], w[1], w[2], w[3], w6), w1, w6, n, x);
            }
        }
}

// Whole-position score pass: open windows (both ends empty) take `flex`, the rest `block`.
void score_pass(int side, const int* flex, const int* block) {
    for_each_live_window(side, [&](int idx, int w1, int w6, int n, int x) {
        strucT[idx] = (w1 == EMPTY && w6 == EMPTY ? flex : block)[n + x];
    });
}

// Move-ordering pass: the end cells earn the middle count, the middle cells the count with
// an own end stone added.
void credit_pass(EVA* table, int side, const int* values) {
    for_each_live_window(side, [&](int idx, int, int, int n, int x) {
        table[idx].edge   = values[n];
        table[idx].center = values[n + x];
    });
}

// One row of a sparse threat table: every placement of exactly `count` stones of `side` on the
// counted cells (the others empty) gets `value`. `skip_ends` leaves out the five-cell
// placement with its two stones on w1 and w5.
struct CountRow {
    int* table;
    int side, count, value;
    bool skip_ends;
};

// Six-cell threat tables: only windows with both ends empty; the count is over w2..w5.
// clang-format off
const CountRow SIX_ROWS[] = {
    {strucKSix,  1, 1, 5,   false}, {strucKSix,  1, 2, 110, false},
    {strucKxSix, 1, 2, 25,  false},
    {strucKySix, 2, 2, 60,  false},
    {strucDSix,  2, 2, 25,  false},
    {strucDySix, 1, 2, 60,  false},
    {strucDxSix, 2, 1, 5,   false}, {strucDxSix, 2, 2, 110, false},
};

// Five-cell threat tables: the count is over all five cells. The two-stone rows of strucKFive
// and strucDxFive leave out the stones on w1 and w5 (three empty cells between them).
const CountRow FIVE_ROWS[] = {
    {strucKFive,  1, 2, 5,     true},
    {strucKFive,  1, 3, 1000,  false}, {strucKFive,  1, 4, 100000, false},
    {strucKFive,  2, 3, 50,    false}, {strucKFive,  2, 4, 10000,  false},
    {strucKxFive, 1, 3, 110,   false}, {strucKxFive, 1, 4, 10000,  false},
    {strucKxFive, 2, 3, 1000,  false}, {strucKxFive, 2, 4, 100000, false},
    {strucDFive,  1, 3, 1000,  false}, {strucDFive,  1, 4, 100000, false},
    {strucDFive,  2, 3, 110,   false}, {strucDFive,  2, 4, 10000,  false},
    {strucDxFive, 1, 3, 50,    false}, {strucDxFive, 1, 4, 10000,  false},
    {strucDxFive, 2, 2, 5,     true},
    {strucDxFive, 2, 3, 1000,  false}, {strucDxFive, 2, 4, 100000, false},
};
// clang-format on

int popcount(int bits) {
    int n = 0;
    for (; bits != 0; bits &= bits - 1)
        ++n;
    return n;
}

void fill_six_row(const CountRow& row) {
    for (int stones = 0; stones < 16; ++stones)  // bit k set: w(k+2) holds the row's side
    {
        if (popcount(stones) != row.count)
            continue;
        int w[4];
        for (int k = 0; k < 4; ++k)
            w[k] = ((stones >> k) & 1) ? row.side : EMPTY;
        row.table[idx6(EMPTY, w[0], w[1], w[2], w[3], EMPTY)] = row.value;
    }
}

void fill_five_row(const CountRow& row) {
    constexpr int END_PAIR = 1 | 16;             // stones on w1 and w5 only
    for (int stones = 0; stones < 32; ++stones)  // bit k set: w(k+1) holds the row's side
    {
        if (popcount(stones) != row.count || (row.skip_ends && stones == END_PAIR))
            continue;
        int w[5];
        for (int k = 0; k < 5; ++k)
            w[k] = ((stones >> k) & 1) ? row.side : EMPTY;
        row.table[idx5(w[0], w[1], w[2], w[3], w[4])] = row.value;
    }
}

}  // namespace

void BUILD_PATTERN_TABLES() {
    std::memset(strucT, 0, sizeof strucT);
    for (int k = 0; k < SIX_NB; ++k)
        strucB[k] = strucW[k] = EVA{};

    // Side 2's pass runs after side 1's on the same table, so the empty-middle windows both
    // visit end with side 2's value (unless side 2 skips them: both ends 1 or off the board).
    score_pass(1, strucT_flex_b, strucT_block_b);
    score_pass(2, strucT_flex_w, strucT_block_w);
    // strucB orders side 1's moves: its own stones weigh heavier than side 2's.
    credit_pass(strucB, 1, struc_block_b);
    credit_pass(strucB, 2, struc_block_w);
    // strucW the other way round.
    credit_pass(strucW, 1, struc_block_w);
    credit_pass(strucW, 2, struc_block_b);

    for (const CountRow& row : SIX_ROWS)
        fill_six_row(row);
    for (const CountRow& row : FIVE_ROWS)
        fill_five_row(row);

#ifndef NDEBUG
    // Self-check: 4 + 6 entries in strucKSix, 9 + 10 + 5 + 10 + 5 in strucKFive.
    int six = 0, five = 0;
    for (int k = 0; k < THREAT_SIX_NB; ++k)
        six += strucKSix[k] != 0;
    for (int k = 0; k < FIVE_NB; ++k)
        five += strucKFive[k] != 0;
    assert(six == 10 && five == 39);
#endif
}
