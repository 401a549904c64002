// The searches. Their fast paths against plain definitions on random positions of every rule
// and board size: the generators' kept window credits and selection against a fresh scan and a
// full stable sort, MERGE_SORT against std::stable_sort, the running leaf score against
// SCORE_TABLE. Then short positions: the hash tables and keys, the alpha-beta search's scores,
// the threat searches' forced wins and losses within their depth and the marks they leave, and
// the clock, which may cut a search anywhere but never makes it claim what it has not proven.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "eval/score_table.h"
#include "game/timer.h"
#include "search/ai.h"
#include "search/movegen.h"
#include "search/quickdefend.h"
#include "search/quickkill.h"
#include "search/slowsearch.h"
#include "tests/support/picture.h"

namespace {

SearchThread& th = main_thread;  // the searches run on the main thread's state here

constexpr int SIZES[] = {10, 13, 15, 20, 25}, RULES[] = {1, 2, 4, 8, 9};
enum Gen { MOVECOM_G, MOVEPLA_G, MOC_G, MOP_G, MOVEP_G, MOVEC_G };
int (*const FAST[])(SearchThread&, int, int) = {MOVECOM, MOVEPLA, MOC, MOP, MOVEP, MOVEC};
const int OCCUPIED[]    = {-1000000000, -100000000, -10000000, -10000000, -100000000, -100000000};
const int* const FIVE[] = {nullptr, nullptr, strucKFive, strucKxFive, strucDxFive, strucDFive};
const int* const SIX[]  = {nullptr, nullptr, strucKSix, strucKxSix, strucDxSix, strucDSix};
const int* const SIX2[] = {nullptr, nullptr, nullptr, strucKySix, nullptr, strucDySix};

int rnd(int bound) { return std::rand() % bound; }

// The board points of jiazhi as (x * 100 + y, score), in cell-number order (y outer), then
// stably sorted highest first.
using Ranked = std::vector<std::pair<int, int>>;
Ranked stable_sorted() {
    Ranked p;
    for (int y = 1; y <= BOARDSIZE; ++y)
        for (int x = 1; x <= BOARDSIZE; ++x)
            p.emplace_back(x * 100 + y, th.jiazhi[x][y]);
    std::stable_sort(p.begin(), p.end(), [](auto a, auto b) { return a.second > b.second; });
    return p;
}

// jiazhi as the plain frame defines it: the start score on stones, proximity credit around the
// stones five lines in or more (alpha-beta generators only), and the credits of every window.
void plain_scores(Gen g) {
    const int n = BOARDSIZE;
    for (int x = 0; x <= n + 1; ++x)
        for (int y = 0; y <= n + 1; ++y)
            th.jiazhi[x][y] = th.un[x][y] != 0 ? OCCUPIED[g] : 0;
    for (int x = 5; g <= MOVEPLA_G && x <= n - 4; ++x)
        for (int y = 5; y <= n - 4; ++y)
            for (int nb = 0; nb < 9 && th.un[x][y] != 0; ++nb)
                for (int r = 1; r <= 2 && nb != 4; ++r)  // nb = 4 is the stone itself
                    th.jiazhi[x + r * (nb / 3 - 1)][y + r * (nb % 3 - 1)] += 3 - r;
    scan_windows(th, [g](const Window& w) {
        const EVA& e = (g == MOVECOM_G ? strucB : strucW)[w.i6];
        int first = e.edge, middle = e.center, last = e.edge;
        if (g >= MOC_G)  // the attacker's form, or the defender's with a second six-cell table
        {
            first  = FIVE[g][w.i5] + (SIX2[g] ? SIX[g][w.i6] : 0);
            middle = first + (SIX2[g] ? SIX2[g] : SIX[g])[w.i6];
            last   = SIX2[g] ? SIX[g][w.i6] : 0;
        }
        for (int k = 0; k <= 5; ++k)
            th.jiazhi[w.x + k * w.dx][w.y + k * w.dy] += k == 0 ? first : k == 5 ? last : middle;
    });
}

// The plain selection over jiazhi: a decisive point alone (freestyle threat generators), else
// the stable sort, a hint boosted first, cut at the first point under the threshold.
std::vector<int> plain_list(Gen g, int thr, int dep) {
    const int n = BOARDSIZE, hx = thr % 10000 / 100, hy = thr / 10000;
    int bx = 1, by = 1;  // the first best point in x-then-y order
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            if (th.jiazhi[x][y] > th.jiazhi[bx][by])
                bx = x, by = y;
    if (g >= MOC_G && gametype == 1 && th.jiazhi[bx][by] > 1999)
        return {bx * 100 + by};
    if (gametype == 1 &&
        ((g == MOC_G && dep >= th.DEPTH - 3) || (g == MOVEP_G && dep >= th.DEPTH1 - 3)))
        return {};
    int least = g == MOC_G ? (dep == 1 ? 20 : 50) : g == MOVEP_G ? 50 : 25;
    least     = g == MOVEP_G && dep == 2 && th.break_depth1 / 2 >= th.DEPTH1 ? 20 : least;
    least =
        (g == MOC_G && dep >= th.DEPTH - 9) || (g == MOVEP_G && dep >= th.DEPTH1 - 9) ? 100 : least;
    least           = g <= MOVEPLA_G ? 3 : least;
    const int boost = g <= MOVEPLA_G && thr > 8 && hx >= 1 && hx <= n && hy >= 1 && hy <= n;
    th.jiazhi[hx][hy] += boost * 1000000;
    const Ranked sorted = stable_sorted();
    th.jiazhi[hx][hy] -= boost * 1000000;
    const int cap = g <= MOVEPLA_G ? th.Nbranch[dep] : g == MOC_G || g == MOP_G ? 100 : 50;
    std::vector<int> list;
    for (int k = 0, best = 0; k < cap && k < n * n; ++k)
    {
        const int v = th.jiazhi[sorted[k].first / 100][sorted[k].first % 100];
        best        = k < 2 && g <= MOVEPLA_G ? std::max(best, v) : best;
        if (v < (gametype == 1 && best >= 15001 ? 2000 : least))
            break;
        list.push_back(sorted[k].first);
        if (gametype == 1 && best > 99999)  // a winning point among the first two ends the list
            break;
    }
    return list;
}

const char* const WIN  = "\nMESSAGE Certainly win...\n";
const char* const LOSE = "\nMESSAGE Certainly lose... \n";

// Lays a picture on qp and un of a fresh game under `rule`.
void lay(int x0, int y0, const char* pic, int rule = 1) {
    fresh_game(15, rule);
    draw(qp, x0, y0, pic);
    draw(th.un, x0, y0, pic);
}
// clang-format off
// Two closed threes meet at (5, 7): two fours at once, one of them completed on the first
// column. The opponent's at (8, 7) is held only at (8, 7), (9, 7) and (8, 8).
void double_four() { lay(1, 3, "....x/....o/....o/....o/.ooo.x///x"); }
void double_four_threat() { lay(4, 3, "....o/....x/....x/....x/oxxx.///o"); }
// Open twos crossing at (7, 7): two open threes at once, a double three (forbidden to black).
void double_three() { lay(4, 4, "/...o/...o/.oo//......x/x.....x"); }
// A split four at (9, 8) forces (8, 8); then (9, 7) makes two fours. No threes on the way.
void chain_of_fours() { lay(4, 4, ".....x/.....ox/.....o/......ooox/xooo/..x"); }
void root_five() { lay(3, 5, "xoooo./x"); }
// An open four of 'x': lost, unless the engine makes five first.
void open_four() { lay(4, 7, ".xxxx.//o....o"); }
void five_against_four() { lay(4, 7, ".xxxx.///oooo."); }
void empty_board() { fresh_game(15, 1); }
// No forced win for either side within 30 plies; deep threat searches take long.
void crowded() { lay(5, 5, "..x.o../.xoox../..xo.x./.o.xo../...o.x."); }
// Exactly five: the engine wins at (4, 8) or (9, 8); the opponent at (9, 8).
void engine_four() { lay(4, 8, ".oooo.////x.x.x.x", 2); }
void opponent_four() { lay(4, 8, "oxxxx.////o.o.o", 2); }
// clang-format on

// A run on clean tables that only its depth limits end.
void settings(int next_move, int max_depth) {
    clear_hash_tables();
    i         = next_move;
    MAX_DEPTH = MAX_DEPTH1 = MAX_LAYER = max_depth;
    MAX_TIME = 1000000, F_WID = 50, situation = 0.0;
    QUICK_SEARCH_DELAY = SLOW_SEARCH_DELAY = th.break_depth1 = 0;
    TIMER(1);
}

std::string run(int (*search)(SearchThread&)) {
    testing::internal::CaptureStdout();
    search(th);
    return testing::internal::GetCapturedStdout();
}

int jz_sum() { return std::accumulate(&jz[0][0], &jz[0][0] + JZ_SIDE * JZ_SIDE, 0); }

}  // namespace

