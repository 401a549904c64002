// The alpha-beta search: iterative deepening over the engine's root candidates, minimax
// alpha-beta with null windows and the main table.
#include "search/slowsearch.h"

#include <cstring>
#include <thread>

#include "eval/score_table.h"
#include "eval/situa.h"
#include "game/timer.h"
#include "search/ai.h"
#include "search/live_report.h"
#include "search/movegen.h"
#include "search/read_ahead.h"

namespace {

constexpr int ROOT_WINDOW = 10000000;
constexpr int RULED_OUT   = -599999;  // jz below this: the move decision has excluded the point

// Neither the node budget nor a stop cuts the first iteration: it is cheap, and without it no
// candidate would have a score. A helper stops at once when the main thread is done, or moves
// on to another iteration; every thread stops when a threat search beside it has proved a win.
inline bool budget_spent(const SearchThread& t) {
    return (t.LAYER > 1 && (node_budget_spent(t, 5) || stop_requested())) ||
           (t.helper && (halt_helpers.load(std::memory_order_relaxed) ||
                         main_layer.load(std::memory_order_relaxed) != t.following)) ||
           threats_won.load(std::memory_order_relaxed);
}

// Time test of the alpha-beta search: the whole budget less its margin is spent.
inline bool out_of_time(const SearchThread& t) {
    return elapsed_ms() > MAX_TIME - SLOW_SEARCH_DELAY || budget_spent(t);
}

// Inside DFS the clock is read only near the root, never in the last plies.
inline bool shallow(const SearchThread& t, int dep) { return dep <= 2 || dep < t.LAYER - 2; }

// Steps 1-4 of a search: fresh working state, the search board, no iteration completed yet,
// the root key.
void start_search(SearchThread& t) {
    t.node      = 0;
    t.mate_node = 0;
    std::memset(t.zobristcheck, 0, sizeof t.zobristcheck);
    fresh_search_state(t);
    t.break_depth = 0;
    std::memset(t.evaluation, 0, sizeof t.evaluation);
    set_root_key(t);
    t.best_x = t.best_y = t.best_value = 0;
}

// One iteration at depth t.LAYER (steps 5.2-5.9): scores every root candidate that `ruling`
// leaves, the first searched with a full window and the rest with a null window first. The
// candidates are taken in their order from the one `rotation` places on, wrapping round. True
// when the iteration completed; an interrupted one leaves no trace in the root's scores.
bool search_iteration(SearchThread& t, const int (*ruling)[JZ_SIDE], int root_width, int rotation) {
    // Step 5.2. Widths and leaf table of this iteration.
    GENERATE_WIDTH(t, t.LAYER);
    GENERATE_SCORE_TABLE(t, t.LAYER);

    // Step 5.3. The root takes only a move hint from the table, never a stored score.
    const ALPHA_BETA probe =
        PROBE_HASH(t.zobristkey[1], i + t.LAYER, t.zobristcheck[1], -ROOT_WINDOW, ROOT_WINDOW);
    int bestposx = 0, bestposy = 0;
    if (probe.if_mate)
    {
        bestposx = probe.bestpos_x;
        bestposy = probe.bestpos_y;
    }

    // Step 5.4. Root candidates.
    MOVECOM(t, bestposy * 10000 + bestposx * 100, 1);
    const bool live = SHOW_DETAIL != 0 && !t.helper;
    int scored      = 0;
    if (live)
        live_iteration_start();
    int count = root_width;  // candidates up to the last one in the list
    if (rotation != 0)
    {
        while (count > 0 && t.nex[count][1] == 0)
            --count;
        rotation = count > 0 ? rotation % count : 0;
    }

    // Step 5.5-5.6. Score every root candidate; all but the first get a null window.
    int alpha = -ROOT_WINDOW;
    for (int k = 1; k <= count; ++k)
    {
        const int a = k + rotation <= count ? k + rotation : k + rotation - count;
        const int x = t.nex[a][1], y = t.ney[a][1];
        if (x == 0 || ruling[x][y] < RULED_OUT)
            continue;
        place_stone(t, x, y, 1);
        set_child_key(t, 1, x, y);
        const int r = SITUA(t, 0, x, y, 1);
        if (r != 0)
        {
            // The move itself decides the game: no search below it.
            t.evaluation[t.LAYER][x][y] = r * 1000000;
            lift_stone(t, x, y);
            continue;
        }
        if (live)
            live_root_pos(x, y);
        int val;
        if (k == 1)
            val = DFS(t, 0, 2, alpha - 1, ROOT_WINDOW);
        else
        {
            const int scout = DFS(t, 0, 2, alpha, alpha + 1);
            val             = scout > alpha ? DFS(t, 0, 2, alpha - 1, ROOT_WINDOW) : alpha - 1;
        }
        t.evaluation[t.LAYER][x][y] += val + 500000;
        lift_stone(t, x, y);
        // Step 5.7. An interrupted iteration leaves no trace.
        if (out_of_time(t))
            return false;
        if (live)
            live_root_done(x, y);
        if (val > alpha)
        {
            alpha    = val;
            bestposx = x;
            bestposy = y;
            if (live)
            {
                t.root_scores[scored++] = {x, y, val};
                live_root_best(x, y);
            }
        }
    }
    if (out_of_time(t))
        return false;

    // Step 5.8-5.9. Record the root and mark the iteration complete.
    RECORD_HASH(t.zobristkey[1], t.zobristcheck[1], i + t.LAYER, 1, alpha, bestposx, bestposy);
    t.break_depth = t.LAYER;
    t.best_x      = bestposx;
    t.best_y      = bestposy;
    t.best_value  = alpha;
    if (live)
        live_iteration_end(t, bestposx, bestposy, t.root_scores, scored);
    return true;
}

// Step 5.1. A new iteration starts only while 90% of the budget, less the margin, remains.
inline bool iteration_too_late(const SearchThread& t) {
    return elapsed_ms() > MAX_TIME / 10 * 9 - SLOW_SEARCH_DELAY || budget_spent(t);
}

inline int max_layer() { return MAX_LAYER < LAYER_SLOTS - 1 ? MAX_LAYER : LAYER_SLOTS - 1; }
inline int root_width() { return F_WID < 199 ? F_WID : 199; }

// Steps 1-5 of the main thread's search, skipping the points that `ruling` rules out.
void deepen(SearchThread& t, const int (*ruling)[JZ_SIDE]) {
    // Steps 1-4. Only hash_tag, jz and the counters carry over.
    start_search(t);
    // From here on every stone is logged for the kept positions, until the search returns.
    const UnLogSession logged(t);

    // Step 5. Iterative deepening. `evaluation` and the per-depth arrays bound the depth.
    const int last  = max_layer();
    const int width = root_width();
    for (t.LAYER = 1; t.LAYER <= last; ++t.LAYER)
    {
        main_layer.store(t.LAYER, std::memory_order_relaxed);
        if (iteration_too_late(t) || !search_iteration(t, ruling, width, 0))
            break;
        if (iteration_done != nullptr)
            iteration_done(t);
    }
}

}  // namespace

