// Position keys and the three direct-mapped hash tables shared by the searches.
#include "search/ai.h"

#include <cstdint>
#include <cstring>

#include "game/Main.h"
#include "platform/platform.h"
#include "search/thread.h"

HISTORY_MAP hash_tag[hash_cut];
SHORT_MAP hash_tag1[hash_cut2];
SHORT_MAP hash_tag2[hash_cut2];

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

inline int slot_of(U64 key) { return static_cast<int>(key % static_cast<U64>(hash_cut)); }

}  // namespace

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

// Kept out of line: inlined into the searches' node loops it crowds their registers, and the
// call is cheaper than the reloads that follow.
__attribute__((noinline)) void set_child_key(SearchThread& t, int dep, int x, int y) {
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
        const HISTORY_MAP& e = hash_tag[slot_of(key)];
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
    const HISTORY_MAP& e = hash_tag[key_value];
    ALPHA_BETA probe;
    if (e.key != key_check)
    {
        probe.if_mate = false;
        return probe;
    }
    if (depth <= e.depth)
        probe.if_mate = true;
    probe.bestpos_x        = e.bestpos_x;
    probe.bestpos_y        = e.bestpos_y;
    const bool bound_holds = (e.hash_type == 1 && alpha >= e.value) ||
                             (e.hash_type == 2 && beta <= e.value) || e.hash_type == 3;
    if (e.depth > 0 && bound_holds)
    {
        probe.value    = e.value;
        probe.if_valid = depth <= e.depth;
        probe.if_mate  = true;  // too shallow to answer, but its move is still the best guess
        return probe;
    }
    probe.if_mate = false;
    return probe;
}

// A strictly deeper entry stays; an equal or shallower one, or an empty slot, is overwritten.
void RECORD_HASH(int key_value, U64 key_check, int depth, int type_, int value_, int bestposx,
                 int bestposy) {
    HISTORY_MAP& e = hash_tag[key_value];
    if (e.depth > depth && e.depth != 0)
        return;
    e.key       = key_check;
    e.hash_type = type_;
    e.depth     = depth;
    e.value     = value_;
    e.bestpos_x = bestposx;
    e.bestpos_y = bestposy;
}

namespace {

ALPHA_BETA probe_short(const SHORT_MAP& e, U64 key_check, int depth) {
    ALPHA_BETA probe;
    if (depth <= e.depth && e.depth > 0 && e.key == key_check)
    {
        probe.if_mate = true;
        probe.value   = e.value;
    }
    return probe;
}

void record_short(SHORT_MAP& e, U64 key_check, int depth, int value_) {
    if (e.depth > depth && e.depth != 0)
        return;
    e.key   = key_check;
    e.value = value_;
    e.depth = depth;
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
}
