// Threat attack search: the engine plays only threats, the opponent only the replies to them,
// deepening by two plies; a proven win is marked in jz and played at once.
#include "search/quickkill.h"

#include <cstring>

#include "eval/pattern_tables.h"
#include "eval/situa.h"
#include "game/Main.h"
#include "game/timer.h"
#include "search/ai.h"
#include "search/movegen.h"
#include "search/slowsearch.h"

namespace {

constexpr int KILL_OCCUPIED   = -10000000;  // start score of an occupied point
constexpr int KILL_MAX_MOVES  = 100;        // candidates kept per node
constexpr int WIN_MARK        = 10500000;   // jz credit of a proven winning move
constexpr int PROVEN          = 10000;      // hash depth of a result valid at every depth
constexpr int PROVEN_WIN_EVAL = 100000;     // exact alpha-beta score of a proven win
// Keys, values and candidate lists are indexed by depth up to 199: deeper limits cannot run.
constexpr int DEPTH_CAP = 198;

// A fifth of the move's budget (two beside the alpha-beta search), less the threat searches'
// margin; or a stop.
bool out_of_time(const SearchThread& t) {
    return elapsed_ms() > MAX_TIME / 5 * t.threat_share - QUICK_SEARCH_DELAY ||
           node_budget_spent(t, 1) || stop_requested();
}

// The clock is read only near the root, where few nodes are.
bool shallow(const SearchThread& t, int dep) { return dep <= 2 || dep < t.DEPTH - 2; }

// Engine's attacking moves: points that make threes, fours or five, or stop the opponent's.
int moc_list(SearchThread& t, int dep, bool on_demand) {
    // Steps 1-2. Fresh list; scores with five-cell credit to all five cells and six-cell credit
    // to the four middle ones, kept from call to call.
    clear_list(t, dep);

    // Only points reaching the depth's threshold can enter the list (every decisive point
    // reaches it too).
    int threshold = dep == 1 ? 20 : 50;
    if (dep >= t.DEPTH - 9 && threshold < 100)
        threshold = 100;
    credit_scores(t, PAIR_ATTACK, 0, KILL_OCCUPIED, threshold);

    // Step 3. Freestyle: a decisive point alone; near the limit only such points are tried.
    if (gametype == 1)
    {
        if (gathered_decisive_point(t, dep, THREAT_DECISIVE_SCORE))
            return 1;
        if (dep >= t.DEPTH - 3)
            return 0;
    }

    // Steps 4-6. The best points above the threshold, highest first.
    return on_demand ? list_on_demand(t, dep, KILL_MAX_MOVES)
                     : list_selected(t, dep, KILL_MAX_MOVES);
}

// Opponent's answers to the engine's threats: blocks of its threes and fours, and counter-fours.
int mop_list(SearchThread& t, int dep, bool on_demand) {
    clear_list(t, dep);
    credit_scores(t, PAIR_ATTACK, 1, KILL_OCCUPIED, 25);

    if (gametype == 1 && gathered_decisive_point(t, dep, THREAT_DECISIVE_SCORE))
        return 1;

    return on_demand ? list_on_demand(t, dep, KILL_MAX_MOVES)
                     : list_selected(t, dep, KILL_MAX_MOVES);
}

}  // namespace

// The list is made at once; the search's own nodes ask for it on demand (see list_on_demand).
int MOC(SearchThread& t, int /*thr*/, int dep) { return moc_list(t, dep, false); }

int MOP(SearchThread& t, int /*thr*/, int dep) { return mop_list(t, dep, false); }

