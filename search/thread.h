// The state a search works on, once per search thread. Every search routine takes its thread
// first and reads and writes only that thread's block; the hash tables, the pattern tables, the
// settings and the score board jz are shared. The move decision runs on main_thread.
#pragma once

#include "game/Main.h"
#include "search/live_report.h"
#include "search/random_number.h"

constexpr int DEPTH_SLOTS = 200;  // plies the depth-indexed arrays hold
constexpr int LAYER_SLOTS = 100;  // alpha-beta iterations kept in `evaluation`

struct SearchThread {
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

    // Per root candidate of the defence search: result of the last completed iteration, and of
    // the running one. 300 no forced loss found, d loss first found with DEPTH1 = d, 0 loses at
    // once.
    int max_defend[JZ_SIDE][JZ_SIDE];
    int max_defend_now[JZ_SIDE][JZ_SIDE];
};

extern SearchThread main_thread;  // the move decision's searches

// True once the searches of this decision have visited `fifths` fifths of NODE_LIMIT nodes
// together. The searches share the budget as they share the clock: the attack stops at a fifth,
// the defence at two, the alpha-beta at the whole. Read where the searches read the clock, so
// the budget is kept to within the nodes of one shallow subtree.
inline bool node_budget_spent(const SearchThread& t, int fifths) {
    return NODE_LIMIT > 0 &&
           (t.node + t.node1 + t.node2) * 5LL >= static_cast<long long>(NODE_LIMIT) * fifths;
}
