// Candidate generation for the alpha-beta search and the search itself: iterative deepening
// over the engine's root candidates, minimax alpha-beta with null windows and the main table.
#include "search/slowsearch.h"

#include <cstdint>
#include <cstring>

#include "engine/timer.h"
#include "eval/situa.h"
#include "search/ai.h"

int jiazhi[JZ_SIDE][JZ_SIDE];
POINT point[1000];
POINT point_temp[1000];
int nex[200][200], ney[200][200];
int value[200];

namespace {

constexpr int HINT_BOOST   = 1000000;  // sorts the hint first without changing its true score
constexpr int WIN_LEVEL    = 99999;    // freestyle: a score above this among the first two ends the list
constexpr int THREAT_LEVEL = 15001;    // freestyle: a threat this strong keeps only strong answers
constexpr int STRONG_MOVE  = 2000;
constexpr int WEAK_MOVE    = 3;        // below this a point is not worth searching
constexpr int LIST_SLOTS   = 100;      // candidate slots cleared per generator call
constexpr int ROOT_WINDOW  = 10000000;
constexpr int RULED_OUT    = -599999;  // jz below this: the move decision has excluded the point
constexpr int LAYER_SLOTS  = 100;      // iterations kept in `evaluation`
constexpr int SMALL_RUN    = 12;       // runs shorter than this are sorted by insertion

// evaluation[L][x][y]: score of root candidate (x, y) in the iteration LAYER = L.
// File-static: at 360 kB it has no place on the stack.
int evaluation[LAYER_SLOTS][JZ_SIDE][JZ_SIDE];

// Eight directions of the proximity credit.
constexpr int DIR_X[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr int DIR_Y[8] = {0, 1, 1, 1, 0, -1, -1, -1};

// Time test of the alpha-beta search: the whole budget less its margin is spent.
inline bool out_of_time() { return TIMER(2) > MAX_TIME - SLOW_SEARCH_DELAY; }

// Inside DFS the clock is read only near the root, never in the last plies.
inline bool shallow(int dep) { return dep <= 2 || dep < LAYER - 2; }

inline bool is_idle(const EVA& eva) { return eva.edge == 0 && eva.center == 0; }

// The shared frame of MOVECOM and MOVEPLA: scores every point from the windows through it,
// sorts, and keeps the best candidates under the selection thresholds.
int generate(int thr, int dep, int occupied, const EVA* table) {
    const int n = BOARDSIZE;

    // Step 1. Occupied points start far below any threshold; the frame around the board
    // (which only collects off-board window credits) is cleared as well. Note the stones'
    // bounding box on the way.
    int min_x = n + 1, max_x = 0, min_y = n + 1, max_y = 0;
    for (int x = 0; x <= n + 1; ++x)
        for (int y = 0; y <= n + 1; ++y)
        {
            if (un[x][y] == 0)
            {
                jiazhi[x][y] = 0;
                continue;
            }
            jiazhi[x][y] = occupied;
            min_x = x < min_x ? x : min_x;
            max_x = x > max_x ? x : max_x;
            min_y = y < min_y ? y : min_y;
            max_y = y > max_y ? y : max_y;
        }

    // Step 2. Empty candidate list for this depth.
    for (int k = 0; k <= LIST_SLOTS; ++k)
        nex[k][dep] = ney[k][dep] = 0;

    // Step 3. Proximity credit around stones well inside the board: 2 at distance one,
    // 1 at distance two, along the eight lines.
    for (int x = 5; x <= n - 4; ++x)
        for (int y = 5; y <= n - 4; ++y)
            if (un[x][y] != 0)
                for (int dir = 0; dir < 8; ++dir)
                {
                    jiazhi[x + DIR_X[dir]][y + DIR_Y[dir]] += 2;
                    jiazhi[x + 2 * DIR_X[dir]][y + 2 * DIR_Y[dir]] += 1;
                }

    // Step 4. Window credits: edge to both end cells, center to the four middle cells. When a
    // window without stones credits nothing, only the windows that can hold a stone are
    // visited: their start cell lies at most five cells before the box (and after it, for the
    // anti-diagonal). The credits are sums, so the order of the windows does not matter.
    const bool empty_windows_idle = is_idle(table[idx6(0, 0, 0, 0, 0, 0)]) &&
                                    is_idle(table[idx6(0, 0, 0, 0, 0, OFF_BOARD)]);
    if (!empty_windows_idle)
    {
        min_x = min_y = 1;
        max_x = max_y = n;
    }
    scan_windows(min_x - 5, max_x, min_y - 5, max_y + 5, [&](const Window& w) {
        const EVA& eva = table[w.i6];
        if ((eva.edge | eva.center) == 0)  // most windows are empty and credit nothing
            return;
        jiazhi[w.x][w.y] += eva.edge;
        jiazhi[w.x + 5 * w.dx][w.y + 5 * w.dy] += eva.edge;
        for (int k = 1; k <= 4; ++k)
            jiazhi[w.x + k * w.dx][w.y + k * w.dy] += eva.center;
    });

    // Step 5. Sort; a hint sorts first but the selection below reads its true score.
    if (thr > 8)
    {
        const int hy = thr / 10000, hx = (thr % 10000) / 100;
        const bool on_board = hx >= 1 && hx <= n && hy >= 1 && hy <= n;
        if (on_board)
            jiazhi[hx][hy] += HINT_BOOST;
        MERGE_SORT();
        if (on_board)
            jiazhi[hx][hy] -= HINT_BOOST;
    }
    else
        MERGE_SORT();

    // Step 6. Selection. The list is sorted, so each threshold ends it at the first point
    // below it. Only freestyle trusts a single winning point or a strong threat alone.
    const bool freestyle = gametype == 1;
    const int limit      = Nbranch[dep];
    const int last       = limit < n * n ? limit : n * n;  // never read past the sorted points
    int best             = 0;
    for (int k = 1; k <= last; ++k)
    {
        const POINT& p = point[k];
        const int v    = jiazhi[p.posx][p.posy];
        if (k < 3)
        {
            if (v > best)
                best = v;
            if (best > WIN_LEVEL && freestyle)
            {
                nex[k][dep] = p.posx;
                ney[k][dep] = p.posy;
                return k;
            }
        }
        if (best >= THREAT_LEVEL && freestyle)
        {
            if (v < STRONG_MOVE)
                return k - 1;
        }
        else if (v < WEAK_MOVE)
            return k - 1;
        nex[k][dep] = p.posx;
        ney[k][dep] = p.posy;
    }
    return limit < n * n ? limit : n * n;
}

}  // namespace

// Loads the points in cell-number order and sorts them stably, highest first. A stable order is
// unique, so any stable sort yields the order DIVIDE_AND_CONQUER over the whole board would
// give; this one is cheaper, for it runs at every node of every search:
//  - zeros (most of the board, far from any stone) need no sorting: they sit in cell order
//    between the positive and the negative points;
//  - positive points (window credits, mostly below 65536) go through a byte-wise LSD radix
//    sort that skips the bytes all of them share;
//  - negative points (the stones) are few and merge-sorted in place at the end.
void MERGE_SORT() {
    const int n = BOARDSIZE;
    static POINT zeros[1000], negatives[1000], spare[1000];
    int n_pos = 0, n_zero = 0, n_neg = 0;
    uint32_t any_bits = 0, all_bits = ~0u;
    for (int y = 1; y <= n; ++y)
        for (int x = 1; x <= n; ++x)
        {
            const int v = jiazhi[x][y];
            if (v > 0)
            {
                point[1 + n_pos++] = POINT{x, y, v};
                const uint32_t rank = 0x7fffffffu - static_cast<uint32_t>(v);  // ascending rank
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
    POINT* src             = point + 1;
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
    if (src != point + 1)
        std::memcpy(point + 1, src, sizeof(POINT) * n_pos);

    std::memcpy(point + 1 + n_pos, zeros, sizeof(POINT) * n_zero);
    std::memcpy(point + 1 + n_pos + n_zero, negatives, sizeof(POINT) * n_neg);
    DIVIDE_AND_CONQUER(1 + n_pos + n_zero, n * n);
}

// Stable: on equal scores the first half wins, so ties stay in cell-number order.
void DIVIDE_AND_CONQUER(int st, int ed) {
    if (ed - st > 1 && ed - st < SMALL_RUN)
    {
        // Short runs: insertion sort, stable as well (a point passes only strictly lower ones).
        for (int k = st + 1; k <= ed; ++k)
        {
            const POINT p = point[k];
            int j         = k - 1;
            for (; j >= st && point[j].val < p.val; --j)
                point[j + 1] = point[j];
            point[j + 1] = p;
        }
    }
    else if (ed - st > 1)
    {
        const int mid = (st + ed) / 2;
        DIVIDE_AND_CONQUER(st, mid);
        DIVIDE_AND_CONQUER(mid + 1, ed);
        // Already in order: common on boards full of equal scores.
        if (point[mid].val >= point[mid + 1].val)
            return;
        int left = st, right = mid + 1;
        for (int out = st; out <= ed; ++out)
        {
            if (right > ed || (left <= mid && point[left].val >= point[right].val))
                point_temp[out] = point[left++];
            else
                point_temp[out] = point[right++];
        }
        for (int k = st; k <= ed; ++k)
            point[k] = point_temp[k];
    }
    else if (ed - st == 1)
    {
        if (point[st].val < point[ed].val)
        {
            const POINT swap = point[st];
            point[st]        = point[ed];
            point[ed]        = swap;
        }
    }
}

int MOVECOM(int thr, int dep) { return generate(thr, dep, -1000000000, strucB); }

int MOVEPLA(int thr, int dep) { return generate(thr, dep, -100000000, strucW); }

int SLOWSEARCH() {
    const int n = BOARDSIZE;

    // Step 1. Fresh working state; only hash_tag, jz and the counters carry over.
    node      = 0;
    mate_node = 0;
    std::memset(value, 0, sizeof value);
    std::memset(jiazhi, 0, sizeof jiazhi);
    std::memset(zobristkey, 0, sizeof zobristkey);
    std::memset(zobristcheck, 0, sizeof zobristcheck);
    std::memset(un, 0, sizeof un);
    std::memset(nex, 0, sizeof nex);
    std::memset(ney, 0, sizeof ney);

    // Step 2. Search board.
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            un[x][y] = static_cast<char>(qp[x][y]);

    // Step 3. No iteration completed yet.
    break_depth = 0;
    std::memset(evaluation, 0, sizeof evaluation);

    // Step 4. Root key.
    set_root_key();

    // Step 5. Iterative deepening. `evaluation` and the per-depth arrays bound the depth.
    const int max_layer = MAX_LAYER < LAYER_SLOTS - 1 ? MAX_LAYER : LAYER_SLOTS - 1;
    const int root_width = F_WID < 199 ? F_WID : 199;
    for (LAYER = 1; LAYER <= max_layer; ++LAYER)
    {
        // Step 5.1. Start a new iteration only while 90% of the budget, less the margin, remains.
        if (TIMER(2) > MAX_TIME / 10 * 9 - SLOW_SEARCH_DELAY)
            break;

        // Step 5.2. Widths and leaf table of this iteration.
        GENERATE_WIDTH(LAYER);
        GENERATE_SCORE_TABLE(LAYER);

        // Step 5.3. The root takes only a move hint from the table, never a stored score.
        const ALPHA_BETA probe = PROBE_HASH(zobristkey[1], i + LAYER, zobristcheck[1],
                                            -ROOT_WINDOW, ROOT_WINDOW);
        int bestposx = 0, bestposy = 0;
        if (probe.if_mate)
        {
            bestposx = probe.bestpos_x;
            bestposy = probe.bestpos_y;
        }

        // Step 5.4. Root candidates.
        MOVECOM(bestposy * 10000 + bestposx * 100, 1);

        // Step 5.5-5.6. Score every root candidate; all but the first get a null window.
        int alpha        = -ROOT_WINDOW;
        bool interrupted = false;
        for (int a = 1; a <= root_width; ++a)
        {
            const int x = nex[a][1], y = ney[a][1];
            if (x == 0 || jz[x][y] < RULED_OUT)
                continue;
            un[x][y] = 1;
            set_child_key(1, x, y);
            const int r = SITUA(0, x, y, 1);
            if (r != 0)
            {
                // The move itself decides the game: no search below it.
                evaluation[LAYER][x][y] = r * 1000000;
                un[x][y]                = 0;
                continue;
            }
            int val;
            if (a == 1)
                val = DFS(0, 2, alpha - 1, ROOT_WINDOW);
            else
            {
                const int t = DFS(0, 2, alpha, alpha + 1);
                val = t > alpha ? DFS(0, 2, alpha - 1, ROOT_WINDOW) : alpha - 1;
            }
            evaluation[LAYER][x][y] += val + 500000;
            un[x][y] = 0;
            if (val > alpha)
            {
                alpha    = val;
                bestposx = x;
                bestposy = y;
            }
            if (out_of_time())
            {
                interrupted = true;
                break;
            }
        }
        // Step 5.7. An interrupted iteration leaves no trace.
        if (interrupted || out_of_time())
            break;

        // Step 5.8-5.9. Record the root and mark the iteration complete.
        RECORD_HASH(zobristkey[1], zobristcheck[1], i + LAYER, 1, alpha, bestposx, bestposy);
        break_depth = LAYER;
    }

    // Step 6. Only the last completed iteration counts; evaluation[0] is all zero.
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            jz[x][y] += evaluation[break_depth][x][y];
    return 0;
}

// Minimax (not negamax): the engine maximises at odd depths, the opponent minimises at even
// ones. Returns 0 at once when the clock runs out; callers test the clock right after and unwind.
int DFS(int /*thr*/, int dep, int alpha, int beta) {
    // Step 1. Count the node; leave when the time is up.
    ++node;
    const bool check_clock = shallow(dep);
    if (check_clock && out_of_time())
        return 0;

    // Step 2. Leaf.
    if (dep > LAYER)
        return SCORE_TABLE();

    // Step 3. Hash probe, from depth 5 on: a stored score ends the node, a stored move leads.
    int bestposx = 0, bestposy = 0;
    if (dep > 4)
    {
        const ALPHA_BETA temp =
            PROBE_HASH(zobristkey[dep], LAYER + i, zobristcheck[dep], alpha, beta);
        if (temp.if_mate)
        {
            if (temp.if_valid)
            {
                ++mate_node;
                return temp.value;
            }
            bestposx = temp.bestpos_x;
            bestposy = temp.bestpos_y;
        }
    }

    // Step 4. Candidates; a node without any is scored as a leaf.
    const bool engine_moves = dep % 2 == 1;
    const int hint          = bestposy * 10000 + bestposx * 100;
    const int num           = engine_moves ? MOVECOM(hint, dep) : MOVEPLA(hint, dep);
    if (num == 0)
        return SCORE_TABLE();

    // Step 5. Search the candidates in order.
    const char stone = engine_moves ? 1 : 2;
    for (int a = 1; a <= num; ++a)
    {
        const int x = nex[a][dep], y = ney[a][dep];
        if (x == 0)
            continue;
        if (check_clock && out_of_time())
            return 0;
        // Cut-off: already recorded when it happened.
        if (a >= 2 && alpha >= beta)
            return value[dep];

        un[x][y] = stone;
        set_child_key(dep, x, y);
        const int r = SITUA(0, x, y, dep);
        int val;
        if (r != 0)
        {
            un[x][y] = 0;
            if (r == 1 && engine_moves)
            {
                // The engine completes a win: sooner is better.
                val = 500000 - 100 * dep;
                RECORD_HASH(zobristkey[dep + 1], zobristcheck[dep + 1], LAYER + i + 1, 3, val, 0,
                            0);
                return val;
            }
            if (r == -1 && !engine_moves)
            {
                // The opponent completes a win: later is less bad.
                val = -(LAYER + 1 - dep) * 10000;
                RECORD_HASH(zobristkey[dep + 1], zobristcheck[dep + 1], LAYER + i + 1, 3, val, 0,
                            0);
                return val;
            }
            // A mover's own forbidden move: scored, and the node goes on.
            val = (LAYER + 1 - dep) * r * 10000;
        }
        else if (dep < LAYER - 1 && alpha + 1 != beta)
        {
            // Null window first; the full window only when the move may improve the bound.
            if (engine_moves)
            {
                const int t = DFS(0, dep + 1, alpha, alpha + 1);
                val         = t > alpha ? DFS(0, dep + 1, alpha, beta) : alpha;
            }
            else
            {
                const int t = DFS(0, dep + 1, beta - 1, beta);
                val         = t < beta ? DFS(0, dep + 1, alpha, beta) : beta;
            }
        }
        else
            val = DFS(0, dep + 1, alpha, beta);

        // The first score opens the node's value; the best move stays the hint.
        if (a == 1)
            value[dep] = val;
        un[x][y] = 0;
        if (check_clock && out_of_time())
            return 0;

        if (engine_moves)
        {
            if (val >= beta)
                RECORD_HASH(zobristkey[dep], zobristcheck[dep], LAYER + i, 2, val, x, y);
            if (value[dep] < val)
            {
                value[dep] = val;
                bestposx   = x;
                bestposy   = y;
            }
            if (val > alpha)
                alpha = val;
        }
        else
        {
            if (val <= alpha)
                RECORD_HASH(zobristkey[dep], zobristcheck[dep], LAYER + i, 1, val, x, y);
            if (value[dep] > val)
            {
                value[dep] = val;
                bestposx   = x;
                bestposy   = y;
            }
            if (val < beta)
                beta = val;
        }
    }

    // Step 6. Record the node's score: an upper bound at the engine's nodes, a lower bound at
    // the opponent's, even when it is exact.
    if (check_clock && out_of_time())
        return 0;
    RECORD_HASH(zobristkey[dep], zobristcheck[dep], LAYER + i, engine_moves ? 1 : 2, value[dep],
                bestposx, bestposy);
    return value[dep];
}
