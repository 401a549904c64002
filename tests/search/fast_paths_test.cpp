// The fast paths of the searches against their plain definitions, on random positions of every
// rule and several board sizes: window credits kept from call to call against a fresh scan and
// a full stable sort, the running leaf score against SCORE_TABLE, the forbidden-move check read
// in place against the copied layer, and the five test against a scan of every cell.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "eval/pattern_tables.h"
#include "eval/score_table.h"
#include "eval/situa.h"
#include "rules/check_ban.h"
#include "search/movegen.h"
#include "search/quickdefend.h"
#include "search/quickkill.h"
#include "tests/support/picture.h"

namespace {

constexpr int RULES[] = {1, 2, 4, 8, 9};
constexpr int SIZES[] = {10, 13, 15, 20, 25};

enum Gen { MOVECOM_G, MOVEPLA_G, MOC_G, MOP_G, MOVEP_G, MOVEC_G, GEN_NB };
const char* const GEN_NAME[GEN_NB] = {"MOVECOM", "MOVEPLA", "MOC", "MOP", "MOVEP", "MOVEC"};

int random_below(int bound) { return std::rand() % bound; }

// jiazhi as the plain frame defines it: start scores, proximity credit (alpha-beta generators
// only) and the scan of every window of the board.
void plain_scores(Gen g) {
    const int n                = BOARDSIZE;
    const int occupied[GEN_NB] = {-1000000000, -100000000, -10000000,
                                  -10000000,   -100000000, -100000000};
    for (int x = 0; x <= n + 1; ++x)
        for (int y = 0; y <= n + 1; ++y)
            jiazhi[x][y] = un[x][y] != 0 ? occupied[g] : 0;
    if (g == MOVECOM_G || g == MOVEPLA_G)
        for (int x = 5; x <= n - 4; ++x)
            for (int y = 5; y <= n - 4; ++y)
                if (un[x][y] != 0)
                    for (int dx = -1; dx <= 1; ++dx)
                        for (int dy = -1; dy <= 1; ++dy)
                            if (dx != 0 || dy != 0)
                            {
                                jiazhi[x + dx][y + dy] += 2;
                                jiazhi[x + 2 * dx][y + 2 * dy] += 1;
                            }
    scan_windows([g](const Window& w) {
        int first = 0, middle = 0, last = 0;
        switch (g)
        {
        case MOVECOM_G: first = last = strucB[w.i6].edge, middle = strucB[w.i6].center; break;
        case MOVEPLA_G: first = last = strucW[w.i6].edge, middle = strucW[w.i6].center; break;
        case MOC_G: first = strucKFive[w.i5], middle = first + strucKSix[w.i6]; break;
        case MOVEP_G: first = strucDxFive[w.i5], middle = first + strucDxSix[w.i6]; break;
        case MOP_G:
            first  = strucKxFive[w.i5] + strucKxSix[w.i6];
            middle = first + strucKySix[w.i6];
            last   = strucKxSix[w.i6];
            break;
        default:
            first  = strucDFive[w.i5] + strucDSix[w.i6];
            middle = first + strucDySix[w.i6];
            last   = strucDSix[w.i6];
            break;
        }
        jiazhi[w.x][w.y] += first;
        for (int k = 1; k <= 4; ++k)
            jiazhi[w.x + k * w.dx][w.y + k * w.dy] += middle;
        jiazhi[w.x + 5 * w.dx][w.y + 5 * w.dy] += last;
    });
}

// The plain selection of every generator over jiazhi (MERGE_SORT and the thresholds, in order).
std::vector<int> plain_list(Gen g, int thr, int dep) {
    const int n = BOARDSIZE;
    std::vector<int> list;  // x * 100 + y per candidate
    if (g == MOVECOM_G || g == MOVEPLA_G)
    {
        const int hy = thr / 10000, hx = (thr % 10000) / 100;
        const bool hint = thr > 8 && hx >= 1 && hx <= n && hy >= 1 && hy <= n;
        jiazhi[hx][hy] += hint ? 1000000 : 0;
        MERGE_SORT();
        jiazhi[hx][hy] -= hint ? 1000000 : 0;
        const int last = Nbranch[dep] < n * n ? Nbranch[dep] : n * n;
        int best       = 0;
        for (int k = 1; k <= last; ++k)
        {
            const int v = jiazhi[point[k].posx][point[k].posy];
            if (k < 3)
            {
                best = v > best ? v : best;
                if (best > 99999 && gametype == 1)
                {
                    list.push_back(point[k].posx * 100 + point[k].posy);
                    return list;
                }
            }
            if ((best >= 15001 && gametype == 1) ? v < 2000 : v < 3)
                return list;
            list.push_back(point[k].posx * 100 + point[k].posy);
        }
        return list;
    }
    if (gametype == 1)
    {
        int best = jiazhi[1][1], bx = 1, by = 1;
        for (int x = 1; x <= n; ++x)
            for (int y = 1; y <= n; ++y)
                if (jiazhi[x][y] > best)
                    best = jiazhi[x][y], bx = x, by = y;
        if (best > 1999)
            return {bx * 100 + by};
        if ((g == MOC_G && dep >= DEPTH - 3) || (g == MOVEP_G && dep >= DEPTH1 - 3))
            return list;
    }
    MERGE_SORT();
    const int cap = (g == MOC_G || g == MOP_G) ? 100 : 50;
    for (int k = 1; k <= cap; ++k)
    {
        const int v = point[k].val;
        bool stop   = v < 25;
        if (g == MOC_G)
            stop = (dep == 1 && v < 20) || (dep > 1 && v < 50) || (dep >= DEPTH - 9 && v < 100);
        if (g == MOVEP_G)
            stop = v < ((dep == 2 && break_depth1 / 2 >= DEPTH1) ? 20 : 50) ||
                   (dep >= DEPTH1 - 9 && v < 100);
        if (stop)
            break;
        list.push_back(point[k].posx * 100 + point[k].posy);
    }
    return list;
}

int run_fast(Gen g, int thr, int dep) {
    switch (g)
    {
    case MOVECOM_G: return MOVECOM(thr, dep);
    case MOVEPLA_G: return MOVEPLA(thr, dep);
    case MOC_G: return MOC(thr, dep);
    case MOP_G: return MOP(thr, dep);
    case MOVEP_G: return MOVEP(thr, dep);
    default: return MOVEC(thr, dep);
    }
}

// A stone near the others (or anywhere, now and then), so that runs and threats form.
void random_change(int n) {
    const int x = 1 + random_below(n), y = 1 + random_below(n);
    if (un[x][y] != 0 && random_below(3) > 0)
    {
        un[x][y] = random_below(4) == 0 ? static_cast<char>(3 - un[x][y]) : 0;
        return;
    }
    const int cx = n / 2 + random_below(7) - 3, cy = n / 2 + random_below(7) - 3;
    const int px = random_below(4) == 0 ? x : cx, py = random_below(4) == 0 ? y : cy;
    if (un[px][py] == 0)
        un[px][py] = static_cast<char>(1 + random_below(2));
}

}  // namespace

