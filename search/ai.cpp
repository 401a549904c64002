// Hash tables (placeholder).
#include "search/ai.h"

HISTORY_MAP hash_tag[hash_cut];
SHORT_MAP hash_tag1[hash_cut2];
SHORT_MAP hash_tag2[hash_cut2];
U64 zobristcheck[200];
int zobristkey[200];

ALPHA_BETA PROBE_HASH(int, int, U64, int, int) { return {}; }
void RECORD_HASH(int, U64, int, int, int, int, int) {}
ALPHA_BETA PROBE_HASH1(int, U64, int) { return {}; }
void RECORD_HASH1(int, U64, int, int, int, int) {}
ALPHA_BETA PROBE_HASH2(int, U64, int) { return {}; }
void RECORD_HASH2(int, U64, int, int, int, int) {}
void set_root_key() {}
void set_child_key(int, int, int) {}
