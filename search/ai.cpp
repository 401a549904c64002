// Position keys and the three direct-mapped hash tables shared by the searches.
#include "search/ai.h"

#include <cstdint>
#include <cstring>

#include "game/Main.h"
#include "platform/platform.h"
#include "search/thread.h"

HashSlot hash_tag[hash_cut];
HashSlot hash_tag1[hash_cut2];
HashSlot hash_tag2[hash_cut2];
#if defined(__wasm__)
uint64_t hash_written[(hash_cut + 63) / 64];
#endif

// key % 2,000,000 with 32-bit arithmetic only: 2,000,000 = 128 * 15625, so the slot is
// (key / 128) % 15625 * 128 + key % 128; and (key / 128) % 15625 follows from its two 32-bit
// halves, 2^32 % 15625 being 14171 (every sum stays under 2^32).
int slot_by_halves(U64 key) {
    static_assert(hash_cut == 128 * 15625, "the slot's steps are those of 2,000,000");
    const U64 q       = key >> 7;
    const uint32_t hi = static_cast<uint32_t>(q >> 32), lo = static_cast<uint32_t>(q);
    const uint32_t r = ((hi % 15625u) * 14171u + lo % 15625u) % 15625u;
    return static_cast<int>(r * 128u + static_cast<uint32_t>(key & 127u));
}

namespace {

// Probes land anywhere in 128 MB of tables; on small pages nearly every one also misses the
// address translation cache, so the tables ask for large pages before they are first written.
struct LargePages {
    LargePages() {
        advise_large_pages(hash_tag, sizeof hash_tag);
        advise_large_pages(hash_tag1, sizeof hash_tag1);
        advise_large_pages(hash_tag2, sizeof hash_tag2);
    }
};
LargePages large_pages;

// Number of a stone of `code` on (x, y): the cell number scaled by the code, so code 2 on
// cell n and code 1 on cell 2n share a number (two such positions hash alike).
inline U64 stone_number(int code, int x, int y) {
    return random_number[code * ((y - 1) * BOARDSIZE + x)];
}

#if defined(__wasm__)
// WebAssembly has no 64-bit multiply-high, so a 64-bit remainder by a constant stays a real
// division there, in the searches' every node: the same slot from 32-bit steps instead.
inline int slot_of(U64 key) { return slot_by_halves(key); }
#else
inline int slot_of(U64 key) { return static_cast<int>(key % static_cast<U64>(hash_cut)); }
#endif

// A slot's words are read and written whole (never torn), in no particular order with other
// memory: the key test catches a slot whose words come from two different writes.
inline U64 load_word(const U64& w) { return __atomic_load_n(&w, __ATOMIC_RELAXED); }
inline void store_word(U64& w, U64 v) { __atomic_store_n(&w, v, __ATOMIC_RELAXED); }

constexpr U64 DEPTH_MAX = 0xFFFF;  // deepest stored depth: the game's length plus 10000 at most

inline int value_of(U64 data) { return static_cast<int32_t>(static_cast<uint32_t>(data)); }
inline int depth_of(U64 data) { return static_cast<int>((data >> 32) & DEPTH_MAX); }

inline U64 pack_main(int depth, int type, int value, int bx, int by) {
    const U64 d = depth < 0 ? 0 : static_cast<U64>(depth) > DEPTH_MAX ? DEPTH_MAX : depth;
    return static_cast<uint32_t>(value) | d << 32 | static_cast<U64>(bx & 63) << 48 |
           static_cast<U64>(by & 63) << 54 | static_cast<U64>(type & 3) << 60;
}

inline U64 pack_short(int depth, int value) {
    return static_cast<uint32_t>(value) | static_cast<U64>(static_cast<uint32_t>(depth)) << 32;
}

}  // namespace

HISTORY_MAP hash_entry(int slot) {
    const U64 data = load_word(hash_tag[slot].data);
    HISTORY_MAP e;
    e.depth     = depth_of(data);
    e.value     = value_of(data);
    e.bestpos_x = static_cast<int>(data >> 48 & 63);
    e.bestpos_y = static_cast<int>(data >> 54 & 63);
    e.hash_type = static_cast<int>(data >> 60 & 3);
    e.key       = load_word(hash_tag[slot].lock) ^ data;
    return e;
}

SHORT_MAP short_entry(const HashSlot& slot) {
    const U64 data = load_word(slot.data);
    return {static_cast<int>(data >> 32), value_of(data), load_word(slot.lock) ^ data};
}

namespace {}  // namespace

void set_root_key(SearchThread& t) {
    const int n = BOARDSIZE;
    U64 key     = 0;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            if (t.un[x][y] != 0)
                key ^= stone_number(t.un[x][y], x, y);
    t.zobristcheck[1] = key;
    t.zobristkey[1]   = slot_of(key);
}

// Kept out of line natively: inlined into the searches' node loops it crowds their registers,
// and the call is cheaper than the reloads that follow. WebAssembly's calls cost more (the
// runtime saves every live register around one), so there it is inlined.
#if !defined(__wasm__)
__attribute__((noinline))
#endif
void set_child_key(SearchThread& t, int dep, int x, int y) {
    const int code          = dep % 2 == 1 ? 1 : 2;  // odd depths are the engine's moves
    t.zobristcheck[dep + 1] = t.zobristcheck[dep] ^ stone_number(code, x, y);
    t.zobristkey[dep + 1]   = slot_of(t.zobristcheck[dep + 1]);
}