TEST(FastPaths, GeneratorsSortAndLeafScoreMatchTheirPlainDefinitions) {
    std::srand(20261206);
    for (int trial = 0; trial < 100; ++trial)
    {
        const int n = SIZES[trial % 5];
        fresh_game(n, RULES[trial / 5 % 5]);
        i = 1 + trial / 25 % 2;
        if (trial % 2 == 0)
            forget_credits(th);
        GENERATE_SCORE_TABLE(th, 1 + rnd(9));
        for (int step = 0; step < 40; ++step)
        {
            // Stones come near the middle (or anywhere, now and then), or go, or turn over;
            // several at once now and then, as when a search returns from deep down.
            for (int c_ = rnd(4) == 0 ? 4 : 1; c_ > 0; --c_)
            {
                const int x = 1 + rnd(n), y = 1 + rnd(n), far = rnd(4) == 0;
                const int px = far ? x : n / 2 + rnd(7) - 3, py = far ? y : n / 2 + rnd(7) - 3;
                if (th.un[x][y] != 0 && rnd(3) > 0)
                    th.un[x][y] = static_cast<char>(rnd(4) == 0 ? 3 - th.un[x][y] : 0);
                else if (th.un[px][py] == 0)
                    th.un[px][py] = static_cast<char>(1 + rnd(2));
            }
            if (rnd(20) == 0)  // a new iteration: the leaf table changes
                GENERATE_SCORE_TABLE(th, 1 + rnd(9));
            ASSERT_EQ(leaf_score(th), SCORE_TABLE(th)) << "trial " << trial << " step " << step;

            const Gen g   = static_cast<Gen>(rnd(6));
            const int dep = 1 + rnd(12), pick = rnd(4), hx = 1 + rnd(n), hy = 1 + rnd(n);
            GENERATE_WIDTH(th, 1 + rnd(17));
            th.DEPTH = 4 + 2 * rnd(5), th.DEPTH1 = 3 + 2 * rnd(5), th.break_depth1 = 2 * rnd(12);
            // No hint, thr 1..8 (no hint either), or a hint anywhere, stones included.
            const int thr   = pick == 0 ? 0 : pick == 1 ? 1 + rnd(8) : hy * 10000 + hx * 100;
            const int count = FAST[g](th, thr, dep);
            std::vector<int> fast;  // every slot set, up to the 100 a generator may use
            for (int k = 1; k <= 100; ++k)
                if ((th.nex[k][dep] | th.ney[k][dep]) != 0)
                    fast.push_back(th.nex[k][dep] * 100 + th.ney[k][dep]);
            // The alpha-beta nodes' lists, written only as far as asked: the same list.
            std::vector<int> on_demand;
            if (g == MOVECOM_G || g == MOVEPLA_G)
            {
                const int made =
                    (g == MOVECOM_G ? MOVECOM_on_demand : MOVEPLA_on_demand)(th, thr, dep);
                ASSERT_EQ(made, count) << "on demand, generator " << g << " trial " << trial;
                for (int k = 1; k <= made; ++k)
                {
                    need_candidates(th, dep, k);
                    on_demand.push_back(th.nex[k][dep] * 100 + th.ney[k][dep]);
                }
            }
            std::vector<int> fast_scores(&th.jiazhi[0][0], &th.jiazhi[0][0] + JZ_SIDE * JZ_SIDE);
            plain_scores(g);
            MERGE_SORT(th);
            Ranked merged;
            for (int k = 1; k <= n * n; ++k)
                merged.emplace_back(th.point[k].posx * 100 + th.point[k].posy, th.point[k].val);
            ASSERT_EQ(merged, stable_sorted()) << "MERGE_SORT, trial " << trial << " step " << step;
            for (int x = 0; x <= n + 1; ++x)
                ASSERT_TRUE(
                    std::equal(th.jiazhi[x], th.jiazhi[x] + n + 2, &fast_scores[x * JZ_SIDE]))
                    << "generator " << g << " trial " << trial << " step " << step << " x " << x;
            ASSERT_EQ(fast, plain_list(g, thr, dep)) << "generator " << g << " trial " << trial;
            ASSERT_EQ(count, static_cast<int>(fast.size())) << "generator " << g;
            ASSERT_EQ(on_demand, g <= MOVEPLA_G ? fast : std::vector<int>())
                << "on demand, generator " << g << " trial " << trial;
        }
    }
}

