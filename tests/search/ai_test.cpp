// Position keys and the replacement and probe rules of the three hash tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "eval/score_table.h"
#include "search/ai.h"
#include "tests/support/picture.h"

namespace {

void clear_search_tables() {
    std::memset(hash_tag, 0, sizeof hash_tag);
    std::memset(hash_tag1, 0, sizeof hash_tag1);
    std::memset(hash_tag2, 0, sizeof hash_tag2);
}

constexpr int SLOT = 12345;
constexpr U64 KEY  = 0x0123456789abcdefULL;

}  // namespace

TEST(HashTables, EmptySlotNeverAnswersEvenForKeyZero) {
    clear_search_tables();
    const ALPHA_BETA main_probe = PROBE_HASH(0, 1, 0, -10000000, 10000000);
    EXPECT_FALSE(main_probe.if_mate);
    EXPECT_FALSE(PROBE_HASH1(0, 0, 1).if_mate);
    EXPECT_FALSE(PROBE_HASH2(0, 0, 0).if_mate);
    // An empty board has key 0 and slot 0.
    fresh_game(15, 1);
    set_root_key();
    EXPECT_EQ(zobristcheck[1], 0u);
    EXPECT_EQ(zobristkey[1], 0);
}

TEST(HashTables, ReplacementKeepsOnlyStrictlyDeeperEntries) {
    struct Case {
        int first_depth, second_depth, kept_value;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {5, 5, 2, "equal depth overwrites"},
        {5, 6, 2, "deeper overwrites"},
        {6, 5, 1, "shallower over a non-empty entry is dropped"},
        {10000, 9999, 1, "a proven result stays"},
        {10000, 10000, 2, "only another proof replaces a proof"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        clear_search_tables();
        RECORD_HASH(SLOT, KEY, tc.first_depth, 3, 1, 4, 4);
        RECORD_HASH(SLOT, KEY + 1, tc.second_depth, 3, 2, 5, 5);
        EXPECT_EQ(hash_tag[SLOT].value, tc.kept_value) << tc.why;
        EXPECT_EQ(hash_tag[SLOT].key, tc.kept_value == 1 ? KEY : KEY + 1) << tc.why;
        EXPECT_EQ(hash_tag[SLOT].bestpos_x, tc.kept_value == 1 ? 4 : 5) << tc.why;
        for (SHORT_MAP* table : {hash_tag1, hash_tag2})
        {
            if (table == hash_tag1)
            {
                RECORD_HASH1(SLOT, KEY, tc.first_depth, 1, 4, 4);
                RECORD_HASH1(SLOT, KEY + 1, tc.second_depth, 2, 5, 5);
            }
            else
            {
                RECORD_HASH2(SLOT, KEY, tc.first_depth, 1, 4, 4);
                RECORD_HASH2(SLOT, KEY + 1, tc.second_depth, 2, 5, 5);
            }
            EXPECT_EQ(table[SLOT].value, tc.kept_value) << tc.why;
            EXPECT_EQ(table[SLOT].depth, std::max(tc.first_depth, tc.second_depth)) << tc.why;
        }
    }
}

TEST(HashTables, BoundTypesAnswerOnlyInsideTheirWindow) {
    struct Case {
        int type, stored, alpha, beta, probe_depth;
        bool mate, valid;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {1, 100, 100, 200, 7, true, true, "upper bound at or below alpha"},
        {1, 100, 99, 200, 7, false, false, "upper bound above alpha"},
        {2, 100, 0, 100, 7, true, true, "lower bound at or above beta"},
        {2, 100, 0, 101, 7, false, false, "lower bound below beta"},
        {3, 100, -500, 500, 7, true, true, "exact always"},
        {3, 100, -500, 500, 8, true, false, "too shallow: the move is still a hint"},
        {1, 100, 99, 200, 8, false, false, "too shallow and outside the bound: nothing"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        clear_search_tables();
        RECORD_HASH(SLOT, KEY, 7, tc.type, tc.stored, 6, 9);
        const ALPHA_BETA probe = PROBE_HASH(SLOT, tc.probe_depth, KEY, tc.alpha, tc.beta);
        EXPECT_EQ(probe.if_mate, tc.mate) << tc.why;
        if (tc.mate)
        {
            EXPECT_EQ(probe.if_valid, tc.valid) << tc.why;
            EXPECT_EQ(probe.value, tc.stored) << tc.why;
            EXPECT_EQ(probe.bestpos_x, 6) << tc.why;
            EXPECT_EQ(probe.bestpos_y, 9) << tc.why;
        }
        EXPECT_FALSE(PROBE_HASH(SLOT, 7, KEY ^ 1, -500, 500).if_mate) << "other key: " << tc.why;
    }
}

TEST(HashTables, ThreatTableHitsNeedDepthAndKey) {
    clear_search_tables();
    RECORD_HASH1(SLOT, KEY, 10000, 1, 0, 0);
    RECORD_HASH1(SLOT, KEY + 1, 40, 0, 0, 0);  // a later ordinary record leaves the proof
    const ALPHA_BETA proven = PROBE_HASH1(SLOT, KEY, 9999);
    EXPECT_TRUE(proven.if_mate);
    EXPECT_EQ(proven.value, 1);
    EXPECT_FALSE(PROBE_HASH1(SLOT, KEY + 1, 40).if_mate);
    RECORD_HASH2(SLOT, KEY, 30, -1, 0, 0);
    EXPECT_TRUE(PROBE_HASH2(SLOT, KEY, 30).if_mate);
    EXPECT_FALSE(PROBE_HASH2(SLOT, KEY, 31).if_mate);
}

TEST(HashTables, ChildKeysMatchRootKeysAndSidesOverlap) {
    fresh_game(15, 1);
    put_picture(un, 6, 6, {"ox.", ".o.", "x.x"});
    set_root_key();
    // Engine stone at depth 1, opponent stone at depth 2, then the same from scratch.
    set_child_key(1, 9, 9);
    set_child_key(2, 10, 3);
    un[9][9]              = 1;
    un[10][3]             = 2;
    const U64 incremental = zobristcheck[3];
    const int slot        = zobristkey[3];
    set_root_key();
    EXPECT_EQ(zobristcheck[1], incremental);
    EXPECT_EQ(zobristkey[1], slot);
    EXPECT_EQ(slot, static_cast<int>(incremental % 2000000));

    // Code 2 on cell n and code 1 on cell 2n change the key by the same number:
    // (3, 1) is cell 3, (6, 1) is cell 6.
    fresh_game(15, 1);
    un[3][1] = 2;
    set_root_key();
    const U64 code2_on_3 = zobristcheck[1];
    fresh_game(15, 1);
    un[6][1] = 1;
    set_root_key();
    EXPECT_EQ(zobristcheck[1], code2_on_3);
    EXPECT_NE(code2_on_3, 0u);
}

TEST(HashTables, HoldTenThousandEntries) {
    clear_search_tables();
    for (int k = 0; k < 10000; ++k)
        RECORD_HASH(k * 199, static_cast<U64>(k) * 2000000 + static_cast<U64>(k * 199), 5 + k % 3,
                    3, k, k % 15 + 1, 1);
    for (int k = 0; k < 10000; ++k)
    {
        const U64 key          = static_cast<U64>(k) * 2000000 + static_cast<U64>(k * 199);
        const ALPHA_BETA probe = PROBE_HASH(static_cast<int>(key % 2000000), 5, key, 0, 0);
        ASSERT_TRUE(probe.if_mate && probe.if_valid) << k;
        ASSERT_EQ(probe.value, k);
        ASSERT_EQ(probe.bestpos_x, k % 15 + 1);
    }
}
