// Threat attack search: a forced win of the engine by continuous attack.
#pragma once

int QUICKKILL();              // marks a proven winning move in jz, sets situation 1.0; always 0
int DFS_2(int thr, int dep);  // 1: the engine wins by force from this node
int MOC(int thr, int dep);    // engine's attacking moves at depth dep; returns the count
int MOP(int thr, int dep);    // opponent's answers at depth dep

// Threat generators share their frame with the others (search/slowsearch.h).
constexpr int THREAT_DECISIVE_SCORE = 1999;  // above: a point that makes or stops five
