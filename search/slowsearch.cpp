// The alpha-beta search: iterative deepening over the engine's root candidates, minimax
// alpha-beta with null windows and the main table.
#include "search/slowsearch.h"

#include <cstring>

#include "eval/score_table.h"
#include "eval/situa.h"
#include "game/timer.h"
#include "search/ai.h"
#include "search/live_report.h"
#include "search/movegen.h"

namespace {

constexpr int ROOT_WINDOW = 10000000;
constexpr int RULED_OUT   = -599999;  // jz below this: the move decision has excluded the point

// Neither the node budget nor a stop cuts the first iteration: it is cheap, and without it no
// candidate would have a score. A helper stops at once when the main thread is done.
inline bool budget_spent(const SearchThread& t) {
    return (t.LAYER > 1 && (node_budget_spent(t, 5) || stop_requested())) ||
           (t.helper && halt_helpers.load(std::memory_order_relaxed));
}

// Time test of the alpha-beta search: the whole budget less its margin is spent.
inline bool out_of_time(const SearchThread& t) {
    return elapsed_ms() > MAX_TIME - SLOW_SEARCH_DELAY || budget_spent(t);
}

// The next iteration: the main thread deepens one at a time; a helper keeps ahead of the main
// thread's running iteration, by start_layer, so that its entries are deep enough to answer
// the main thread's probes.
inline int next_layer(const SearchThread& t) {
    if (!t.helper)
        return t.LAYER + 1;
    const int ahead = main_layer.load(std::memory_order_relaxed) + t.start_layer;
    return ahead > t.LAYER + 1 ? ahead : t.LAYER + 1;
}

// Inside DFS the clock is read only near the root, never in the last plies.
inline bool shallow(const SearchThread& t, int dep) { return dep <= 2 || dep < t.LAYER - 2; }

}  // namespace

int SLOWSEARCH(SearchThread& t) {
    const int n = BOARDSIZE;

    // Step 1. Fresh working state; only hash_tag, jz and the counters carry over.
    t.node      = 0;
    t.mate_node = 0;
    std::memset(t.zobristcheck, 0, sizeof t.zobristcheck);

    // Step 2. Search board.
    fresh_search_state(t);
    // From here on every stone is logged for the kept positions, until the search returns.
    const UnLogSession logged(t);

    // Step 3. No iteration completed yet.
    t.break_depth = 0;
    std::memset(t.evaluation, 0, sizeof t.evaluation);

    // Step 4. Root key.
    set_root_key(t);

    // Step 5. Iterative deepening. `evaluation` and the per-depth arrays bound the depth.
    const int max_layer         = MAX_LAYER < LAYER_SLOTS - 1 ? MAX_LAYER : LAYER_SLOTS - 1;
    const int root_width        = F_WID < 199 ? F_WID : 199;
    const int(*ruling)[JZ_SIDE] = t.helper ? t.root_jz : jz;
    t.best_x = t.best_y = t.best_value = 0;
    for (t.LAYER = t.helper ? t.start_layer : 1; t.LAYER <= max_layer; t.LAYER = next_layer(t))
    {
        if (!t.helper)
            main_layer.store(t.LAYER, std::memory_order_relaxed);
        // Step 5.1. Start a new iteration only while 90% of the budget, less the margin, remains.
        if (elapsed_ms() > MAX_TIME / 10 * 9 - SLOW_SEARCH_DELAY || budget_spent(t))
            break;

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

        // Step 5.5-5.6. Score every root candidate; all but the first get a null window.
        int alpha        = -ROOT_WINDOW;
        bool interrupted = false;
        for (int a = 1; a <= root_width; ++a)
        {
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
            if (a == 1)
                val = DFS(t, 0, 2, alpha - 1, ROOT_WINDOW);
            else
            {
                const int scout = DFS(t, 0, 2, alpha, alpha + 1);
                val             = scout > alpha ? DFS(t, 0, 2, alpha - 1, ROOT_WINDOW) : alpha - 1;
            }
            t.evaluation[t.LAYER][x][y] += val + 500000;
            lift_stone(t, x, y);
            if (out_of_time(t))
            {
                interrupted = true;
                break;
            }
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
        // Step 5.7. An interrupted iteration leaves no trace.
        if (interrupted || out_of_time(t))
            break;

        // Step 5.8-5.9. Record the root and mark the iteration complete.
        RECORD_HASH(t.zobristkey[1], t.zobristcheck[1], i + t.LAYER, 1, alpha, bestposx, bestposy);
        t.break_depth = t.LAYER;
        t.best_x      = bestposx;
        t.best_y      = bestposy;
        t.best_value  = alpha;
        if (live)
            live_iteration_end(t, bestposx, bestposy, t.root_scores, scored);
        if (iteration_done != nullptr && !t.helper)
            iteration_done(t);
    }

    // Step 6. Only the last completed iteration counts; evaluation[0] is all zero. A helper's
    // work is in the tables.
    if (t.helper)
        return 0;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            jz[x][y] += t.evaluation[t.break_depth][x][y];
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
        if (prefetch && a < num)
        {
            need_candidates(t, dep, a + 1);
            if (t.nex[a + 1][dep] != 0)
                __builtin_prefetch(
                    &hash_tag[child_slot(t, dep, t.nex[a + 1][dep], t.ney[a + 1][dep])]);
        }

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
