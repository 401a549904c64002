// Candidate generation shared by every search: window credits kept from call to call,
// gathering and selection of the best points, the stable sort, MOVECOM and MOVEPLA.
#include "search/movegen.h"

#include <cstdint>
#include <cstring>

#include "eval/score_table.h"

int jiazhi[JZ_SIDE][JZ_SIDE];
POINT point[1000];
POINT point_temp[1000];
int nex[200][200], ney[200][200];
int list_top[200];
int candidates_made[200];

namespace {

constexpr int HINT_BOOST   = 1000000;  // sorts the hint first without changing its true score
constexpr int WIN_LEVEL    = 99999;    // freestyle: above this among the first two ends the list
constexpr int THREAT_LEVEL = 15001;    // freestyle: a threat this strong keeps only strong answers
constexpr int STRONG_MOVE  = 2000;
constexpr int WEAK_MOVE    = 3;    // below this a point is not worth searching
constexpr int LIST_SLOTS   = 100;  // candidate slots cleared per generator call
constexpr int SMALL_RUN    = 12;   // runs shorter than this are sorted by insertion

// ---- Credit boards ----

// What one window adds to jiazhi: `first` to c1, `middle` to each of c2..c5, `last` to c6.
struct WindowCredit {
    int first, middle, last;
};

// The credits of a pair of generators for the position in `seen`, kept in step with `un`.
struct CreditBoard {
    int size = 0;  // board size of the kept position; 0: none, rescan
    bool proximity;
    char seen[JZ_SIDE][JZ_SIDE];
    LogMark mark;
    char code[PAD_CELLS];
    WindowCredit table[2][SIX_NB + 1];  // entry SIX_NB: no window, all zero
    int occupied[2];                    // start score of a stone, per generator
    int credit[2][PAD_CELLS];           // jiazhi of every point: start score and credits
};
CreditBoard boards[3];

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
void rescan(int pair, CreditBoard& b) {
    const int n = BOARDSIZE;
    b.size      = n;
    build_tables(pair, b);
    std::memcpy(b.seen, un, sizeof un);
    b.mark = log_now();
    fill_padded_codes(b.code);
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

// What board cell (x, y) changing from `old` to `now` changes in the scores of the generators
// in `gens` (their tables `tab`, their score boards `out`, rows of ROW cells), read against the
// kept position: every window through the cell swaps its credits for those of its new content,
// a stone brings its start score and its proximity credit. Every window is added even when its
// credits stay: cheaper than testing. Directions, window places and generators are all known
// when this is compiled, so the 24 windows unroll into straight-line code.
// Where the windows off an unpadded board add their zeros: room for six cells a row apart.
int window_sink[5 * JZ_SIDE + 6];

template <int ROW, int GENS>
inline void cell_changes(const CreditBoard& b, int x, int y, int old, int now,
                         const WindowCredit* const (&tab)[GENS], int* const (&out)[GENS],
                         const int (&occupied)[GENS]) {
    constexpr int TST[4]  = {ROW, 1, ROW + 1, ROW - 1};  // the directions on the score boards
    constexpr bool PADDED = ROW == PAD_STRIDE;           // room for every window's cells
    const int f           = padded(x, y);
    const int delta       = now - old;
    const int at          = x * ROW + y;
#pragma GCC unroll 4
    for (int dir = 0; dir < 4; ++dir)
    {
        const int st  = LINE_STEP[dir];
        const int tst = TST[dir];
        // The eleven cells of the line, and the five-cell part of each window in base 3, rolled
        // along it (a digit 3 off the board only stands in windows that are skipped).
        const char* c = b.code + f;
        int line[11];
#pragma GCC unroll 11
        for (int k = 0; k < 11; ++k)
            line[k] = c[(k - 5) * st];
        int five = line[0] * 81 + line[1] * 27 + line[2] * 9 + line[3] * 3 + line[4];
#pragma GCC unroll 6
        for (int j = 0; j <= 5; ++j)
        {
            const int t      = 5 - j;  // place of the changed cell in the window
            const int before = five * 4 + line[j + 5];
            if (j < 5)
                five = (five - line[j] * 81) * 3 + line[j + 5];
            // A window off the board reads the empty entry twice, so it adds nothing, and on
            // an unpadded board writes its nothing to a sink: no branch to mispredict.
            const bool off  = line[j] == OFF_BOARD || line[j + 4] == OFF_BOARD;
            const int from  = off ? SIX_NB : before;
            const int after = off ? SIX_NB : before + delta * CELL_WEIGHT[t];
#pragma GCC unroll 2
            for (int g = 0; g < GENS; ++g)
            {
                const WindowCredit& u = tab[g][from];
                const WindowCredit& v = tab[g][after];
                const int dm          = v.middle - u.middle;
                int* w                = PADDED || !off ? out[g] + at - t * tst : window_sink;
                w[0] += v.first - u.first;
                w[tst] += dm;
                w[2 * tst] += dm;
                w[3 * tst] += dm;
                w[4 * tst] += dm;
                w[5 * tst] += v.last - u.last;
            }
        }
    }
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
    cell_changes<PAD_STRIDE, 2>(b, x, y, old, now, tab, out, b.occupied);
    b.code[padded(x, y)] = static_cast<char>(now);
}

// Points gathered for selection, each packed in one key that orders them as the stable sort
// does: the score in the high half (sign flipped so unsigned order is score order), and below
// it the complement of (y, x), so that on equal scores the lower cell number is the larger key.
uint64_t gathered[1000];
int n_gathered                = 0;
constexpr uint64_t SCORE_BIAS = 0x80000000u;
constexpr int ORDER_MASK      = 0xffff;
inline uint64_t pack(int x, int y, int v) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(v) ^ SCORE_BIAS) << 32) |
           static_cast<uint64_t>(ORDER_MASK - (y * 32 + x));
}
inline int packed_score(uint64_t key) {
    return static_cast<int>(static_cast<uint32_t>(key >> 32) ^ SCORE_BIAS);
}
inline int packed_x(uint64_t key) { return (ORDER_MASK - static_cast<int>(key & ORDER_MASK)) & 31; }
inline int packed_y(uint64_t key) { return (ORDER_MASK - static_cast<int>(key & ORDER_MASK)) >> 5; }

