// Threat defence search: for each of the engine's candidates, does the opponent then win by
// continuous attack? Losing candidates are marked down in jz, the sooner they lose the more.
#include "search/quickdefend.h"

#include <cstring>

#include "eval/pattern_tables.h"
#include "eval/score_table.h"
#include "eval/situa.h"
#include "game/Main.h"
#include "game/timer.h"
#include "search/ai.h"
#include "search/live_report.h"
#include "search/movegen.h"
#include "search/quickkill.h"
#include "search/slowsearch.h"

namespace {

constexpr int DEFEND_OCCUPIED  = -100000000;  // start score of an occupied point
constexpr int DEFEND_MAX_MOVES = 50;          // candidates kept per node
constexpr int HOLDS            = 300;         // max_defend of a candidate with no loss found
constexpr int LOSS_LIMIT       = 100;         // max_defend up to this: the candidate loses
constexpr int PROVEN           = 10000;       // hash depth of a result valid at every depth
constexpr int PROVEN_LOSS_EVAL = -100000;     // exact alpha-beta score of a proven loss
constexpr int LOSS_STEP        = 10000;       // penalty per ply the loss was found earlier
constexpr int LOSS_BASE        = 50000;       // penalty of every losing candidate
constexpr int ALL_LOSE_LIFT    = 500000;      // gives back when every candidate loses
constexpr int DEPTH_CAP        = 198;         // depth-indexed arrays end at 199

// Two fifths of the move's budget (four beside the alpha-beta search), less the threat
// searches' margin; or a stop.
bool out_of_time(const SearchThread& t) {
    return elapsed_ms() > (MAX_TIME / 5) * 2 * t.threat_share - QUICK_SEARCH_DELAY ||
           node_budget_spent(t, 2) || stop_requested();
}

bool shallow(const SearchThread& t, int dep) { return dep <= 2 || dep < t.DEPTH1 - 2; }

// Opponent's attacking moves: the attack search's threat scoring with the sides exchanged.
int movep_list(SearchThread& t, int dep, bool on_demand) {
    // Steps 1-2. Fresh list; five-cell credit to all five cells, six-cell credit to the four
    // middle ones, kept from call to call.
    clear_list(t, dep);

    // The opponent's first attack is looked at more widely when the attack search got at least
    // twice as deep as this iteration. Only points reaching the threshold can enter the list.
    int threshold = (dep == 2 && t.break_depth1 / 2 >= t.DEPTH1) ? 20 : 50;
    if (dep >= t.DEPTH1 - 9 && threshold < 100)
        threshold = 100;
    credit_scores(t, PAIR_DEFENCE, 0, DEFEND_OCCUPIED, threshold);

    // Step 3. Freestyle: a decisive point alone; near the limit only such points are tried.
    if (gametype == 1)
    {
        if (gathered_decisive_point(t, dep, THREAT_DECISIVE_SCORE))
            return 1;
        if (dep >= t.DEPTH1 - 3)
            return 0;
    }

    // Steps 4-6. The best points above the threshold, highest first.
    return on_demand ? list_on_demand(t, dep, DEFEND_MAX_MOVES)
                     : list_selected(t, dep, DEFEND_MAX_MOVES);
}

// Engine's answers to the opponent's threats.
int movec_list(SearchThread& t, int dep, bool on_demand) {
    clear_list(t, dep);
    credit_scores(t, PAIR_DEFENCE, 1, DEFEND_OCCUPIED, 25);

    if (gametype == 1 && gathered_decisive_point(t, dep, THREAT_DECISIVE_SCORE))
        return 1;

    return on_demand ? list_on_demand(t, dep, DEFEND_MAX_MOVES)
                     : list_selected(t, dep, DEFEND_MAX_MOVES);
}

}  // namespace

// The list is made at once; the search's own nodes ask for it on demand (see list_on_demand).
int MOVEP(SearchThread& t, int /*thr*/, int dep) { return movep_list(t, dep, false); }

int MOVEC(SearchThread& t, int /*thr*/, int dep) { return movec_list(t, dep, false); }