int SLOWSEARCH(SearchThread& t) {
    deepen(t, jz);
    // Step 6. Only the last completed iteration counts; evaluation[0] is all zero.
    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            jz[x][y] += t.evaluation[t.break_depth][x][y];
    return 0;
}

int slowsearch_beside(SearchThread& t) {
    deepen(t, t.root_jz);
    return 0;
}

void add_root_scores(const SearchThread& t) {
    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            if (jz[x][y] >= RULED_OUT)
                jz[x][y] += t.evaluation[t.break_depth][x][y];
}

int helper_search(SearchThread& t) {
    start_search(t);
    const UnLogSession logged(t);
    const int last  = max_layer();
    const int width = root_width();
    int rotation    = t.rotation;
    int done        = 0;  // deepest iteration completed before the main thread's search began
    while (!halt_helpers.load(std::memory_order_relaxed))
    {
        const int main_now = main_layer.load(std::memory_order_relaxed);
        if (main_now > 0)
        {
            // The main thread's iteration, again in another order once this one is done: a
            // deeper one's entries would answer the main thread's probes with scores of the
            // other side's horizon.
            if (t.break_depth == main_now && t.following == main_now)
                ++rotation;
            t.LAYER = main_now;
        }
        else if (done < last)
            t.LAYER = done + 1;  // before it: deepen on its own
        else
        {
            std::this_thread::yield();
            continue;
        }
        t.following = main_now;
        if (iteration_too_late(t))
        {
            if (halt_helpers.load(std::memory_order_relaxed) || elapsed_ms() > MAX_TIME)
                break;
            std::this_thread::yield();  // the main thread moves on, or ends the decision
            continue;
        }
        if (search_iteration(t, t.root_jz, width, rotation) && main_now == 0)
            done = t.LAYER;
    }
    return 0;
}

