// Threat defence search: marks down the engine's candidates that lose to a forced attack.
#pragma once

int QUICKDEFEND();            // penalises losing candidates in jz; always 0
int DFS_3(int thr, int dep);  // -1: the opponent wins by force from this node
int MOVEP(int thr, int dep);  // opponent's attacking moves at depth dep; returns the count
int MOVEC(int thr, int dep);  // engine's answers at depth dep
