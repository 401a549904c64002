// The state a search works on, once per search thread. Every search routine takes its thread
// first and reads and writes only that thread's block; the hash tables, the pattern tables, the
// settings and the score board jz are shared. The block builds on the eval floor's part
// (EvalThread: the board un, its log, the leaf table and widths), which the eval routines take
// on their own. The move decision runs on main_thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "eval/kept_position.h"
#include "eval/pattern_tables.h"
#include "eval/score_table.h"
#include "game/Main.h"
#include "search/gather.h"
#include "search/live_report.h"
#include "search/random_number.h"

constexpr int DEPTH_SLOTS = 200;   // plies the depth-indexed arrays hold
constexpr int LAYER_SLOTS = 100;   // alpha-beta iterations kept in `evaluation`
constexpr int POINT_SLOTS = 1000;  // points of the sort and selection arrays

// A point of the board and its score, as sorted and selected by the move generators.
struct POINT {
    int posx;
    int posy;
    int val;
};

// The gathered points of an alpha-beta or threat node whose list is written on demand (see
// search/movegen.cpp): the list's count, and the points kept with the best three of them.
constexpr int KEPT_POINTS = 64;  // more gathered points than this: the list is made at once
constexpr int TOP_POINTS  = 3;   // found in one pass with the count
struct PendingList {
    int count = 0;  // candidates in the list
    int m     = 0;  // gathered points kept
    uint64_t top[TOP_POINTS];
    uint64_t last = 0;  // key of the last candidate found one by one
    uint64_t keys[KEPT_POINTS];
};

// What one window adds to jiazhi: `first` to c1, `middle` to each of c2..c5, `last` to c6.
struct WindowCredit {
    int first, middle, last;
#if defined(__wasm_simd128__)
    int unused = 0;  // a whole vector: two entries' difference in one subtraction
#endif
};

// The window credits of a pair of generators for the position in `seen`, kept in step with
// `un` (see search/credits.cpp).
struct CreditBoard {
    int size = 0;  // board size of the kept position; 0: none, rescan
    bool proximity;
    char seen[JZ_SIDE][JZ_SIDE];
    LogMark mark;
    char code[PAD_CELLS];
    WindowCredit table[2][SIX_NB + 1];  // entry SIX_NB: no window, all zero
    int occupied[2];                    // start score of a stone, per generator
    int credit[2][PAD_CELLS];           // jiazhi of every point: start score and credits
};

struct SearchThread : EvalThread {
    // A helper thread of a threaded decision (helper_search): it runs the alpha-beta search
    // into the shared tables and leaves jz, the verdict and the live lines to the main thread.
    // It takes the root candidates from the one `rotation` places on, follows the main thread's
    // running iteration (`following`, 0 before the main thread's search), and skips the points
    // that root_jz, the score board as the decision began, rules out.
    bool helper  = false;
    bool threats = false;  // this decision, first the threat searches (helpers_start)
    // Fifths of the turn time the threat searches may use, times this: 1 when they take turns
    // with the alpha-beta search, 2 when they run beside it on a thread of their own.
    int threat_share = 1;
    int rotation     = 0;
    int following    = 0;
    int root_jz[JZ_SIDE][JZ_SIDE];

    // The last completed alpha-beta iteration's best root move and its score.
    int best_x = 0, best_y = 0, best_value = 0;

    // Nodes, won/lost end positions and depth reached by the alpha-beta, attack and defence
    // searches of the running move.
    int node = 0, node1 = 0, node2 = 0;
    int mate_node = 0, mate_node1 = 0, mate_node2 = 0;
    int break_depth = 0, break_depth1 = 0, break_depth2 = 0;

    int LAYER = 0;              // running alpha-beta iteration
    int DEPTH = 0, DEPTH1 = 0;  // running depth limits of the attack and defence searches

    int value[DEPTH_SLOTS];  // best score so far at the node of each depth

    U64 zobristcheck[DEPTH_SLOTS];  // full key of the position at each search depth (1 = root)
    int zobristkey[DEPTH_SLOTS];    // its slot in the hash tables

    // evaluation[L][x][y]: score of root candidate (x, y) in the alpha-beta iteration L.
    int evaluation[LAYER_SLOTS][JZ_SIDE][JZ_SIDE];
    // Root candidates scored exactly in the running iteration, for the live detail lines.
    RootScore root_scores[DEPTH_SLOTS];

    // ---- Move generation (search/movegen.cpp, credits.cpp, gather.cpp) ----

