// Threat defence search: marks down the engine's candidates that lose to a forced attack.
#pragma once

#include "search/thread.h"

int QUICKDEFEND(SearchThread& t);              // penalises losing candidates in jz; always 0
int DFS_3(SearchThread& t, int thr, int dep);  // -1: the opponent wins by force from this node
int MOVEP(SearchThread& t, int thr, int dep);  // opponent's attacking moves at depth dep; the count
int MOVEC(SearchThread& t, int thr, int dep);  // engine's answers at depth dep