TEST(FastPaths, TiesFollowTheirOrder) {
    // An anti-diagonal open four: its two ends, (3, 9) and (8, 4), score alike. The freestyle
    // shortcut takes the first in x-then-y order; the list keeps ties in cell-number order.
    for (const int rule : {1, 2})
    {
        fresh_game(15, rule);
        draw(th.un, 4, 5, "...o/..o./.o../o...");
        th.DEPTH = 50;
        MOC(th, 0, 1);
        EXPECT_EQ(th.nex[1][1] * 100 + th.ney[1][1], rule == 1 ? 309 : 804) << "rule " << rule;
    }
}

TEST(HashTables, SlotsFromThirtyTwoBitStepsAreTheRemainder) {
    // The WebAssembly build's slot must be the native one: keys at the edges of each step, then
    // a stream of scrambled ones.
    std::vector<U64> keys = {0,
                             1,
                             127,
                             128,
                             1999999,
                             2000000,
                             0xFFFFFFFFull,
                             0x100000000ull,
                             ~0ull,
                             1ull << 63,
                             (1ull << 39) - 1,
                             0x7FFFFFFFFFFFFF80ull};
    U64 x                 = 0x9E3779B97F4A7C15ull;
    for (int k = 0; k < 100000; ++k)
        keys.push_back(x = x * 6364136223846793005ull + 1442695040888963407ull);
    for (const U64 key : keys)
        ASSERT_EQ(slot_by_halves(key), static_cast<int>(key % hash_cut)) << key;
}