int child_slot(const SearchThread& t, int dep, int x, int y) {
    return slot_of(t.zobristcheck[dep] ^ stone_number(dep % 2 == 1 ? 1 : 2, x, y));
}

int stored_line(const SearchThread& t, int x, int y, int most, int* xs, int* ys) {
    const int n = BOARDSIZE;
    char board[JZ_SIDE][JZ_SIDE];
    std::memcpy(board, t.un, sizeof board);
    if (most > STORED_LINE_MAX)
        most = STORED_LINE_MAX;
    U64 key    = t.zobristcheck[1];
    int length = 0;
    while (length < most && 1 <= x && x <= n && 1 <= y && y <= n && board[x][y] == 0)
    {
        const int code = length % 2 == 0 ? 1 : 2;  // the engine moves first
        board[x][y]    = static_cast<char>(code);
        key ^= stone_number(code, x, y);
        xs[length] = x;
        ys[length] = y;
        ++length;
        const HISTORY_MAP e = hash_entry(slot_of(key));
        if (e.depth == 0 || e.key != key)
            break;
        x = e.bestpos_x;
        y = e.bestpos_y;
    }
    return length;
}

// A matching entry that is deep enough answers with `if_valid`; one that passes the bound test
// but is too shallow still reports `if_mate`, so its move becomes the hint the next iteration
// tries first. An empty slot (depth 0) never answers, even for the empty board's key 0.
ALPHA_BETA PROBE_HASH(int key_value, int depth, U64 key_check, int alpha, int beta) {
    ALPHA_BETA probe;
#if defined(__wasm__)
    if (!slot_written(key_value))
        return probe;  // what an empty slot answers
#endif
    const U64 data = load_word(hash_tag[key_value].data);
    if ((load_word(hash_tag[key_value].lock) ^ data) != key_check)
    {
        probe.if_mate = false;
        return probe;
    }
    const int e_depth = depth_of(data), e_value = value_of(data);
    const int e_type = static_cast<int>(data >> 60 & 3);
    if (depth <= e_depth)
        probe.if_mate = true;
    // The stored move is only a hint: the generators boost it when it is on the board, and an
    // occupied point stays far below every empty one.
    probe.bestpos_x = static_cast<int>(data >> 48 & 63);
    probe.bestpos_y = static_cast<int>(data >> 54 & 63);
    const bool bound_holds =
        (e_type == 1 && alpha >= e_value) || (e_type == 2 && beta <= e_value) || e_type == 3;
    if (e_depth > 0 && bound_holds)
    {
        probe.value    = e_value;
        probe.if_valid = depth <= e_depth;
        probe.if_mate  = true;  // too shallow to answer, but its move is still the best guess
        return probe;
    }
    probe.if_mate = false;
    return probe;
}

// A strictly deeper entry stays; an equal or shallower one, or an empty slot, is overwritten.
// WebAssembly inlines it into the searches, as it did before the written-slot bits made it
// longer: a call there costs the caller its registers.
#if defined(__wasm__)
__attribute__((always_inline))
#endif
void RECORD_HASH(int key_value, U64 key_check, int depth, int type_, int value_, int bestposx,
                 int bestposy) {
    HashSlot& e = hash_tag[key_value];
#if defined(__wasm__)
    uint64_t& written  = hash_written[key_value >> 6];
    const uint64_t bit = uint64_t{1} << (key_value & 63);
    const int kept     = (written & bit) != 0 ? depth_of(load_word(e.data)) : 0;
    written |= bit;
#else
    const int kept = depth_of(load_word(e.data));
#endif
    if (kept > depth && kept != 0)
        return;
    const U64 data = pack_main(depth, type_, value_, bestposx, bestposy);
    store_word(e.data, data);
    store_word(e.lock, key_check ^ data);
}

namespace {

ALPHA_BETA probe_short(const HashSlot& e, U64 key_check, int depth) {
    ALPHA_BETA probe;
    const U64 data    = load_word(e.data);
    const int e_depth = static_cast<int>(data >> 32);
    if (depth <= e_depth && e_depth > 0 && (load_word(e.lock) ^ data) == key_check)
    {
        probe.if_mate = true;
        probe.value   = value_of(data);
    }
    return probe;
}

void record_short(HashSlot& e, U64 key_check, int depth, int value_) {
    const int kept = static_cast<int>(load_word(e.data) >> 32);
    if (kept > depth && kept != 0)
        return;
    const U64 data = pack_short(depth, value_);
    store_word(e.data, data);
    store_word(e.lock, key_check ^ data);
}

}  // namespace

ALPHA_BETA PROBE_HASH1(int key_value, U64 key_check, int depth) {
    return probe_short(hash_tag1[key_value], key_check, depth);
}

// The threat tables keep no move: bestposx and bestposy are accepted and ignored.
void RECORD_HASH1(int key_value, U64 key_check, int depth, int value_, int, int) {
    record_short(hash_tag1[key_value], key_check, depth, value_);
}

ALPHA_BETA PROBE_HASH2(int key_value, U64 key_check, int depth) {
    return probe_short(hash_tag2[key_value], key_check, depth);
}

void RECORD_HASH2(int key_value, U64 key_check, int depth, int value_, int, int) {
    record_short(hash_tag2[key_value], key_check, depth, value_);
}

void clear_hash_tables() {
    std::memset(hash_tag, 0, sizeof hash_tag);
    std::memset(hash_tag1, 0, sizeof hash_tag1);
    std::memset(hash_tag2, 0, sizeof hash_tag2);
#if defined(__wasm__)
    std::memset(hash_written, 0, sizeof hash_written);
#endif
}