// 1 when the engine wins by force from the node at depth dep (odd: engine to attack); 0 or -1
// otherwise, including every node cut short by the clock.
int DFS_2(SearchThread& t, int thr, int dep) {
    // Step 1. Count; stop at the iteration's limit.
    ++t.node1;
    if (dep >= t.DEPTH)
        return 0;
    if (shallow(t, dep) && out_of_time(t))
        return 0;

    // Step 2. Known results of this position.
    if (dep > 4)
    {
        const ALPHA_BETA hit = PROBE_HASH1(t.zobristkey[dep], t.zobristcheck[dep], i + t.DEPTH);
        if (hit.if_mate)
        {
            ++t.mate_node1;
            return hit.value;
        }
    }

    // Step 3. Threats at the engine's nodes, replies at the opponent's. Without either the
    // attack has failed: no threat left, or the last one needed no answer.
    const bool engine = dep % 2 == 1;
    if (engine)  // a winning attack tells the main table too: its slot is fetched meanwhile
        __builtin_prefetch(&hash_tag[t.zobristkey[dep]]);
    const int num = engine ? moc_list(t, dep, true) : mop_list(t, dep, true);
    if (num == 0)
        return 0;
    if (shallow(t, dep) && out_of_time(t))
        return 0;

    // Step 4. Try each move; the engine needs one winning threat, the opponent one refutation.
    // The hash slot of the next child is fetched while this one is searched: the children
    // below depth 4 probe and record it.
    const bool prefetch = dep + 1 > 4 && dep + 1 < t.DEPTH;
    need_candidates(t, dep, 1);  // the list is written as the loop reaches it
    if (prefetch && t.nex[1][dep] != 0)
        __builtin_prefetch(&hash_tag1[child_slot(t, dep, t.nex[1][dep], t.ney[1][dep])]);
    for (int a = 1; a <= num; ++a)
    {
        need_candidates(t, dep, prefetch && a < num ? a + 1 : a);
        const int x = t.nex[a][dep], y = t.ney[a][dep];
        if (x == 0)
            continue;
        if (prefetch && a < num && t.nex[a + 1][dep] != 0)
            __builtin_prefetch(
                &hash_tag1[child_slot(t, dep, t.nex[a + 1][dep], t.ney[a + 1][dep])]);
        place_stone(t, x, y, engine ? 1 : 2);
        set_child_key(t, dep, x, y);
        int r = SITUA(t, thr, x, y, dep);
        if (r == 0)
            r = DFS_2(t, thr, dep + 1);
        lift_stone(t, x, y);

        if (a == 1)
            t.value[dep] = r;
        else if (engine)
            t.value[dep] = r > t.value[dep] ? r : t.value[dep];
        else
            t.value[dep] = r < t.value[dep] ? r : t.value[dep];
        if (shallow(t, dep) && out_of_time(t))
            return 0;

        if (engine && t.value[dep] == 1)
        {
            // A won position stays won: remember it for good, and tell the alpha-beta search.
            RECORD_HASH1(t.zobristkey[dep], t.zobristcheck[dep], PROVEN, 1, 0, 0);
            RECORD_HASH(t.zobristkey[dep], t.zobristcheck[dep], i + t.DEPTH + 5, 3, PROVEN_WIN_EVAL,
                        0, 0);
            return 1;
        }
        if (!engine && t.value[dep] <= 0)
        {
            RECORD_HASH1(t.zobristkey[dep], t.zobristcheck[dep], i + t.DEPTH, 0, 0, 0);
            return 0;
        }
    }

    // Step 5. Every threat refuted (engine node) or every answer lost (opponent node); only
    // valid for this depth limit.
    if (shallow(t, dep) && out_of_time(t))
        return 0;
    RECORD_HASH1(t.zobristkey[dep], t.zobristcheck[dep], i + t.DEPTH, t.value[dep], 0, 0);
    return t.value[dep];
}

// Looks for a forced win by continuous attack within MAX_DEPTH plies and a fifth of the budget.
// On success the winning move gets WIN_MARK in jz, situation becomes 1.0 and a message is printed.
int QUICKKILL(SearchThread& t) {
    // Step 1. Fresh counters and working arrays; the board copied to un.
    t.node1        = 0;
    t.mate_node1   = 0;
    t.break_depth1 = 0;
    fresh_search_state(t);
    // From here on every stone is logged for the kept positions, until the search returns.
    const UnLogSession logged(t);

    // Step 2. The root threats, generated once against the deepest limit.
    t.DEPTH       = MAX_DEPTH;
    const int num = MOC(t, 0, 1);
    set_root_key(t);

    // Step 3. Deepen by two plies; each iteration tries every root threat.
    for (t.DEPTH = 4; t.DEPTH <= MAX_DEPTH && t.DEPTH <= DEPTH_CAP; t.DEPTH += 2)
    {
        if (out_of_time(t))
            return 0;
        for (int a = 1; a <= num; ++a)
        {
            const int x = t.nex[a][1], y = t.ney[a][1];
            if (x == 0 || y == 0)
                continue;
            if (out_of_time(t))
                return 0;
            place_stone(t, x, y, 1);
            set_child_key(t, 1, x, y);
            const int r = SITUA(t, 0, x, y, 1);
            bool won    = r == 1;
            if (!won && r != -1 && DFS_2(t, 0, 2) == 1)
            {
                t.break_depth1 = t.DEPTH;
                // A win confirmed after the clock ran out may rest on cut-short nodes: drop it.
                if (out_of_time(t))
                {
                    lift_stone(t, x, y);
                    return 0;
                }
                won = true;
            }
            lift_stone(t, x, y);
            if (won)
            {
                jz[x][y] += WIN_MARK;
                situation      = 1.0;
                t.break_depth1 = t.DEPTH;
                if (!t.helper)  // a helper's verdict is told by the main thread
                    say("\nMESSAGE Certainly win...\n");
                return 0;
            }
        }
        t.break_depth1 = t.DEPTH;
    }
    return 0;
}