TEST(HashTables, DeeperEntriesStayAndBoundsAnswerOnlyWithinTheirWindow) {
    // Depths of two records in turn, values 1 and 2, and the value kept: a strictly deeper stays.
    const int replace[][3] = {{5, 5, 2}, {5, 6, 2}, {6, 5, 1}, {10000, 9999, 1}, {10000, 10000, 2}};
    for (const auto& r : replace)
    {
        hash_tag[7] = {}, hash_tag1[7] = {};
        RECORD_HASH(7, 1, r[0], 3, 1, 1, 1);
        RECORD_HASH1(7, 1, r[0], 1, 0, 0);
        RECORD_HASH(7, 2, r[1], 3, 2, 2, 1);
        RECORD_HASH1(7, 2, r[1], 2, 0, 0);
        const HISTORY_MAP main = hash_entry(7);
        const SHORT_MAP threat = short_entry(hash_tag1[7]);
        EXPECT_TRUE(main.key == U64(r[2]) && main.bestpos_x == r[2] && threat.value == r[2] &&
                    threat.depth == std::max(r[0], r[1]))
            << r[0] << " then " << r[1];
    }
    // Type (1 upper, 2 lower bound, 3 exact), alpha, beta and probe depth against 100 stored at
    // depth 7; then if_mate and if_valid. Too shallow, a bound that holds is still a hint.
    const int probe[][6] = {{1, 100, 200, 7, 1, 1}, {1, 99, 200, 7, 0, 0}, {2, 0, 100, 7, 1, 1},
                            {2, 0, 101, 7, 0, 0},   {3, -5, 5, 7, 1, 1},   {3, -5, 5, 8, 1, 0},
                            {1, 99, 200, 8, 0, 0}};
    hash_tag[7]          = {};
    for (const auto& p : probe)
    {
        RECORD_HASH(7, 9, 7, p[0], 100, 6, 9);  // over an entry of depth 7 or less
        const ALPHA_BETA a = PROBE_HASH(7, p[3], 9, p[1], p[2]);
        EXPECT_TRUE(a.if_mate == p[4] && (!p[4] || (a.if_valid == p[5] && a.value == 100 &&
                                                    a.bestpos_x == 6 && a.bestpos_y == 9)))
            << "type " << p[0] << " window " << p[1] << ".." << p[2] << " depth " << p[3];
    }
    // A slot read while another thread writes it: its two words from two different writes.
    // Neither position gets an answer from it, nor a move.
    RECORD_HASH(7, 11, 50, 3, 100, 6, 9);
    const HashSlot first = hash_tag[7];
    RECORD_HASH(7, 12, 60, 3, -100, 2, 3);
    hash_tag[7].lock = first.lock;
    EXPECT_FALSE(PROBE_HASH(7, 1, 11, -5, 5).if_mate || PROBE_HASH(7, 1, 12, -5, 5).if_mate);
    RECORD_HASH2(7, 11, 50, 1, 0, 0);
    const HashSlot threat = hash_tag2[7];
    RECORD_HASH2(7, 12, 60, -1, 0, 0);
    hash_tag2[7].data = threat.data;
    EXPECT_FALSE(PROBE_HASH2(7, 11, 1).if_mate || PROBE_HASH2(7, 12, 1).if_mate);
    hash_tag[7] = {}, hash_tag2[7] = {};
    hash_tag[0] = {}, hash_tag2[0] = {};  // an empty slot never answers, even for key 0
    EXPECT_FALSE(PROBE_HASH(0, 1, 0, -5, 5).if_mate || PROBE_HASH2(0, 0, 0).if_mate);
}