// Size classes of the scores that can be gathered: negative scores (never selected by any
// threshold, but counted all the same) in class 0, then 0..3 in class 1, and from 4 on four
// classes per power of two.
constexpr int SIZE_CLASSES     = 4 * 32;
constexpr int SMALL_SELECTION  = 48;  // fewer points are selected by insertion alone
constexpr int RANKED_SELECTION = 32;  // fewer still are placed by counting
inline int size_class(int v) {
    if (v < 4)
        return v < 0 ? 0 : 1;
    const int msb = 31 - __builtin_clz(static_cast<unsigned>(v));
    return 4 * msb + ((v >> (msb - 2)) & 3);
}
// Lowest score of a class.
inline int class_floor(int cls) {
    if (cls <= 1)
        return cls == 0 ? INT32_MIN : 0;
    const int msb = cls / 4;
    return (4 + cls % 4) << (msb - 2);
}

// Rows of jiazhi and of the credit boards are handled in 28 cells, y = 0..27: the board and its
// frame for any size, and beyond them cells that hold 0 (no credit lands there, and no stone).
// Four ints are compared at a time (plain vector arithmetic of the compiler, SSE2 on x86-64).
using Int4              = int __attribute__((vector_size(16)));
constexpr int ROW_CELLS = 28;
static_assert(MAX_BOARD + 2 < ROW_CELLS && ROW_CELLS <= JZ_SIDE, "rows cover board and frame");
static_assert(PAD_MARGIN + ROW_CELLS <= PAD_STRIDE, "padded rows hold 28 cells");

