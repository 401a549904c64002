// The iterative-deepening alpha-beta search over the engine's root candidates.
#pragma once

extern int value[200];  // best score so far at the node of each depth

int SLOWSEARCH();                                // adds root scores to jz; always 0
int DFS(int thr, int dep, int alpha, int beta);  // score of the node at depth dep
