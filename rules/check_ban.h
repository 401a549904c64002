// Renju forbidden moves of the restricted (black) side: overline, double four, double three.
#pragma once

#include "game/Main.h"

// The check at depth d reads layer d - 1; the caller fills layer 0 with the restricted side's
// stones as 1, the other side's as 2, empty 0. Deeper checks see that board with the stones of
// the enclosing checks added, without copying it: no layer is written.
extern int board_ban[10][JZ_SIDE][JZ_SIDE];
extern int dir_banx[5], dir_bany[5];  // entries 1..4: (1,0) (0,1) (1,1) (1,-1)

// 1 if a code-1 stone at (ex, ey) on layer depth-1 is forbidden, else 0. depth > 4 gives 0.
int CHECK_BAN(int ex, int ey, int thr, int depth);
// Fills `forbidden` with 1 on every empty point of qp where a stone of the first player (2 on
// qp) would be forbidden, 0 elsewhere. The console's marks and the protocol's list share it.
void mark_forbidden_points();
// CHECK_BAN(ex, ey, 0, 1) of a stone of `black` (code 1 or 2) on a search board `un`, read in
// place: the same answer as after copying `un` into layer 0 with black's stones as 1.
int check_ban_on_un(const char (&un)[JZ_SIDE][JZ_SIDE], int ex, int ey, int black);