TEST(FastPaths, GeneratorsMatchTheFullScanAndSort) {
    std::srand(20261206);
    int compared = 0;
    for (int trial = 0; trial < 100; ++trial)
    {
        const int n = SIZES[trial % 5];
        fresh_game(n, RULES[(trial / 5) % 5]);
        if (trial % 2 == 0)
            forget_credits();
        for (int step = 0; step < 40; ++step)
        {
            // Several changes at once now and then, as when a search returns from deep down.
            for (int c_ = random_below(4) == 0 ? 4 : 1; c_ > 0; --c_)
                random_change(n);
            const Gen g   = static_cast<Gen>(random_below(GEN_NB));
            const int dep = 1 + random_below(12);
            GENERATE_WIDTH(1 + random_below(17));
            DEPTH          = 4 + 2 * random_below(5);
            DEPTH1         = 3 + 2 * random_below(5);
            break_depth1   = 2 * random_below(12);
            const int pick = random_below(4);
            const int hx = 1 + random_below(n), hy = 1 + random_below(n);
            // No hint, thr 1..8 (no hint either), or a hint anywhere, stones included.
            const int thr = pick == 0 ? 0 : pick == 1 ? 1 + random_below(8) : hy * 10000 + hx * 100;

            const int count = run_fast(g, thr, dep);
            int fast_scores[JZ_SIDE][JZ_SIDE];
            std::memcpy(fast_scores, jiazhi, sizeof jiazhi);
            std::vector<int> fast;
            for (int k = 1; k <= count; ++k)
                fast.push_back(nex[k][dep] * 100 + ney[k][dep]);
            for (int k = count + 1; k <= 100; ++k)
                ASSERT_EQ(nex[k][dep] | ney[k][dep], 0) << GEN_NAME[g] << " slot " << k;

            plain_scores(g);
            for (int x = 0; x <= n + 1; ++x)
                for (int y = 0; y <= n + 1; ++y)
                    ASSERT_EQ(fast_scores[x][y], jiazhi[x][y])
                        << GEN_NAME[g] << " trial " << trial << " step " << step << " at (" << x
                        << "," << y << ")";
            const std::vector<int> plain = plain_list(g, thr, dep);
            ASSERT_EQ(count, static_cast<int>(plain.size()))
                << GEN_NAME[g] << " trial " << trial << " step " << step;
            ASSERT_EQ(fast, plain) << GEN_NAME[g] << " trial " << trial << " step " << step;
            compared += count > 1;
        }
    }
    EXPECT_GT(compared, 300) << "too few lists of two or more to tell orders apart";
}

