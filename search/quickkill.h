// Threat attack search: a forced win of the engine by continuous attack.
#pragma once

int QUICKKILL();             // marks a proven winning move in jz, sets situation 1.0; always 0
int DFS_2(int thr, int dep);  // 1: the engine wins by force from this node
int MOC(int thr, int dep);    // engine's attacking moves at depth dep; returns the count
int MOP(int thr, int dep);    // opponent's answers at depth dep

// Generator frame shared by the two threat searches (attack and defence).
constexpr int THREAT_DECISIVE_SCORE = 1999;  // above: a point that makes or stops five
constexpr int THREAT_LIST_CLEAR     = 100;   // list slots 0..100 of a depth are cleared
// Start cells of the windows that can hold a stone: only those earn threat credits.
struct StartBox {
    int x_lo, x_hi, y_lo, y_hi;
};
// jiazhi: 0 on empty points (and the frame), `occupied` on stones; returns the start box.
StartBox threat_reset_scores(int occupied);
void threat_clear_list(int dep);             // empties nex/ney[0..100][dep]
// Freestyle shortcut: when the best point of jiazhi (first in x-then-y order) scores above
// THREAT_DECISIVE_SCORE it becomes candidate 1 of depth dep and the result is true.
bool threat_decisive_point(int dep);