inline Int4 load4(const int* p) {
    Int4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
// Bit k set when lane k of a comparison result is true.
inline unsigned lane_bits(Int4 mask) {
#if defined(__SSE__)
    using Float4 = float __attribute__((vector_size(16)));
    return static_cast<unsigned>(__builtin_ia32_movmskps(reinterpret_cast<Float4>(mask)));
#else
    return (mask[0] & 1u) | (mask[1] & 2u) | (mask[2] & 4u) | (mask[3] & 8u);
#endif
}

// jiazhi from the kept credits of generator `which`, with `occupied` on stones. When the
// changes since the kept position include one new stone (as between the children of one node:
// the previous child taken back, this one placed), that stone's changes go to jiazhi alone: the
// kept position stays at the parent, and the next sibling is again one stone away from it.
void fill_scores(int pair, int which, int occupied) {
    CreditBoard& b = boards[pair];
    const int n    = BOARDSIZE;
    if (b.size != n || b.occupied[which] != occupied)
    {
        b.occupied[which] = occupied;
        rescan(pair, b);
        for (int x = 0; x <= n + 1; ++x)
            std::memcpy(jiazhi[x], b.credit[which] + padded(x, 0), ROW_CELLS * sizeof(int));
        return;
    }
    // One new stone among the changes (the newest, when the search says which) is left out of
    // the kept position; the others, such as the previous sibling taken back, move it.
    const LeftOutStone left = sync_kept_position(
        b.seen, b.mark, [&b](int x, int y, int old, int cur) { update_cell(b, x, y, old, cur); });

    const int* cred = b.credit[which];
    for (int x = 0; x <= n + 1; ++x)
        std::memcpy(jiazhi[x], cred + padded(x, 0), ROW_CELLS * sizeof(int));
    if (left.x != 0)
    {
        const WindowCredit* const tab[1] = {b.table[which]};
        int* const out[1]                = {&jiazhi[0][0]};
        const int occ[1]                 = {b.occupied[which]};
        cell_changes<JZ_SIDE, 1>(b, left.x, left.y, 0, left.code, tab, out, occ);
    }
}

// Last width-th score per generator and depth: the next call at that depth gathers from about
// there first (positions one or two moves apart score alike), and again from the threshold
// when too few points reach it.
int width_score[2][200];

// ---- Lists made on demand ----
//
// An alpha-beta node mostly ends after one or two of its moves, so its list need not be sorted
// whole: the count is worked out from the gathered points, and the candidates are written as
// the node reaches them. Each depth keeps its gathered points meanwhile (its children gather
// their own).
constexpr int KEPT_POINTS = 64;  // more gathered points than this: the list is made at once
constexpr int TOP_POINTS  = 3;   // found in one pass with the count
constexpr int FEW_POINTS  = 8;   // up to this many are found one by one, the rest ranked at once
struct PendingList {
    int count = 0;  // candidates in the list
    int m     = 0;  // gathered points kept
    uint64_t top[TOP_POINTS];
    uint64_t last = 0;  // key of the last candidate found one by one
    uint64_t keys[KEPT_POINTS];
};
PendingList pending[200];

// A lower bound of the wanted-th highest score of the gathered points (at least `wanted` of
// them): the lowest score of the size class it falls in.
int wanted_floor(int wanted) {
    int count[SIZE_CLASSES] = {};
    int top_class           = 0;
    for (int g = 0; g < n_gathered; ++g)
    {
        const int cls = size_class(packed_score(gathered[g]));
        ++count[cls];
        top_class = cls > top_class ? cls : top_class;
    }
    int cls = top_class, reached = count[cls];
    while (reached < wanted && cls > 0)
        reached += count[--cls];
    return class_floor(cls);
}

// Keeps the gathered points for depth dep, with the best three, and marks its list unwritten.
void keep_gathered(int dep) {
    PendingList& p       = pending[dep];
    const int m          = n_gathered;
    p.m                  = m;
    candidates_made[dep] = 0;
    uint64_t t1 = 0, t2 = 0, t3 = 0;  // keys are never 0: scores are at least 3
    for (int g = 0; g < m; ++g)
    {
        uint64_t key = gathered[g];
        p.keys[g]    = key;
        // The three highest so far, passed down: each step keeps the larger, hands on the other.
        const uint64_t k1 = key < t1 ? key : t1;
        t1                = key < t1 ? t1 : key;
        const uint64_t k2 = k1 < t2 ? k1 : t2;
        t2                = k1 < t2 ? t2 : k1;
        t3                = k2 < t3 ? t3 : k2;
    }
    p.top[0] = t1;
    p.top[1] = t2;
    p.top[2] = t3;
}

// The list of depth dep from the gathered points (boosted scores in the keys, true scores in
// jiazhi; `hint` the key bits of the boosted point's cell, or -1), as the selection of
// `generate` makes it, kept for need_candidates: returns its count. Positions 1 and 2 set the
// level of the rest; from position 3 on the list ends at the first point under that level, or
// at `sorted` or `last`. Every pass over the points goes without branches.
int defer_list(int dep, int sorted, int last, int hint) {
    PendingList& p = pending[dep];
    const int m    = n_gathered;
    keep_gathered(dep);
    const uint64_t t1 = p.top[0], t2 = p.top[1];
    const auto true_score = [](uint64_t key) { return jiazhi[packed_x(key)][packed_y(key)]; };
    const bool freestyle  = gametype == 1;
    const auto level      = [freestyle](int best) {
        return best >= THREAT_LEVEL && freestyle ? STRONG_MOVE : WEAK_MOVE;
    };
    const auto finish = [&p](int count) {
        p.count = count;
        return count;
    };
    int best = 0;
    for (int k = 1; k <= 2; ++k)
    {
        if (k > last)
            return finish(last);
        if (k > sorted)
            return finish(k - 1);
        const int v = true_score(k == 1 ? t1 : t2);
        best        = v > best ? v : best;
        if (best > WIN_LEVEL && freestyle)
            return finish(k);  // a winning point ends the list with itself
        if (v < level(best))
            return finish(k - 1);
    }
    // The first point from position 3 on under the level ends the list before it. Below
    // position 2 a point's key holds its true score, except the boosted point's.
    const int floor_score    = level(best);
    const uint64_t floor_key = pack(0, 32, floor_score) & ~static_cast<uint64_t>(ORDER_MASK);
    uint64_t first_out       = 0;
    for (int g = 0; g < m; ++g)
    {
        const uint64_t key = p.keys[g];
        const bool out     = static_cast<int>(key & ORDER_MASK) == hint
                                 ? key != t1 && key != t2 && true_score(key) < floor_score
                                 : key < floor_key;
        const uint64_t cut = out ? key : 0;
        first_out          = cut > first_out ? cut : first_out;
    }
    int end = sorted < last ? sorted : last;
    if (first_out != 0)
    {
        int above = 0;
        for (int g = 0; g < m; ++g)
            above += p.keys[g] > first_out;
        end = above < end ? above : end;
    }
    return finish(end);
}

// The shared frame of MOVECOM and MOVEPLA: scores every point from the windows through it,
// sorts the points that can enter the list, and keeps the best under the selection thresholds.
// On demand (the alpha-beta nodes), the list is only counted here and written by
// need_candidates.
int generate(int thr, int dep, int occupied, int which, bool on_demand) {
    const int n = BOARDSIZE;

    // Step 1-2. Empty candidate list for this depth.
    clear_list(dep);

    // Steps 3-4 come with step 5: occupied start, proximity and window credits are kept from
    // call to call.

    // Step 5. Sort; a hint sorts first but the selection below reads its true score. The walk
    // below stops at the first point scoring under 3, and no point sorting under 3 can pass,
    // so only points sorting at 3 or more need sorting: one more than the width at most.
    const int limit = Nbranch[dep];
    const int last  = limit < n * n ? limit : n * n;  // never read past the sorted points
    int boosted = padded(0, 0), boost = 0;            // the frame corner: no boost
    if (thr > 8)
    {
        const int hy = thr / 10000, hx = (thr % 10000) / 100;
        if (hx >= 1 && hx <= n && hy >= 1 && hy <= n)
        {
            boosted = padded(hx, hy);
            boost   = HINT_BOOST;
        }
    }
    fill_scores(PAIR_ALPHA_BETA, which, occupied);
    int* hint_score = &jiazhi[boosted / PAD_STRIDE - PAD_MARGIN][boosted % PAD_STRIDE - PAD_MARGIN];
    *hint_score += boost;
    const int wanted = last + 1;
    int& guess       = width_score[which][dep];
    const int from   = guess - guess / 4 > WEAK_MOVE ? guess - guess / 4 : WEAK_MOVE;
    if (gather_points(from) < wanted && from > WEAK_MOVE)
        gather_points(WEAK_MOVE);
    if (on_demand && n_gathered <= KEPT_POINTS && last >= 1)
    {
        // The guess stays while it gathers enough points but not far too many.
        const int m = n_gathered;
        if (m < wanted)
            guess = WEAK_MOVE;
        else if (m > 2 * wanted + 8)
            guess = wanted_floor(wanted);
        *hint_score -= boost;
        const int hint_bits = boost != 0
                                  ? static_cast<int>(pack(boosted / PAD_STRIDE - PAD_MARGIN,
                                                          boosted % PAD_STRIDE - PAD_MARGIN, 0) &
                                                     ORDER_MASK)
                                  : -1;
        return defer_list(dep, m < wanted ? m : wanted, last, hint_bits);
    }
    const int sorted = select_points(wanted);
    guess            = sorted == wanted ? point[wanted].val : WEAK_MOVE;
    *hint_score -= boost;

    // Step 6. Selection. The list is sorted, so each threshold ends it at the first point
    // below it. Only freestyle trusts a single winning point or a strong threat alone.
    const bool freestyle = gametype == 1;
    int best             = 0;
    for (int k = 1; k <= last; ++k)
    {
        if (k > sorted)  // the next point sorts under 3: its score is under every threshold
            return k - 1;
        const POINT& p = point[k];
        const int v    = jiazhi[p.posx][p.posy];
        if (k < 3)
        {
            if (v > best)
                best = v;
            if (best > WIN_LEVEL && freestyle)
            {
                set_candidate(k, dep, p.posx, p.posy);
                return k;
            }
        }
        if (best >= THREAT_LEVEL && freestyle)
        {
            if (v < STRONG_MOVE)
                return k - 1;
        }
        else if (v < WEAK_MOVE)
            return k - 1;
        set_candidate(k, dep, p.posx, p.posy);
    }
    return limit < n * n ? limit : n * n;
}

struct ListTopStart {
    ListTopStart() {
        for (int& t : list_top)
            t = LIST_SLOTS;  // nothing known yet: every slot may be set
    }
};

ListTopStart list_top_start;

}  // namespace

