// Renju forbidden moves of the restricted (black) side: overline, double four, double three.
#pragma once

#include "engine/Main.h"

// Layer d is the private board of the check running at depth d; the caller fills layer 0
// with the restricted side's stones as 1, the other side's as 2, empty 0. Layers 5..9 unused.
extern int board_ban[10][JZ_SIDE][JZ_SIDE];
extern int dir_banx[5], dir_bany[5];  // entries 1..4: (1,0) (0,1) (1,1) (1,-1)

// 1 if a code-1 stone at (ex, ey) on layer depth-1 is forbidden, else 0. depth > 4 gives 0.
int CHECK_BAN(int ex, int ey, int thr, int depth);