TEST(FastPaths, SelectionIsTheHeadOfTheStableSort) {
    struct Case {
        int size, spread, scale, least, keep;
        const char* why;
    };
    // clang-format off
    const Case cases[] = {
        {15, 6, 1, 3, 10, "few distinct scores: long runs of ties"},
        {20, 3000, 1, 3, 26, "many distinct scores, more points than the histogram takes"},
        {25, 40, 50000, 20, 100, "large scores of both signs, ties among them"},
        {10, 2, 1, 0, 100, "two scores, fewer points than kept"},
        {15, 100, 1, 3, 1, "only the best"},
        {15, 100, 1, 70, 10, "a dozen points: placed by rank"},
        {15, 100, 1, 57, 20, "about forty points: by insertion"},
        {15, 100, 1, 72, 40, "fewer points than kept, by rank"},
    };
    // clang-format on
    std::srand(11);
    for (const Case& tc : cases)
        for (int trial = 0; trial < 20; ++trial)
        {
            BOARDSIZE = tc.size;
            for (int x = 0; x < JZ_SIDE; ++x)
                for (int y = 0; y < JZ_SIDE; ++y)
                    jiazhi[x][y] = (random_below(tc.spread) - tc.spread / 4) * tc.scale;
            const int kept = select_points((gather_points(tc.least), tc.keep));
            std::vector<POINT> fast(point + 1, point + 1 + kept);
            MERGE_SORT();
            int expected = 0;
            while (expected < tc.keep && expected < tc.size * tc.size &&
                   point[expected + 1].val >= tc.least)
                ++expected;
            ASSERT_EQ(kept, expected) << tc.why;
            for (int k = 0; k < kept; ++k)
                ASSERT_TRUE(fast[k].posx == point[k + 1].posx &&
                            fast[k].posy == point[k + 1].posy && fast[k].val == point[k + 1].val)
                    << tc.why << " at position " << k + 1;
        }
    BOARDSIZE = 15;
}

TEST(FastPaths, LeafScoreFollowsScoreTable) {
    std::srand(5);
    for (int trial = 0; trial < 40; ++trial)
    {
        const int n = SIZES[trial % 5];
        fresh_game(n, RULES[(trial / 5) % 5]);
        i = 1 + random_below(2);
        GENERATE_SCORE_TABLE(1 + random_below(9));
        for (int step = 0; step < 60; ++step)
        {
            for (int c_ = random_below(4) == 0 ? 3 : 1; c_ > 0; --c_)
                random_change(n);
            if (random_below(20) == 0)  // a new iteration: the leaf table changes
                GENERATE_SCORE_TABLE(1 + random_below(9));
            ASSERT_EQ(leaf_score(), SCORE_TABLE()) << "trial " << trial << " step " << step;
        }
    }
}

