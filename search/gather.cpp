// Gathering and selection: the points of jiazhi that reach a threshold, found sixteen cells at
// a time, then the best of them without sorting them all.
#include "search/gather.h"

#include <cstring>
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "search/movegen.h"
#include "search/thread.h"

namespace {

// Size classes of the scores that can be gathered: negative scores (never selected by any
// threshold, but counted all the same) in class 0, then 0..3 in class 1, and from 4 on four
// classes per power of two.
constexpr int SIZE_CLASSES    = 4 * 32;
constexpr int SMALL_SELECTION = 48;  // fewer points are selected by insertion alone
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

// Rows of jiazhi are compared four ints at a time (plain vector arithmetic of the compiler,
// SSE2 on x86-64).
using Int4 = int __attribute__((vector_size(16)));

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

}  // namespace

// A lower bound of the wanted-th highest score of the gathered points (at least `wanted` of
// them): the lowest score of the size class it falls in.
int wanted_floor(SearchThread& t, int wanted) {
    int count[SIZE_CLASSES] = {};
    int top_class           = 0;
    for (int g = 0; g < t.n_gathered; ++g)
    {
        const int cls = size_class(packed_score(t.gathered[g]));
        ++count[cls];
        top_class = cls > top_class ? cls : top_class;
    }
    int cls = top_class, reached = count[cls];
    while (reached < wanted && cls > 0)
        reached += count[--cls];
    return class_floor(cls);
}

namespace {

// Bit y set when jiazhi[x][y] reaches `floor`, for y = 0 .. CELLS - 1: four cells per comparison,
// and with SSE2 or WebAssembly SIMD sixteen cells packed into one mask of bits. Cells past the
// row's 28 read the next row (or the frame); the caller masks off every cell that is not on the
// board.
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
#elif defined(__wasm_simd128__)
    // The same packing in WebAssembly's vector instructions.
    const v128_t least = wasm_i32x4_splat(floor[0]);
    const auto cmp     = [&least](const int* q) { return wasm_i32x4_ge(wasm_v128_load(q), least); };
#pragma GCC unroll 2
    for (int h = 0; h < CELLS; h += 16)
    {
        const v128_t low = wasm_i16x8_narrow_i32x4(cmp(row + h), cmp(row + h + 4));
        const v128_t up  = wasm_i16x8_narrow_i32x4(cmp(row + h + 8), cmp(row + h + 12));
        bits |= static_cast<unsigned>(wasm_i8x16_bitmask(wasm_i8x16_narrow_i16x8(low, up))) << h;
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
int gather_rows(SearchThread& t, int least) {
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
            word |= (row_bits<CELLS>(t.jiazhi[x + r], floor) & board_bits &
                     -static_cast<uint64_t>(x + r <= n))
                    << (r * CELLS);
        for (; word != 0; word &= word - 1)
        {
            const int bit = __builtin_ctzll(word);
            const int gx = x + (bit >> LOG), gy = bit & (CELLS - 1);
            t.gathered[m++] = pack(gx, gy, t.jiazhi[gx][gy]);
        }
    }
    return m;
}

}  // namespace

// Gathers the board points of jiazhi scoring at least `least`.
int gather_points(SearchThread& t, int least) {
    t.n_gathered = BOARDSIZE < 16 ? gather_rows<16>(t, least) : gather_rows<32>(t, least);
    return t.n_gathered;
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
void place_by_rank(SearchThread& t, const uint64_t* keys, int m, int offset, int kept,
                   uint64_t* best) {
    if (m == 0 || offset >= kept)
        return;
    int low = INT32_MAX;
    for (int g = 0; g < m; ++g)
    {
        const int v = packed_score(keys[g]);
        low         = v < low ? v : low;
    }
    uint64_t far_keys[RANKED_SELECTION];
    int n_far                  = 0;
    int* const small           = t.rank_small;
    uint64_t* const close_keys = t.rank_close_keys;
    int n_close                = 0;
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
    place_by_rank(t, far_keys, n_far, offset, kept, best);
}

}  // namespace

// The best `keep` keys are found without sorting them all. Many keys are first thinned out: a
// histogram of the scores by size class (the top three bits of the score) finds the lowest
// class the best `keep` reach, and only keys of that class and above stay. Few keys are placed
// by rank, the others by insertion into the best `keep` so far. The keys are distinct (each
// holds its cell), so the result is the head of the stable sort.
int select_points(SearchThread& t, int keep) {
    if (keep < 1)
        return 0;
    uint64_t* keys = t.gathered;
    int m          = t.n_gathered;
    if (m > SMALL_SELECTION)
    {
        // Keys of the size class that holds the keep-th best and above.
        const uint64_t floor =
            pack(0, 32, wanted_floor(t, keep)) & ~static_cast<uint64_t>(ORDER_MASK);
        int kept_keys = 0;
        for (int g = 0; g < m; ++g)
        {
            const uint64_t key = keys[g];
            keys[kept_keys]    = key;
            kept_keys += key >= floor;
        }
        m = kept_keys;
    }
    uint64_t* const best = t.select_best;
    if (m <= RANKED_SELECTION)
    {
        const int kept = m < keep ? m : keep;
        place_by_rank(t, keys, m, 0, kept, best);
        for (int k = 0; k < kept; ++k)
            t.point[k + 1] = POINT{packed_x(best[k]), packed_y(best[k]), packed_score(best[k])};
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
        t.point[k + 1] = POINT{packed_x(best[k]), packed_y(best[k]), packed_score(best[k])};
    return kept;
}

bool gathered_decisive_point(SearchThread& t, int dep, int decisive) {
    int best = decisive, bx = 0, by = 0;
    for (int g = 0; g < t.n_gathered; ++g)
    {
        const int v = packed_score(t.gathered[g]);
        if (v < best || (v == best && bx == 0))
            continue;
        // On equal scores the first point in x-then-y order wins.
        const int x = packed_x(t.gathered[g]), y = packed_y(t.gathered[g]);
        if (v > best || x < bx || (x == bx && y < by))
        {
            best = v;
            bx   = x;
            by   = y;
        }
    }
    if (bx == 0)
        return false;
    set_candidate(t, 1, dep, bx, by);
    return true;
}