void forget_credits() {
    for (CreditBoard& b : boards)
        b.size = 0;
}

namespace {

// Bit y set when jiazhi[x][y] reaches `floor`, for y = 0 .. CELLS - 1: four cells per comparison,
// and with SSE2 sixteen cells packed into one mask of bits. Cells past the row's 28 read the
// next row (or the frame); the caller masks off every cell that is not on the board.
template <int CELLS>
inline unsigned row_bits(const int* row, Int4 floor) {
    unsigned bits = 0;
#if defined(__SSE2__)
    const auto cmp = [&floor](const int* q) { return load4(q) >= floor; };
#pragma GCC unroll 2
    for (int h = 0; h < CELLS; h += 16)
    {
        const auto low = __builtin_ia32_packssdw128(cmp(row + h), cmp(row + h + 4));
        const auto up  = __builtin_ia32_packssdw128(cmp(row + h + 8), cmp(row + h + 12));
        bits |=
            static_cast<unsigned>(__builtin_ia32_pmovmskb128(__builtin_ia32_packsswb128(low, up)))
            << h;
    }
#else
    for (int g = 0; g < CELLS / 4; ++g)
        bits |= lane_bits(load4(row + 4 * g) >= floor) << (4 * g);
#endif
    return bits;
}

// gather_points for boards of side below CELLS: the bits of 64 / CELLS rows at a time are
// walked as one word, so the walk's loop ends once per word, not once per row.
template <int CELLS>
int gather_rows(int least) {
    constexpr int ROWS        = 64 / CELLS;
    constexpr int LOG         = CELLS == 16 ? 4 : 5;
    const int n               = BOARDSIZE;
    const Int4 floor          = {least, least, least, least};
    const uint64_t board_bits = ((uint64_t{1} << n) - 1) << 1;  // y = 1..n of a row
    int m                     = 0;
    for (int x = 1; x <= n; x += ROWS)
    {
        uint64_t word = 0;
        // Rows past the board (at most three, still inside jiazhi) are read and masked off.
#pragma GCC unroll 4
        for (int r = 0; r < ROWS; ++r)
            word |= (row_bits<CELLS>(jiazhi[x + r], floor) & board_bits &
                     -static_cast<uint64_t>(x + r <= n))
                    << (r * CELLS);
        for (; word != 0; word &= word - 1)
        {
            const int bit = __builtin_ctzll(word);
            const int gx = x + (bit >> LOG), gy = bit & (CELLS - 1);
            gathered[m++] = pack(gx, gy, jiazhi[gx][gy]);
        }
    }
    return m;
}

}  // namespace

