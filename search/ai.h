// Position keys and the three direct-mapped hash tables of the searches.
//
// A key is the xor of random_number[c * n(x, y)] over the stones, n(x, y) = (y-1)*BOARDSIZE + x.
// Slot = key % 2,000,000. Stored depths grow with the game (writers add the move counter i),
// so a later move's entry replaces an older one; a depth of 0 marks an empty slot, and 10000
// marks a threat-search result proven for every depth. The tables are never cleared.
#pragma once

#include "search/random_number.h"

struct SearchThread;

// An entry of the main table as its readers see it.
struct HISTORY_MAP {
    int depth;
    int value;
    int bestpos_x;
    int bestpos_y;
    int hash_type;  // 1 upper bound, 2 lower bound, 3 exact
    U64 key;
};

// An entry of a threat table as its readers see it.
struct SHORT_MAP {
    int depth;
    int value;
    U64 key;
};

// A slot as stored: the entry's fields packed into `data`, and `lock` = key ^ data. Search
// threads write and read slots at once without a lock: each word is written and read whole,
// and a slot whose two words come from different writes fails the key test (its key comes
// out wrong) and reads as a miss. Main table: value in bits 0-31, depth 32-47, best x 48-53,
// best y 54-59, type 60-61. Threat tables: value in bits 0-31, depth 32-63.
struct HashSlot {
    U64 lock;
    U64 data;
};

struct ALPHA_BETA {
    int value     = 0;
    int bestpos_x = 0;
    int bestpos_y = 0;
    bool if_mate  = false;
    bool if_valid = false;
};

constexpr int hash_cut  = 2000000;
constexpr int hash_cut2 = 2000000;

extern HashSlot hash_tag[hash_cut];    // alpha-beta, plus proven threat results
extern HashSlot hash_tag1[hash_cut2];  // threat attack search
extern HashSlot hash_tag2[hash_cut2];  // threat defence search

#if defined(__wasm__)
// WebAssembly has no prefetch, and the first read of a slot is mostly a miss of every cache
// that stalls the search. One bit per slot of the main table tells the slots written since the
// tables were last cleared: a probe finds nothing in any other without reading it, a record
// writes one without reading it first, and only written slots are read ahead (most are not).
// The web engine searches on one thread.
extern uint64_t hash_written[(hash_cut + 63) / 64];
inline bool slot_written(int slot) { return (hash_written[slot >> 6] >> (slot & 63) & 1) != 0; }
#endif

// The entry in a slot of the main table, or of a threat table; an empty slot reads as depth 0
// and key 0.
HISTORY_MAP hash_entry(int slot);
SHORT_MAP short_entry(const HashSlot& slot);

// Empties the three tables, so the next search starts cold.
void clear_hash_tables();

ALPHA_BETA PROBE_HASH(int key_value, int depth, U64 key_check, int alpha, int beta);
void RECORD_HASH(int key_value, U64 key_check, int depth, int type_, int value, int bestposx,
                 int bestposy);
ALPHA_BETA PROBE_HASH1(int key_value, U64 key_check, int depth);
void RECORD_HASH1(int key_value, U64 key_check, int depth, int value, int bestposx, int bestposy);
ALPHA_BETA PROBE_HASH2(int key_value, U64 key_check, int depth);
void RECORD_HASH2(int key_value, U64 key_check, int depth, int value, int bestposx, int bestposy);

constexpr int STORED_LINE_MAX = 64;  // longest line stored_line gives

// The line the main table holds from thread t's root position on `un`: the engine's stone on
// (x, y),
// then each stored best move in turn while the entry matches its position and the point is
// empty and on the board. Writes at most `most` (up to STORED_LINE_MAX) points; returns how many.
// Reads the table only, so a line cut by a replaced entry is just shorter.
int stored_line(const SearchThread& t, int x, int y, int most, int* xs, int* ys);

// key % hash_cut in 32-bit steps, as WebAssembly computes a slot.
int slot_by_halves(U64 key);

// Key of the root position on `un`, stored in entry 1 of t's keys.
void set_root_key(SearchThread& t);
// Key after a stone of the side to move at depth d (code 1 odd, 2 even) lands on (x, y).
void set_child_key(SearchThread& t, int d, int x, int y);
// Slot that set_child_key(t, d, x, y) would give, for reading the entry ahead of time.
int child_slot(const SearchThread& t, int d, int x, int y);
