// The stable sort of the board's points, highest score first, ties in cell-number order.
#include "search/movegen.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int SMALL_RUN = 12;  // runs shorter than this are sorted by insertion

}  // namespace

// Loads the points in cell-number order and sorts them stably, highest first. A stable order is
// unique, so any stable sort yields the order DIVIDE_AND_CONQUER over the whole board would
// give; this one is cheaper, for it runs at every node of every search:
//  - zeros (most of the board, far from any stone) need no sorting: they sit in cell order
//    between the positive and the negative points;
//  - positive points (window credits, mostly below 65536) go through a byte-wise LSD radix
//    sort that skips the bytes all of them share;
//  - negative points (the stones) are few and merge-sorted in place at the end.
void MERGE_SORT(SearchThread& t) {
    const int n            = BOARDSIZE;
    POINT* const zeros     = t.sort_zeros;
    POINT* const negatives = t.sort_negatives;
    POINT* const spare     = t.sort_spare;
    int n_pos = 0, n_zero = 0, n_neg = 0;
    uint32_t any_bits = 0, all_bits = ~0u;
    for (int y = 1; y <= n; ++y)
        for (int x = 1; x <= n; ++x)
        {
            const int v = t.jiazhi[x][y];
            if (v > 0)
            {
                t.point[1 + n_pos++] = POINT{x, y, v};
                const uint32_t rank  = 0x7fffffffu - static_cast<uint32_t>(v);  // ascending rank
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
    POINT* src             = t.point + 1;
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
    if (src != t.point + 1)
        std::memcpy(t.point + 1, src, sizeof(POINT) * n_pos);

    std::memcpy(t.point + 1 + n_pos, zeros, sizeof(POINT) * n_zero);
    std::memcpy(t.point + 1 + n_pos + n_zero, negatives, sizeof(POINT) * n_neg);
    DIVIDE_AND_CONQUER(t, 1 + n_pos + n_zero, n * n);
}

// Stable: on equal scores the first half wins, so ties stay in cell-number order.
void DIVIDE_AND_CONQUER(SearchThread& t, int st, int ed) {
    if (ed - st > 1 && ed - st < SMALL_RUN)
    {
        // Short runs: insertion sort, stable as well (a point passes only strictly lower ones).
        for (int k = st + 1; k <= ed; ++k)
        {
            const POINT p = t.point[k];
            int j         = k - 1;
            for (; j >= st && t.point[j].val < p.val; --j)
                t.point[j + 1] = t.point[j];
            t.point[j + 1] = p;
        }
    }
    else if (ed - st > 1)
    {
        const int mid = (st + ed) / 2;
        DIVIDE_AND_CONQUER(t, st, mid);
        DIVIDE_AND_CONQUER(t, mid + 1, ed);
        // Already in order: common on boards full of equal scores.
        if (t.point[mid].val >= t.point[mid + 1].val)
            return;
        int left = st, right = mid + 1;
        for (int out = st; out <= ed; ++out)
        {
            if (right > ed || (left <= mid && t.point[left].val >= t.point[right].val))
                t.point_temp[out] = t.point[left++];
            else
                t.point_temp[out] = t.point[right++];
        }
        for (int k = st; k <= ed; ++k)
            t.point[k] = t.point_temp[k];
    }
    else if (ed - st == 1)
    {
        if (t.point[st].val < t.point[ed].val)
        {
            const POINT swap = t.point[st];
            t.point[st]      = t.point[ed];
            t.point[ed]      = swap;
        }
    }
}
