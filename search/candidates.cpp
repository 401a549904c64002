// Candidate lists written as the alpha-beta and threat nodes reach them: the first few points
// one at a time from the kept gathered points, the rest at once.
#include "search/movegen.h"

#include <cstdint>
#include <cstring>
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "search/gather.h"

namespace {

constexpr int FEW_POINTS = 8;  // up to this many are found one by one, the rest ranked at once

// The highest of the m keys below `below`, 0 for none.
inline uint64_t highest_below(const uint64_t* keys, int m, uint64_t below) {
#if defined(__wasm_simd128__)
    // Two keys at a time. A kept key's top bit is set (its score is at least 3): signed
    // comparisons order such keys as unsigned ones do, and INT64_MIN stands below them all.
    if (below == 0)
        return 0;
    const v128_t limit = wasm_i64x2_splat(static_cast<int64_t>(below));
    const v128_t none  = wasm_i64x2_splat(INT64_MIN);
    v128_t best        = none;
    const auto take    = [&](v128_t key) {
        const v128_t cand = wasm_v128_bitselect(key, none, wasm_i64x2_lt(key, limit));
        best              = wasm_v128_bitselect(cand, best, wasm_i64x2_gt(cand, best));
    };
    int g = 0;
    for (; g + 2 <= m; g += 2)
        take(wasm_v128_load(keys + g));
    if (g < m)
        take(wasm_i64x2_make(static_cast<int64_t>(keys[g]), INT64_MIN));
    const int64_t a = wasm_i64x2_extract_lane(best, 0), b = wasm_i64x2_extract_lane(best, 1);
    const int64_t top = a > b ? a : b;
    return top == INT64_MIN ? 0 : static_cast<uint64_t>(top);
#else
    uint64_t next = 0;
    for (int g = 0; g < m; ++g)
    {
        const uint64_t key  = keys[g];
        const uint64_t cand = key < below ? key : 0;
        next                = cand > next ? cand : next;
    }
    return next;
#endif
}

}  // namespace

void make_candidates(SearchThread& t, int dep, int upto) {
    PendingList& p = t.pending[dep];
    int& made      = t.candidates_made[dep];
    if (upto > p.count)
        upto = p.count;
    if (upto <= made)
        return;
    if (upto <= TOP_POINTS)
    {
        for (int k = made + 1; k <= upto; ++k)
            set_candidate(t, k, dep, packed_x(p.top[k - 1]), packed_y(p.top[k - 1]));
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
                set_candidate(t, k, dep, packed_x(p.top[k - 1]), packed_y(p.top[k - 1]));
                continue;
            }
            if (k > TOP_POINTS + 1)
                below = p.last;
            const uint64_t next = highest_below(p.keys, p.m, below);
            p.last              = next;
            set_candidate(t, k, dep, packed_x(next), packed_y(next));
        }
        made = upto;
        return;
    }
    // Beyond the first few: the whole list at once.
    std::memcpy(t.gathered, p.keys, sizeof(uint64_t) * p.m);
    t.n_gathered = p.m;
    select_points(t, p.count);
    for (int k = made + 1; k <= p.count; ++k)
        set_candidate(t, k, dep, t.point[k].posx, t.point[k].posy);
    made = p.count;
}