TEST(SlowSearch, ScoresOfWinsAndLossesByDepth) {
    // Who wins (1 the engine, 0 the opponent), the depth of the node and of the iteration, score.
    // clang-format off
    const int cases[][4] = {
        {1, 3, 3, 499700},  // the engine wins by its move at depth 3: 500000 - 100 * dep
        {0, 2, 3, -20000},  // the opponent wins at depth 2: -(LAYER + 1 - dep) * 10000
        {0, 4, 6, -30000},  // at depth 4 of iteration 6
    };
    // clang-format on
    for (const auto& r : cases)
    {
        const int dep = r[1];
        r[0] ? engine_four() : opponent_four();
        settings(10, th.LAYER = r[2]);
        GENERATE_WIDTH(th, th.LAYER);
        GENERATE_SCORE_TABLE(th, th.LAYER);
        set_root_key(th);
        th.zobristcheck[dep] = th.zobristcheck[1], th.zobristkey[dep] = th.zobristkey[1];
        EXPECT_EQ(DFS(th, 0, dep, -10000000, 10000000), r[3])
            << "depth " << dep << " of " << th.LAYER;
        // The position after the winning move is stored as exact, one deeper than the node.
        const HISTORY_MAP e = hash_entry(th.zobristkey[dep + 1]);
        EXPECT_TRUE(e.key == th.zobristcheck[dep + 1] && e.hash_type == 3 &&
                    e.depth == th.LAYER + i + 1 && e.value == r[3])
            << "depth " << dep << " of " << th.LAYER;
    }
    // Keys: stones added at depths 1 (the engine's) and 2 on the fly, or the board keyed anew.
    double_three();
    set_root_key(th);
    set_child_key(th, 1, 9, 9);
    set_child_key(th, 2, 10, 3);
    const U64 on_the_fly = th.zobristcheck[3];
    th.un[9][9] = 1, th.un[10][3] = 2;
    set_root_key(th);
    EXPECT_TRUE(th.zobristcheck[1] == on_the_fly && th.zobristkey[1] == int(on_the_fly % 2000000));
}