// Gathers the board points of jiazhi scoring at least `least`.
int gather_points(int least) {
    n_gathered = BOARDSIZE < 16 ? gather_rows<16>(least) : gather_rows<32>(least);
    return n_gathered;
}

int credit_scores(int pair, int which, int occupied, int least) {
    fill_scores(pair, which, occupied);
    return gather_points(least);
}

namespace {

constexpr int CLOSE_SPREAD = 1 << 20;  // scores this close fit in 31 bits with their cell
static_assert((ORDER_MASK & 1023) == 1023 && ORDER_MASK - (28 * 32 + 28) >= (ORDER_MASK & ~1023),
              "the low ten bits of a cell order keep its order");

// Places m (at most RANKED_SELECTION) distinct keys by rank: a key with `above` keys over it
// goes to best[offset + above], and every place from `kept` on to best[kept]. Each place is
// the number of keys above, counted four at a time on 31-bit keys: the score above the lowest
// one, and below it the cell order. Keys scoring too far above the lowest are all above the
// others; they are placed first, the same way, among themselves.
void place_by_rank(const uint64_t* keys, int m, int offset, int kept, uint64_t* best) {
    if (m == 0 || offset >= kept)
        return;
    int low = INT32_MAX;
    for (int g = 0; g < m; ++g)
    {
        const int v = packed_score(keys[g]);
        low         = v < low ? v : low;
    }
    uint64_t far_keys[RANKED_SELECTION];
    int n_far = 0;
    static int small[RANKED_SELECTION + 4];
    static uint64_t close_keys[RANKED_SELECTION];
    int n_close = 0;
    for (int g = 0; g < m; ++g)
    {
        const int v = packed_score(keys[g]);
        if (static_cast<long long>(v) - low >= CLOSE_SPREAD)
            far_keys[n_far++] = keys[g];
        else
        {
            small[n_close]        = (v - low) << 10 | static_cast<int>(keys[g] & 1023);
            close_keys[n_close++] = keys[g];
        }
    }
    for (int g = n_close; g % 4 != 0; ++g)
        small[g] = INT32_MIN;
    // The close keys' places come after every far key: they are written first, since the far
    // keys' call below reuses the scratch arrays.
    const int base = offset + n_far;
    for (int g = 0; g < n_close && base < kept; ++g)
    {
        const Int4 key = {small[g], small[g], small[g], small[g]};
        Int4 above4    = {0, 0, 0, 0};
        for (int h = 0; h < n_close; h += 4)
            above4 += load4(small + h) > key;  // -1 where above
        const int place                   = base - (above4[0] + above4[1] + above4[2] + above4[3]);
        best[place < kept ? place : kept] = close_keys[g];
    }
    place_by_rank(far_keys, n_far, offset, kept, best);
}

}  // namespace