namespace {

// SITUA's five test, cell by cell: runs of the mover's stones over the nine cells of each line,
// every five of them judged by the cells beyond it.
int plain_five(int ex, int ey, int dep) {
    const int n = BOARDSIZE, side = dep % 2 != 0 ? 1 : 2, rule = gametype;
    auto cell = [n](int x, int y) { return x >= 1 && x <= n && y >= 1 && y <= n ? un[x][y] : 0; };
    const int dx[4] = {1, 0, 1, 1}, dy[4] = {0, 1, 1, -1};
    for (int d_ = 0; d_ < 4; ++d_)
    {
        int run = 0;
        for (int k = -4; k <= 4; ++k)
        {
            const int x = ex + k * dx[d_], y = ey + k * dy[d_];
            if (x < 1 || x > n || y < 1 || y > n)
                continue;
            run = un[x][y] == side ? run + 1 : 0;
            if (run < 5)
                continue;
            const int next        = cell(x + dx[d_], y + dy[d_]);
            const int prev        = cell(x - 5 * dx[d_], y - 5 * dy[d_]);
            const bool own_beyond = next == side || prev == side;
            const bool closed     = next == 3 - side && prev == 3 - side;
            if (rule == 1 || rule == 4 || (rule == 2 && !own_beyond) || (rule == 8 && !closed) ||
                (rule == 9 && !own_beyond && !closed))
                return side == 1 ? 1 : -1;
        }
    }
    return 0;
}

// A crowded corner or centre: half the cells of a 9 by 9 square hold stones, plus a run of two
// to six stones of one side through its middle, so that fives, overlines and forbidden shapes
// occur. Returns the run's direction and side for probes along it.
struct RunOfStones {
    int x0, y0, dx, dy, side;
};
RunOfStones crowded_position(int n) {
    RunOfStones r;
    r.x0 = random_below(2) == 0 ? 1 : 1 + random_below(n - 8);
    r.y0 = random_below(2) == 0 ? n - 8 : 1 + random_below(n - 8);
    for (int x = r.x0; x < r.x0 + 9; ++x)
        for (int y = r.y0; y < r.y0 + 9; ++y)
            un[x][y] = static_cast<char>(random_below(2) == 0 ? 0 : 1 + random_below(2));
    const int dx[4] = {1, 0, 1, 1}, dy[4] = {0, 1, 1, -1}, d_ = random_below(4);
    r.dx   = dx[d_];
    r.dy   = dy[d_];
    r.side = 1 + random_below(2);
    for (int k = 0, len = 2 + random_below(5); k < len; ++k)
        un[r.x0 + 4 + (k - 2) * r.dx][r.y0 + 4 + (k - 2) * r.dy] = static_cast<char>(r.side);
    return r;
}

}  // namespace

TEST(FastPaths, GameEndAndForbiddenMovesMatchThePlainScans) {
    std::srand(99);
    int n_forbidden = 0, fives = 0;
    for (int trial = 0; trial < 500; ++trial)
    {
        const int n = SIZES[trial % 5];
        fresh_game(n, RULES[(trial / 5) % 5]);
        i                     = 1 + random_below(2);
        const RunOfStones run = crowded_position(n);
        for (int probe = 0; probe < 30; ++probe)
        {
            // Every other probe extends the run, by the run's side.
            const bool along = probe % 2 == 0;
            const int k      = random_below(9) - 4;
            const int x      = along ? run.x0 + 4 + k * run.dx : run.x0 + random_below(9);
            const int y      = along ? run.y0 + 4 + k * run.dy : run.y0 + random_below(9);
            const int dep    = along ? 2 * random_below(3) + 2 - run.side % 2 : 1 + random_below(6);
            if (un[x][y] != 0)
                continue;
            const int side = dep % 2 != 0 ? 1 : 2, black = i % 2 != 0 ? 1 : 2;
            un[x][y] = static_cast<char>(side);
            for (int a = 1; a <= n; ++a)
                for (int b = 1; b <= n; ++b)
                    board_ban[0][a][b] = un[a][b] == 0 ? 0 : (black == 1 ? un[a][b] : 3 - un[a][b]);
            const int copied = CHECK_BAN(x, y, 0, 1);
            ASSERT_EQ(check_ban_on_un(x, y, black), copied) << "trial " << trial;
            int expected = plain_five(x, y, dep);
            if (gametype == 4 && side == black && copied == 1)
                expected = side == 1 ? -1 : 1;
            else if (gametype != 4 && gametype != 1 && gametype != 2 && gametype != 8 &&
                     gametype != 9)
                expected = 0;
            ASSERT_EQ(SITUA(0, x, y, dep), expected)
                << "trial " << trial << " at " << x << "," << y;
            n_forbidden += gametype == 4 && copied == 1;
            fives += expected != 0;
            un[x][y] = 0;
        }
    }
    EXPECT_GT(n_forbidden, 10);
    EXPECT_GT(fives, 50);
}
