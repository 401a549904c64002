// The candidate lists of every search: MOVECOM and MOVEPLA, and the counts of the lists the
// alpha-beta nodes write as they reach them (see candidates.cpp).
#include "search/movegen.h"

#include <cstdint>
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "eval/score_table.h"
#include "search/credits.h"
#include "search/gather.h"

namespace {

constexpr int HINT_BOOST   = 1000000;  // sorts the hint first without changing its true score
constexpr int WIN_LEVEL    = 99999;    // freestyle: above this among the first two ends the list
constexpr int THREAT_LEVEL = 15001;    // freestyle: a threat this strong keeps only strong answers
constexpr int STRONG_MOVE  = 2000;
constexpr int WEAK_MOVE    = 3;    // below this a point is not worth searching
constexpr int LIST_SLOTS   = 100;  // candidate slots cleared per generator call

// ---- Lists made on demand ----
//
// An alpha-beta node mostly ends after one or two of its moves, so its list need not be sorted
// whole: the count is worked out from the gathered points, and the candidates are written as
// the node reaches them. Each depth keeps its gathered points meanwhile in the thread's
// `pending` (its children gather their own).

// Keeps the gathered points for depth dep, with the best three, and marks its list unwritten.
#if defined(__wasm_simd128__)
// The chain of the plain version on two keys at once, for WebAssembly, whose runtime spends four
// instructions on a scalar select: each lane keeps the best three of its own keys, and the two
// lanes' threes are merged at the end. A gathered key's score is at least 3, so its top bit is set:
// signed comparisons order such keys as unsigned ones do, and INT64_MIN stands below them all.
struct TopThree {
    v128_t t1, t2, t3;
};
inline void pass_down(TopThree& top, v128_t key) {
    const v128_t over1 = wasm_i64x2_gt(key, top.t1);
    const v128_t k1    = wasm_v128_bitselect(top.t1, key, over1);
    top.t1             = wasm_v128_bitselect(key, top.t1, over1);
    const v128_t over2 = wasm_i64x2_gt(k1, top.t2);
    const v128_t k2    = wasm_v128_bitselect(top.t2, k1, over2);
    top.t2             = wasm_v128_bitselect(k1, top.t2, over2);
    top.t3             = wasm_v128_bitselect(k2, top.t3, wasm_i64x2_gt(k2, top.t3));
}

void keep_gathered(SearchThread& t, int dep) {
    PendingList& p         = t.pending[dep];
    const int m            = t.n_gathered;
    p.m                    = m;
    t.candidates_made[dep] = 0;
    const v128_t none      = wasm_i64x2_splat(INT64_MIN);
    TopThree top{none, none, none};
    int g = 0;
    for (; g + 2 <= m; g += 2)
    {
        const v128_t key = wasm_v128_load(t.gathered + g);
        wasm_v128_store(p.keys + g, key);
        pass_down(top, key);
    }
    if (g < m)
    {
        p.keys[g] = t.gathered[g];
        pass_down(top, wasm_i64x2_make(static_cast<int64_t>(t.gathered[g]), INT64_MIN));
    }
    const int64_t a[3] = {wasm_i64x2_extract_lane(top.t1, 0), wasm_i64x2_extract_lane(top.t2, 0),
                          wasm_i64x2_extract_lane(top.t3, 0)};
    const int64_t b[3] = {wasm_i64x2_extract_lane(top.t1, 1), wasm_i64x2_extract_lane(top.t2, 1),
                          wasm_i64x2_extract_lane(top.t3, 1)};
    for (int k = 0, i = 0, j = 0; k < 3; ++k)
    {
        const int64_t best = a[i] > b[j] ? a[i++] : b[j++];
        p.top[k]           = best == INT64_MIN ? 0 : static_cast<uint64_t>(best);
    }
}
#else
void keep_gathered(SearchThread& t, int dep) {
    PendingList& p         = t.pending[dep];
    const int m            = t.n_gathered;
    p.m                    = m;
    t.candidates_made[dep] = 0;
    uint64_t t1 = 0, t2 = 0, t3 = 0;  // keys are never 0: scores are at least 3
    for (int g = 0; g < m; ++g)
    {
        uint64_t key = t.gathered[g];
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
#endif

// The list of depth dep from the points gathered at `least` or more (boosted scores in the
// keys, true scores in jiazhi; `hint` the key bits of the boosted point's cell, or -1), as the
// selection of `generate` makes it, kept for need_candidates: returns its count. Positions 1
// and 2 set the level of the rest; from position 3 on the list ends at the first point under
// that level, or at `sorted` or `last`. Every pass over the points goes without branches.
int defer_list(SearchThread& t, int dep, int least, int sorted, int last, int hint) {
    PendingList& p = t.pending[dep];
    const int m    = t.n_gathered;
    keep_gathered(t, dep);
    const uint64_t t1 = p.top[0], t2 = p.top[1];
    const auto true_score = [&t](uint64_t key) { return t.jiazhi[packed_x(key)][packed_y(key)]; };
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
    if (floor_score <= least)
    {
        // Mostly so: every point gathered reaches the level, and only the boosted one, if it
        // was gathered, can fall under it by its true score.
        if (hint >= 0)
        {
            const int v             = true_score(static_cast<uint64_t>(hint));
            const uint64_t hint_key = pack(packed_x(static_cast<uint64_t>(hint)),
                                           packed_y(static_cast<uint64_t>(hint)), v + HINT_BOOST);
            if (v + HINT_BOOST >= least && v < floor_score && hint_key != t1 && hint_key != t2)
                first_out = hint_key;
        }
    }
    else
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
int generate(SearchThread& t, int thr, int dep, int occupied, int which, bool on_demand) {
    const int n = BOARDSIZE;

    // Step 1-2. Empty candidate list for this depth.
    clear_list(t, dep);

    // Steps 3-4 come with step 5: occupied start, proximity and window credits are kept from
    // call to call.

    // Step 5. Sort; a hint sorts first but the selection below reads its true score. The walk
    // below stops at the first point scoring under 3, and no point sorting under 3 can pass,
    // so only points sorting at 3 or more need sorting: one more than the width at most.
    const int limit = t.Nbranch[dep];
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
    fill_scores(t, PAIR_ALPHA_BETA, which, occupied);
    int* hint_score =
        &t.jiazhi[boosted / PAD_STRIDE - PAD_MARGIN][boosted % PAD_STRIDE - PAD_MARGIN];
    *hint_score += boost;
    const int wanted = last + 1;
    int& guess       = t.width_score[which][dep];
    const int from   = guess - guess / 4 > WEAK_MOVE ? guess - guess / 4 : WEAK_MOVE;
    int least        = from;
    if (gather_points(t, from) < wanted && from > WEAK_MOVE)
    {
        least = WEAK_MOVE;
        gather_points(t, least);
    }
    if (on_demand && t.n_gathered <= KEPT_POINTS && last >= 1)
    {
        // The guess stays while it gathers enough points but not far too many.
        const int m = t.n_gathered;
        if (m < wanted)
            guess = WEAK_MOVE;
        else if (m > 2 * wanted + 8)
            guess = wanted_floor(t, wanted);
        *hint_score -= boost;
        const int hint_bits = boost != 0
                                  ? static_cast<int>(pack(boosted / PAD_STRIDE - PAD_MARGIN,
                                                          boosted % PAD_STRIDE - PAD_MARGIN, 0) &
                                                     ORDER_MASK)
                                  : -1;
        return defer_list(t, dep, least, m < wanted ? m : wanted, last, hint_bits);
    }
    const int sorted = select_points(t, wanted);
    guess            = sorted == wanted ? t.point[wanted].val : WEAK_MOVE;
    *hint_score -= boost;

    // Step 6. Selection. The list is sorted, so each threshold ends it at the first point
    // below it. Only freestyle trusts a single winning point or a strong threat alone.
    const bool freestyle = gametype == 1;
    int best             = 0;
    for (int k = 1; k <= last; ++k)
    {
        if (k > sorted)  // the next point sorts under 3: its score is under every threshold
            return k - 1;
        const POINT& p = t.point[k];
        const int v    = t.jiazhi[p.posx][p.posy];
        if (k < 3)
        {
            if (v > best)
                best = v;
            if (best > WIN_LEVEL && freestyle)
            {
                set_candidate(t, k, dep, p.posx, p.posy);
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
        set_candidate(t, k, dep, p.posx, p.posy);
    }
    return limit < n * n ? limit : n * n;
}

}  // namespace

void clear_list(SearchThread& t, int dep) {
    const int top = t.list_top[dep] < LIST_SLOTS ? t.list_top[dep] : LIST_SLOTS;
    for (int k = 0; k <= top; ++k)
        t.nex[k][dep] = t.ney[k][dep] = 0;
    t.list_top[dep]        = 0;
    t.candidates_made[dep] = INT32_MAX;  // a list made at once; on demand, kept lists reset it
}

int list_on_demand(SearchThread& t, int dep, int keep) {
    if (t.n_gathered > KEPT_POINTS || keep < 1)
        return list_selected(t, dep, keep);
    keep_gathered(t, dep);
    PendingList& p = t.pending[dep];
    p.count        = t.n_gathered < keep ? t.n_gathered : keep;
    return p.count;
}

int MOVECOM(SearchThread& t, int thr, int dep) {
    return generate(t, thr, dep, -1000000000, 0, false);
}

int MOVEPLA(SearchThread& t, int thr, int dep) {
    return generate(t, thr, dep, -100000000, 1, false);
}

int MOVECOM_on_demand(SearchThread& t, int thr, int dep) {
    return generate(t, thr, dep, -1000000000, 0, true);
}

int MOVEPLA_on_demand(SearchThread& t, int thr, int dep) {
    return generate(t, thr, dep, -100000000, 1, true);
}