// The best `keep` keys are found without sorting them all. Many keys are first thinned out: a
// histogram of the scores by size class (the top three bits of the score) finds the lowest
// class the best `keep` reach, and only keys of that class and above stay. Few keys are placed
// by rank, the others by insertion into the best `keep` so far. The keys are distinct (each
// holds its cell), so the result is the head of the stable sort.
int select_points(int keep) {
    if (keep < 1)
        return 0;
    uint64_t* keys = gathered;
    int m          = n_gathered;
    if (m > SMALL_SELECTION)
    {
        // Keys of the size class that holds the keep-th best and above.
        const uint64_t floor = pack(0, 32, wanted_floor(keep)) & ~static_cast<uint64_t>(ORDER_MASK);
        int kept_keys        = 0;
        for (int g = 0; g < m; ++g)
        {
            const uint64_t key = keys[g];
            keys[kept_keys]    = key;
            kept_keys += key >= floor;
        }
        m = kept_keys;
    }
    static uint64_t best[1001];
    if (m <= RANKED_SELECTION)
    {
        const int kept = m < keep ? m : keep;
        place_by_rank(keys, m, 0, kept, best);
        for (int k = 0; k < kept; ++k)
            point[k + 1] = POINT{packed_x(best[k]), packed_y(best[k]), packed_score(best[k])};
        return kept;
    }
    // Insertion into the best `keep` so far, highest first.
    int kept = 0;
    for (int g = 0; g < m; ++g)
    {
        const uint64_t key = keys[g];
        int j;
        if (kept < keep)
            j = kept++;
        else if (key > best[keep - 1])
            j = keep - 1;
        else
            continue;
        for (; j > 0 && best[j - 1] < key; --j)
            best[j] = best[j - 1];
        best[j] = key;
    }
    for (int k = 0; k < kept; ++k)
        point[k + 1] = POINT{packed_x(best[k]), packed_y(best[k]), packed_score(best[k])};
    return kept;
}