TEST(SlowSearch, RootScores) {
    // The engine's open four under exactly five: both ends win at once and score 1,000,000 unless
    // ruled out (jz under -599,999) or no iteration runs.
    const int cases[][3] = {
        {3, 0, 1000000}, {3, -600000, -600000}, {3, -599999, 400001}, {0, 7, 7}};
    for (const auto& r : cases)  // MAX_LAYER, jz of both ends before, after
    {
        engine_four();
        settings(10, r[0]);
        jz[9][8] = jz[4][8] = r[1], jz[0][0] = 5;
        SLOWSEARCH(th);
        EXPECT_EQ(th.break_depth, r[0]);
        EXPECT_TRUE(jz[9][8] == r[2] && jz[4][8] == r[2] && jz[0][0] == 5) << r[1];
    }
    // Against the opponent's four only the block keeps the game: every other move loses at
    // depth 2 (-10,000 with the full window, one below the best so far after a null window).
    opponent_four();
    settings(10, 2);
    SLOWSEARCH(th);
    int alpha = -10000000;
    for (int a = 1; a <= 10; ++a)
    {
        const int x = th.nex[a][1], y = th.ney[a][1], block = x == 9 && y == 8;
        const int v = block ? jz[x][y] - 500000 : a == 1 ? -10000 : alpha - 1;
        alpha       = std::max(alpha, v);
        EXPECT_EQ(jz[x][y], v + 500000) << x << "," << y;
    }
    EXPECT_GT(jz[9][8], 490000) << "the block scores best";
}

