// Candidate lists written as the alpha-beta and threat nodes reach them: the first few points
// one at a time from the kept gathered points, the rest at once.
#include "search/movegen.h"

#include <cstdint>
#include <cstring>

#include "search/gather.h"

namespace {

constexpr int FEW_POINTS = 8;  // up to this many are found one by one, the rest ranked at once

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
            uint64_t next = 0;
            for (int g = 0; g < p.m; ++g)
            {
                const uint64_t key  = p.keys[g];
                const uint64_t cand = key < below ? key : 0;
                next                = cand > next ? cand : next;
            }
            p.last = next;
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