bool gathered_decisive_point(int dep, int decisive) {
    int best = decisive, bx = 0, by = 0;
    for (int g = 0; g < n_gathered; ++g)
    {
        const int v = packed_score(gathered[g]);
        if (v < best || (v == best && bx == 0))
            continue;
        // On equal scores the first point in x-then-y order wins.
        const int x = packed_x(gathered[g]), y = packed_y(gathered[g]);
        if (v > best || x < bx || (x == bx && y < by))
        {
            best = v;
            bx   = x;
            by   = y;
        }
    }
    if (bx == 0)
        return false;
    set_candidate(1, dep, bx, by);
    return true;
}

void clear_list(int dep) {
    const int top = list_top[dep] < LIST_SLOTS ? list_top[dep] : LIST_SLOTS;
    for (int k = 0; k <= top; ++k)
        nex[k][dep] = ney[k][dep] = 0;
    list_top[dep]        = 0;
    candidates_made[dep] = INT32_MAX;  // a list made at once; on demand, kept lists reset it
}

int list_on_demand(int dep, int keep) {
    if (n_gathered > KEPT_POINTS || keep < 1)
        return list_selected(dep, keep);
    keep_gathered(dep);
    PendingList& p = pending[dep];
    p.count        = n_gathered < keep ? n_gathered : keep;
    return p.count;
}

// Loads the points in cell-number order and sorts them stably, highest first. A stable order is
// unique, so any stable sort yields the order DIVIDE_AND_CONQUER over the whole board would
// give; this one is cheaper, for it runs at every node of every search:
//  - zeros (most of the board, far from any stone) need no sorting: they sit in cell order
//    between the positive and the negative points;
//  - positive points (window credits, mostly below 65536) go through a byte-wise LSD radix
//    sort that skips the bytes all of them share;
//  - negative points (the stones) are few and merge-sorted in place at the end.
void MERGE_SORT() {
    const int n = BOARDSIZE;
    static POINT zeros[1000], negatives[1000], spare[1000];
    int n_pos = 0, n_zero = 0, n_neg = 0;
    uint32_t any_bits = 0, all_bits = ~0u;
    for (int y = 1; y <= n; ++y)
        for (int x = 1; x <= n; ++x)
        {
            const int v = jiazhi[x][y];
            if (v > 0)
            {
                point[1 + n_pos++]  = POINT{x, y, v};
                const uint32_t rank = 0x7fffffffu - static_cast<uint32_t>(v);  // ascending rank
                any_bits |= rank;
                all_bits &= rank;
            }
            else if (v == 0)
                zeros[n_zero++] = POINT{x, y, 0};
            else
                negatives[n_neg++] = POINT{x, y, v};
        }

    // Radix passes over the bytes in which the positive points differ; each pass is stable.
    const uint32_t varying = any_bits ^ all_bits;
    POINT* src             = point + 1;
    POINT* dst             = spare;
    for (int shift = 0; shift < 32; shift += 8)
    {
        if (((varying >> shift) & 0xffu) == 0)
            continue;
        int start[257] = {};
        for (int k = 0; k < n_pos; ++k)
            ++start[1 + (((0x7fffffffu - static_cast<uint32_t>(src[k].val)) >> shift) & 0xffu)];
        for (int b = 1; b <= 256; ++b)
            start[b] += start[b - 1];
        for (int k = 0; k < n_pos; ++k)
            dst[start[((0x7fffffffu - static_cast<uint32_t>(src[k].val)) >> shift) & 0xffu]++] =
                src[k];
        POINT* swap = src;
        src         = dst;
        dst         = swap;
    }
    if (src != point + 1)
        std::memcpy(point + 1, src, sizeof(POINT) * n_pos);

    std::memcpy(point + 1 + n_pos, zeros, sizeof(POINT) * n_zero);
    std::memcpy(point + 1 + n_pos + n_zero, negatives, sizeof(POINT) * n_neg);
    DIVIDE_AND_CONQUER(1 + n_pos + n_zero, n * n);
}