// Minimax (not negamax): the engine maximises at odd depths, the opponent minimises at even
// ones. Returns 0 at once when the clock runs out; callers test the clock right after and unwind.
int DFS(SearchThread& t, int /*thr*/, int dep, int alpha, int beta) {
    // Step 1. Count the node; leave when the time is up.
    ++t.node;
    const bool check_clock = shallow(t, dep);
    if (check_clock && out_of_time(t))
        return 0;

    // Step 2. Leaf.
    if (dep > t.LAYER)
        return leaf_score(t);

    // Step 3. Hash probe, from depth 5 on: a stored score ends the node, a stored move leads.
    int bestposx = 0, bestposy = 0;
    if (dep > 4)
    {
        const ALPHA_BETA temp =
            PROBE_HASH(t.zobristkey[dep], t.LAYER + i, t.zobristcheck[dep], alpha, beta);
        if (temp.if_mate)
        {
            if (temp.if_valid)
            {
                ++t.mate_node;
                return temp.value;
            }
            bestposx = temp.bestpos_x;
            bestposy = temp.bestpos_y;
        }
    }

    // Step 4. Candidates; a node without any is scored as a leaf. The stored move mostly
    // comes first: its child's hash slot is fetched while the candidates are made.
    const bool engine_moves = dep % 2 == 1;
    const int hint          = bestposy * 10000 + bestposx * 100;
    if (bestposx != 0 && dep + 1 > 4 && dep + 1 <= t.LAYER)
        __builtin_prefetch(&hash_tag[child_slot(t, dep, bestposx, bestposy)]);
    // The list is written as the loop below reaches it.
    const int num =
        engine_moves ? MOVECOM_on_demand(t, hint, dep) : MOVEPLA_on_demand(t, hint, dep);
    if (num == 0)
        return leaf_score(t);

    // Step 5. Search the candidates in order. The hash slot of the next child is fetched while
    // this one is searched: the children below depth 4 probe and record it.
    const char stone    = engine_moves ? 1 : 2;
    const bool prefetch = dep + 1 > 4 && dep + 1 <= t.LAYER;
    need_candidates(t, dep, 1);
    if (prefetch && t.nex[1][dep] != 0)
        __builtin_prefetch(&hash_tag[child_slot(t, dep, t.nex[1][dep], t.ney[1][dep])]);
#if defined(__wasm__)
    int read = 0;  // children whose slots are read ahead
#endif
    for (int a = 1; a <= num; ++a)
    {
        need_candidates(t, dep, a);
        const int x = t.nex[a][dep], y = t.ney[a][dep];
        if (x == 0)
            continue;
        if (check_clock && out_of_time(t))
            return 0;
        // Cut-off: already recorded when it happened.
        if (a >= 2 && alpha >= beta)
            return t.value[dep];
#if defined(__wasm__)
        if (prefetch)
            read = read_slots_ahead(t, dep, a, num, read);
#else
        if (prefetch && a < num)
        {
            need_candidates(t, dep, a + 1);
            if (t.nex[a + 1][dep] != 0)
                __builtin_prefetch(
                    &hash_tag[child_slot(t, dep, t.nex[a + 1][dep], t.ney[a + 1][dep])]);
        }
#endif

        place_stone(t, x, y, stone);
        set_child_key(t, dep, x, y);
        const int r = SITUA(t, 0, x, y, dep);
        int val;
        if (r != 0)
        {
            lift_stone(t, x, y);
            if (r == 1 && engine_moves)
            {
                // The engine completes a win: sooner is better.
                val = 500000 - 100 * dep;
                RECORD_HASH(t.zobristkey[dep + 1], t.zobristcheck[dep + 1], t.LAYER + i + 1, 3, val,
                            0, 0);
                return val;
            }
            if (r == -1 && !engine_moves)
            {
                // The opponent completes a win: later is less bad.
                val = -(t.LAYER + 1 - dep) * 10000;
                RECORD_HASH(t.zobristkey[dep + 1], t.zobristcheck[dep + 1], t.LAYER + i + 1, 3, val,
                            0, 0);
                return val;
            }
            // A mover's own forbidden move: scored, and the node goes on.
            val = (t.LAYER + 1 - dep) * r * 10000;
        }
        else if (dep < t.LAYER - 1 && alpha + 1 != beta)
        {
            // Null window first; the full window only when the move may improve the bound.
            if (engine_moves)
            {
                const int scout = DFS(t, 0, dep + 1, alpha, alpha + 1);
                val             = scout > alpha ? DFS(t, 0, dep + 1, alpha, beta) : alpha;
            }
            else
            {
                const int scout = DFS(t, 0, dep + 1, beta - 1, beta);
                val             = scout < beta ? DFS(t, 0, dep + 1, alpha, beta) : beta;
            }
        }
        else
            val = DFS(t, 0, dep + 1, alpha, beta);

        // The first score opens the node's value; the best move stays the hint.
        if (a == 1)
            t.value[dep] = val;
        lift_stone(t, x, y);
        if (check_clock && out_of_time(t))
            return 0;

        if (engine_moves)
        {
            if (val >= beta)
                RECORD_HASH(t.zobristkey[dep], t.zobristcheck[dep], t.LAYER + i, 2, val, x, y);
            if (t.value[dep] < val)
            {
                t.value[dep] = val;
                bestposx     = x;
                bestposy     = y;
            }
            if (val > alpha)
                alpha = val;
        }
        else
        {
            if (val <= alpha)
                RECORD_HASH(t.zobristkey[dep], t.zobristcheck[dep], t.LAYER + i, 1, val, x, y);
            if (t.value[dep] > val)
            {
                t.value[dep] = val;
                bestposx     = x;
                bestposy     = y;
            }
            if (val < beta)
                beta = val;
        }
    }

    // Step 6. Record the node's score: an upper bound at the engine's nodes, a lower bound at
    // the opponent's, even when it is exact.
    if (check_clock && out_of_time(t))
        return 0;
    RECORD_HASH(t.zobristkey[dep], t.zobristcheck[dep], t.LAYER + i, engine_moves ? 1 : 2,
                t.value[dep], bestposx, bestposy);
    return t.value[dep];
}
