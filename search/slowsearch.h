// The iterative-deepening alpha-beta search over the engine's root candidates.
#pragma once

#include "search/thread.h"

int SLOWSEARCH(SearchThread& t);  // adds root scores to jz; always 0
// The main thread's alpha-beta search while a helper runs the threat searches (helpers_start):
// SLOWSEARCH's iterations, skipping the points that t.root_jz rules out, and no scores added;
// add_root_scores adds them once the threat searches are done, except at points jz now rules
// out. Always 0.
int slowsearch_beside(SearchThread& t);
void add_root_scores(const SearchThread& t);
// A helper thread's alpha-beta search, until the main thread is done (halt_helpers); always 0.
int helper_search(SearchThread& t);
int DFS(SearchThread& t, int thr, int dep, int alpha, int beta);  // score of the node at depth dep
