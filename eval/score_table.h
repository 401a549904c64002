// The per-depth branch widths and the leaf score of the search board.
#pragma once

#include "game/Main.h"

extern int Nbranch[1000];  // candidates kept by MOVECOM/MOVEPLA at each depth

void GENERATE_WIDTH(int layer);          // fills Nbranch for an iteration of depth `layer`
void GENERATE_SCORE_TABLE(int a_depth);  // rebuilds strucP from strucT for parity and rule
int SCORE_TABLE();                       // sum of strucP over every six-cell window of un

// SCORE_TABLE kept up to date instead of recomputed: the sum is remembered with the position it
// belongs to, and only the windows through the cells changed since then are looked up again.
// GENERATE_SCORE_TABLE and a new board size make it start over from SCORE_TABLE.
int leaf_score();