// Stable: on equal scores the first half wins, so ties stay in cell-number order.
void DIVIDE_AND_CONQUER(int st, int ed) {
    if (ed - st > 1 && ed - st < SMALL_RUN)
    {
        // Short runs: insertion sort, stable as well (a point passes only strictly lower ones).
        for (int k = st + 1; k <= ed; ++k)
        {
            const POINT p = point[k];
            int j         = k - 1;
            for (; j >= st && point[j].val < p.val; --j)
                point[j + 1] = point[j];
            point[j + 1] = p;
        }
    }
    else if (ed - st > 1)
    {
        const int mid = (st + ed) / 2;
        DIVIDE_AND_CONQUER(st, mid);
        DIVIDE_AND_CONQUER(mid + 1, ed);
        // Already in order: common on boards full of equal scores.
        if (point[mid].val >= point[mid + 1].val)
            return;
        int left = st, right = mid + 1;
        for (int out = st; out <= ed; ++out)
        {
            if (right > ed || (left <= mid && point[left].val >= point[right].val))
                point_temp[out] = point[left++];
            else
                point_temp[out] = point[right++];
        }
        for (int k = st; k <= ed; ++k)
            point[k] = point_temp[k];
    }
    else if (ed - st == 1)
    {
        if (point[st].val < point[ed].val)
        {
            const POINT swap = point[st];
            point[st]        = point[ed];
            point[ed]        = swap;
        }
    }
}

int MOVECOM(int thr, int dep) { return generate(thr, dep, -1000000000, 0, false); }

int MOVEPLA(int thr, int dep) { return generate(thr, dep, -100000000, 1, false); }

int MOVECOM_on_demand(int thr, int dep) { return generate(thr, dep, -1000000000, 0, true); }

int MOVEPLA_on_demand(int thr, int dep) { return generate(thr, dep, -100000000, 1, true); }

void make_candidates(int dep, int upto) {
    PendingList& p = pending[dep];
    int& made      = candidates_made[dep];
    if (upto > p.count)
        upto = p.count;
    if (upto <= made)
        return;
    if (upto <= TOP_POINTS)
    {
        for (int k = made + 1; k <= upto; ++k)
            set_candidate(k, dep, packed_x(p.top[k - 1]), packed_y(p.top[k - 1]));
        made = upto;
        return;
    }
    if (upto <= FEW_POINTS)
    {
        // The next ones one at a time: each is the highest key below the one before it.
        uint64_t below = p.top[TOP_POINTS - 1];
        for (int k = made + 1; k <= upto; ++k)
        {
            if (k <= TOP_POINTS)
            {
                set_candidate(k, dep, packed_x(p.top[k - 1]), packed_y(p.top[k - 1]));
                continue;
            }
            if (k > TOP_POINTS + 1)
                below = p.last;
            uint64_t next = 0;
            for (int g = 0; g < p.m; ++g)
            {
                const uint64_t key  = p.keys[g];
                const uint64_t cand = key < below ? key : 0;
                next                = cand > next ? cand : next;
            }
            p.last = next;
            set_candidate(k, dep, packed_x(next), packed_y(next));
        }
        made = upto;
        return;
    }
    // Beyond the first few: the whole list at once.
    std::memcpy(gathered, p.keys, sizeof(uint64_t) * p.m);
    n_gathered = p.m;
    select_points(p.count);
    for (int k = made + 1; k <= p.count; ++k)
        set_candidate(k, dep, point[k].posx, point[k].posy);
    made = p.count;
}
