// Hash slots read ahead of the alpha-beta children that probe them, where no prefetch is to be
// had.
#pragma once

#include "search/ai.h"
#include "search/movegen.h"

#if defined(__wasm__)
// WebAssembly has no prefetch: a child's hash slot, anywhere in the tables, is a cache miss that
// stalls the child's probe. Reading the slots of several children in one go lets their misses
// overlap, and the children find them in the cache: the first two children together, then the
// next nine once the node gets past them (a node that searches a second child mostly searches
// them all).
constexpr int READ_AHEAD_FIRST = 2;
constexpr int READ_AHEAD_BURST = 9;

// At child a of the num children of depth dep, whose main-table slots are read up to child
// `read`: once the search reaches that child, makes the next candidates and reads their written
// slots together. Returns how far the slots are read now.
inline int read_slots_ahead(SearchThread& t, int dep, int a, int num, int read) {
    if (a < read || read >= num)
        return read;
    const int want = a == 1 ? READ_AHEAD_FIRST : a + READ_AHEAD_BURST;
    const int upto = want < num ? want : num;
    need_candidates(t, dep, upto);
    U64 sum = 0;
    for (int b = read + 1; b <= upto; ++b)
        if (t.nex[b][dep] != 0)
        {
            const int slot = child_slot(t, dep, t.nex[b][dep], t.ney[b][dep]);
            if (slot_written(slot))
                sum ^= hash_tag[slot].lock;
        }
    volatile U64 kept = sum;  // the reads stay
    static_cast<void>(kept);
    return upto;
}
#endif