TEST(ThreatSearches, ForcedWinsAndLossesWithinTheDepth) {
    struct Case {
        void (*position)();
        int rule, next_move, max_depth;
        bool kill;                   // QUICKKILL, else QUICKDEFEND
        const char* message;         // what it prints
        int reached, x, y, at, sum;  // break depth, jz of (x, y) and of the whole board
        const char* why;
    };
    const int mark = 10500000;
    // clang-format off
    const Case cases[] = {
        {chain_of_fours, 1, 10, 4, true, "", 4, 0, 0, 0, 0, "four, block, double four: too deep"},
        {chain_of_fours, 1, 10, 6, true, WIN, 6, 9, 8, mark, mark, "the second iteration finds it"},
        {double_three, 1, 10, 8, true, WIN, 6, 7, 7, mark, mark, "three, four, five: found at 6"},
        {double_four, 1, 10, 10, true, WIN, 4, 5, 7, mark, mark, "a double four: found at once"},
        {double_four, 4, 11, 6, true, "", 6, 0, 0, 0, 0, "renju: black may not, whatever follows"},
        {root_five, 2, 10, 20, true, WIN, 4, 8, 5, mark, mark, "a five at the root, any depth"},
        {root_five, 1, 10, 3, true, "", 0, 0, 0, 0, 0, "no iteration below depth four"},
        // A losing candidate loses (stop - found) * 10000 + 50000, the deepening stopping at
        // MAX_DEPTH1 + 2; when every candidate loses all get 500,000 back. 3 of 50 hold here.
        {double_four_threat, 1, 10, 3, false, "", 3, 0, 0, 0, 0, "three plies cannot see it"},
        {double_four_threat, 1, 10, 5, false, "", 5, 8, 7, 0, -70000 * 47, "found at 5, stop 7"},
        {double_four_threat, 1, 10, 9, false, LOSE, 9, 8, 7, 430000, 430000 * 3 + 390000 * 47,
         "the holders lose at 9 (70,000 off), the rest at 5 (110,000 off); all are lifted"},
        {double_three, 4, 11, 3, false, "", 3, 7, 7, -100000, -100000, "black: forbidden"},
        {double_three, 4, 10, 3, false, "", 3, 7, 7, 0, 0, "white: the same point is fine"},
        {open_four, 1, 10, 3, false, LOSE, 3, 9, 7, 430000, 430000, "lost whatever it does"},
        {five_against_four, 1, 10, 3, false, "", 3, 8, 10, 0, 0, "a five ends the game first"},
        {empty_board, 1, 3, 5, false, LOSE, 5, 0, 0, 0, 0, "no candidate at all is a loss"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        tc.position();
        gametype = tc.rule;
        settings(tc.next_move, tc.max_depth);
        EXPECT_EQ(run(tc.kill ? QUICKKILL : QUICKDEFEND), tc.message) << tc.why;
        EXPECT_EQ(tc.kill ? th.break_depth1 : th.break_depth2, tc.reached) << tc.why;
        EXPECT_TRUE(jz[tc.x][tc.y] == tc.at && jz_sum() == tc.sum) << tc.why << ": " << jz_sum();
    }
    // A proven win is stored for good and, exact, for the alpha-beta search (depth i + DEPTH + 5);
    // the next move's attack search reads it back, from depth 5 on.
    double_three();
    settings(10, 6);
    run(QUICKKILL);
    for (int slot = 0; slot < hash_cut; ++slot)
    {
        const HISTORY_MAP e = hash_entry(slot);
        ASSERT_TRUE(e.depth == 0 || (e.depth == 21 && e.hash_type == 3 && e.value == 100000));
    }
    i = 12;
    EXPECT_TRUE(run(QUICKKILL) == WIN && th.mate_node1 > 0) << th.mate_node1 << " table answers";
}

TEST(ThreatSearches, TheClockNeverMakesThemClaimAResult) {
    // Out of time from the start: a node answers nothing, however plain its result.
    for (void (*position)() : {double_four, double_four_threat})
    {
        position();
        settings(10, 9);
        MAX_TIME = 0, QUICK_SEARCH_DELAY = 10, th.DEPTH = th.DEPTH1 = 10;
        EXPECT_EQ(position == double_four ? DFS_2(th, 0, 1) : DFS_3(th, 0, 2), 0);
        EXPECT_EQ(run(QUICKKILL), run(QUICKDEFEND));  // neither prints anything
        EXPECT_TRUE(situation == 0.0 && jz_sum() == 0 && th.break_depth1 == 0 &&
                    th.break_depth2 == 0);
    }
    // Of the budget, the attack search owns a fifth, the defence two fifths, less the margin.
    for (const int margin : {19000, 20001, 39000, 40001})
    {
        const bool kill = margin < 30000;
        kill ? double_four() : double_four_threat();
        settings(10, 5);
        MAX_TIME = 100000, QUICK_SEARCH_DELAY = margin;
        const bool found = run(kill ? QUICKKILL : QUICKDEFEND) == WIN || th.break_depth2 == 5;
        EXPECT_EQ(found, margin % 1000 == 0) << "margin " << margin;
    }
    // Short budgets cut long searches anywhere; there is no win or loss to find here. A cut
    // iteration of the attack search does not count as done.
    for (int budget = 5; budget <= 60; budget += 5)
    {
        crowded();
        settings(10, 40);
        MAX_TIME = budget;
        EXPECT_EQ(run(QUICKKILL), "") << budget << " ms";
        EXPECT_LT(th.break_depth1, th.DEPTH) << budget << " ms: the cut iteration is not done";
        EXPECT_EQ(run(QUICKDEFEND), "") << budget << " ms";
    }
}
