// The iterative-deepening alpha-beta search over the engine's root candidates.
#pragma once

#include "search/thread.h"

int SLOWSEARCH(SearchThread& t);  // adds root scores to jz; always 0
int DFS(SearchThread& t, int thr, int dep, int alpha, int beta);  // score of the node at depth dep
