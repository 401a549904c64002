// Threat attack search: a forced win of the engine by continuous attack.
#pragma once

#include "search/thread.h"

int QUICKKILL(SearchThread& t);  // marks a proven winning move in jz, sets situation 1.0; always 0
int DFS_2(SearchThread& t, int thr, int dep);  // 1: the engine wins by force from this node
int MOC(SearchThread& t, int thr, int dep);    // engine's attacking moves at depth dep; the count
int MOP(SearchThread& t, int thr, int dep);    // opponent's answers at depth dep

// Threat generators share their frame with the others (search/slowsearch.h).
constexpr int THREAT_DECISIVE_SCORE = 1999;  // above: a point that makes or stops five