    int jiazhi[JZ_SIDE][JZ_SIDE];   // generators' score board (window credits may reach 0, N+1)
    POINT point[POINT_SLOTS];       // sort array, positions 1..BOARDSIZE^2
    POINT point_temp[POINT_SLOTS];  // merge buffer
    // nex[k][d]: x of candidate k (from 1) at depth d, ney[k][d] its y; 0 empty.
    int nex[DEPTH_SLOTS][DEPTH_SLOTS], ney[DEPTH_SLOTS][DEPTH_SLOTS];
    int list_top[DEPTH_SLOTS];  // per depth: highest slot (up to 100) a generator may have set
    int candidates_made[DEPTH_SLOTS];  // per depth: candidates written so far (all: INT32_MAX)
    PendingList pending[DEPTH_SLOTS];  // per depth: a list written on demand
    // Last width-th score per alpha-beta generator and depth: the next call at that depth
    // gathers from about there first (positions one or two moves apart score alike), and again
    // from the threshold when too few points reach it.
    int width_score[2][DEPTH_SLOTS];
    CreditBoard credit_boards[3];  // one per pair of generators (CreditPair)
    // Where the windows off the board add their zeros when jiazhi takes a stone's credits:
    // room for six cells a row apart.
    int window_sink[5 * JZ_SIDE + 6];

    // The points of jiazhi gathered for selection, as packed keys (search/gather.h).
    uint64_t gathered[POINT_SLOTS];
    int n_gathered = 0;

    // Scratch of the sort and the selection.
    POINT sort_zeros[POINT_SLOTS], sort_negatives[POINT_SLOTS], sort_spare[POINT_SLOTS];
    uint64_t select_best[POINT_SLOTS + 1];
    int rank_small[RANKED_SELECTION + 4];
    uint64_t rank_close_keys[RANKED_SELECTION];

    // Per root candidate of the defence search: result of the last completed iteration, and of
    // the running one. 300 no forced loss found, d loss first found with DEPTH1 = d, 0 loses at
    // once.
    int max_defend[JZ_SIDE][JZ_SIDE];
    int max_defend_now[JZ_SIDE][JZ_SIDE];
};

extern SearchThread main_thread;  // the move decision's searches

// Set when the main thread is done with a threaded decision: the helpers stop as on a timeout.
extern std::atomic<bool> halt_helpers;
// The main thread's running alpha-beta iteration (0 before its alpha-beta search starts).
extern std::atomic<int> main_layer;
// Set when the threat attack search proves a win: the alpha-beta search beside it stops.
extern std::atomic<bool> threats_won;

// Called by the main thread's alpha-beta search after each completed iteration (a bench records
// the time to each depth); none by default.
extern void (*iteration_done)(const SearchThread& t);

// True once the searches of this decision have visited `fifths` fifths of NODE_LIMIT nodes
// together. The searches share the budget as they share the clock: the attack stops at a fifth,
// the defence at two, the alpha-beta at the whole. Read where the searches read the clock, so
// the budget is kept to within the nodes of one shallow subtree.
inline bool node_budget_spent(const SearchThread& t, int fifths) {
    return NODE_LIMIT > 0 &&
           (t.node + t.node1 + t.node2) * 5LL >= static_cast<long long>(NODE_LIMIT) * fifths;
}

// ---- Threads of a move decision (search/thread.cpp) ----

// The most threads, whatever the machine has: each adds about 1.1 MB of search state beside
// the 96 MB of shared tables, so even the most stay well under 350 MB.
constexpr int MAX_SEARCH_THREADS = 128;
// An alpha-beta root score from here up is a win forced within the horizon: the engine
// completes five at depth d with 500000 - 100 d, and no leaf scores this high.
constexpr int FORCED_WIN_SCORE = 400000;

// What the helpers of a decision did: their alpha-beta nodes, their deepest completed
// iteration, and the best forced win one of them found (win_x 0: none).
struct HelperReport {
    long long nodes = 0;
    int depth       = 0;
    int win_x = 0, win_y = 0, win_value = 0;
    // The helper that ran the threat searches, with their counters and depths (idle until the
    // next decision); none when the main thread ran them.
    const SearchThread* threats = nullptr;
};

int max_search_threads();  // the machine's hardware threads (1 in the browser)
int search_threads();      // threads of the next decisions, the main one included
// Sets the thread count, clamped to 1..max_search_threads(); between decisions only.
void set_search_threads(int n);
// Wakes the helpers at the start of the decision's searches (none with one thread): they read
// the board qp and the settings, and a copy of jz as it stands now (main_thread.root_jz gets
// one too). With `threats`, the first helper runs the threat attack and defence searches
// first, into jz, while the main thread's alpha-beta search reads only its copy; false when
// there is no helper.
bool helpers_start(bool threats);
// Stops the helpers and waits until each is idle again; what they did.
HelperReport helpers_finish();