// -1 when the opponent wins by force from the node at depth dep (even: opponent attacks);
// 0 or 1 otherwise, including every node cut short by the clock.
int DFS_3(SearchThread& t, int thr, int dep) {
    // Step 1. Count; stop at the iteration's limit.
    ++t.node2;
    if (dep >= t.DEPTH1)
        return 0;
    if (shallow(t, dep) && out_of_time(t))
        return 0;

    // Step 2. Known results of this position.
    if (dep > 4)
    {
        const ALPHA_BETA hit = PROBE_HASH2(t.zobristkey[dep], t.zobristcheck[dep], i + t.DEPTH1);
        if (hit.if_mate)
        {
            ++t.mate_node2;
            return hit.value;
        }
    }

    // Step 3. Answers at the engine's nodes, attacks at the opponent's. An attacking node that
    // wins tells the main table too: its slot is fetched meanwhile.
    const bool engine = dep % 2 == 1;
    if (!engine)
        __builtin_prefetch(&hash_tag[t.zobristkey[dep]]);
    const int num = engine ? movec_list(t, dep, true) : movep_list(t, dep, true);
    if (num == 0)
        return 0;
    if (shallow(t, dep) && out_of_time(t))
        return 0;

    // Step 4. The engine needs one holding answer, the opponent one winning attack.
    // The hash slot of the next child is fetched while this one is searched: the children
    // below depth 4 probe and record it.
    const bool prefetch = dep + 1 > 4 && dep + 1 < t.DEPTH1;
    need_candidates(t, dep, 1);  // the list is written as the loop reaches it
    if (prefetch && t.nex[1][dep] != 0)
        __builtin_prefetch(&hash_tag2[child_slot(t, dep, t.nex[1][dep], t.ney[1][dep])]);
    for (int a = 1; a <= num; ++a)
    {
        need_candidates(t, dep, prefetch && a < num ? a + 1 : a);
        const int x = t.nex[a][dep], y = t.ney[a][dep];
        if (x == 0)
            continue;
        if (prefetch && a < num && t.nex[a + 1][dep] != 0)
            __builtin_prefetch(
                &hash_tag2[child_slot(t, dep, t.nex[a + 1][dep], t.ney[a + 1][dep])]);
        place_stone(t, x, y, engine ? 1 : 2);
        set_child_key(t, dep, x, y);
        int r = SITUA(t, thr, x, y, dep);
        if (r == 0)
            r = DFS_3(t, thr, dep + 1);
        lift_stone(t, x, y);

        if (a == 1)
            t.value[dep] = r;
        else if (engine)
            t.value[dep] = r > t.value[dep] ? r : t.value[dep];
        else
            t.value[dep] = r < t.value[dep] ? r : t.value[dep];
        if (shallow(t, dep) && out_of_time(t))
            return 0;

        if (engine && t.value[dep] >= 0)
        {
            RECORD_HASH2(t.zobristkey[dep], t.zobristcheck[dep], i + t.DEPTH1, 0, 0, 0);
            return 0;
        }
        if (!engine && t.value[dep] == -1)
        {
            // A lost position stays lost: remember it for good, and tell the alpha-beta search.
            RECORD_HASH2(t.zobristkey[dep], t.zobristcheck[dep], PROVEN, -1, 0, 0);
            RECORD_HASH(t.zobristkey[dep], t.zobristcheck[dep], i + t.DEPTH1 + 5, 3,
                        PROVEN_LOSS_EVAL, 0, 0);
            return -1;
        }
    }

    // Step 5. Every answer lost (engine node) or every attack held (opponent node).
    if (shallow(t, dep) && out_of_time(t))
        return 0;
    RECORD_HASH2(t.zobristkey[dep], t.zobristcheck[dep], i + t.DEPTH1, t.value[dep], 0, 0);
    return t.value[dep];
}

// Searches, for every root candidate of the alpha-beta search, a forced win of the opponent
// within MAX_DEPTH1 plies and two fifths of the budget, and marks the losing candidates down.
int QUICKDEFEND(SearchThread& t) {
    // Step 1. Fresh counters and working arrays; the board copied to un.
    t.node2        = 0;
    t.mate_node2   = 0;
    t.break_depth2 = 0;
    fresh_search_state(t);
    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
        {
            t.max_defend[x][y]     = HOLDS;
            t.max_defend_now[x][y] = HOLDS;
        }
    // From here on every stone is logged for the kept positions, until the search returns.
    const UnLogSession logged(t);

    // Step 2. The root candidates: the alpha-beta search's first-iteration list, made once.
    GENERATE_SCORE_TABLE(t, 1);
    GENERATE_WIDTH(t, 1);
    const int num = MOVECOM(t, 0, 1);
    set_root_key(t);

    // Step 3. Deepen by two plies. A candidate known to lose is not searched again; what the
    // running iteration finds counts only once it completes.
    for (t.DEPTH1 = 3; t.DEPTH1 <= MAX_DEPTH1 && t.DEPTH1 <= DEPTH_CAP; t.DEPTH1 += 2)
    {
        if (out_of_time(t))
            break;
        bool interrupted = false;
        for (int a = 1; a <= num; ++a)
        {
            const int x = t.nex[a][1], y = t.ney[a][1];
            if (x == 0 || t.max_defend[x][y] <= LOSS_LIMIT)
                continue;
            ++t.node2;
            place_stone(t, x, y, 1);
            set_child_key(t, 1, x, y);
            // A move that loses at once (a forbidden one) is not searched, and neither is one
            // that wins at once: after a five the game is over, whatever the opponent has.
            const int r = SITUA(t, 0, x, y, 1);
            if (r == -1)
                t.max_defend_now[x][y] = 0;
            else if (r == 0 && DFS_3(t, 0, 2) < 0)
                t.max_defend_now[x][y] = t.DEPTH1;
            lift_stone(t, x, y);
            if (out_of_time(t))
            {
                interrupted = true;
                break;
            }
        }
        if (interrupted || out_of_time(t))
            break;
        for (int x = 1; x <= n; ++x)
            for (int y = 1; y <= n; ++y)
                t.max_defend[x][y] = t.max_defend_now[x][y];
        t.break_depth2 = t.DEPTH1;
    }

    // Step 4. Penalties: the earlier the loss was found, the larger. DEPTH1 is where the
    // deepening stopped.
    bool any_holds = false;
    for (int a = 1; a <= num; ++a)
    {
        const int x = t.nex[a][1], y = t.ney[a][1];
        if (x == 0)
            continue;
        if (t.max_defend[x][y] <= LOSS_LIMIT)
        {
            jz[x][y] -= (t.DEPTH1 - t.max_defend[x][y]) * LOSS_STEP + LOSS_BASE;
            if (SHOW_DETAIL != 0)
                live_lost(x, y);
        }
        else
            any_holds = true;
    }
    if (SHOW_DETAIL != 0)
        live_lost_done();
    if (any_holds)
        return 0;

    // Step 5. Every candidate loses (or there is none): lift them back so the alpha-beta
    // search still chooses among them.
    situation = -1.0;
    for (int a = 1; a <= num; ++a)
    {
        const int x = t.nex[a][1], y = t.ney[a][1];
        if (x != 0)
            jz[x][y] += ALL_LOSE_LIFT;
    }
    if (!t.helper)  // a helper's verdict is told by the main thread
        say("\nMESSAGE Certainly lose... \n");
    return 0;
}
