// Opening book: first- and second-move shaping of jz, and the pattern book matched in a
// 9 by 9 window under the eight board symmetries.
#pragma once

extern int mn[10][10];    // window being matched, colour-normalised: 1 first player, 2 second
extern int chan[10][10];  // transform scratch
extern int ajz[10][10];   // answer weights for the current window and symmetry

int GOMOBOOK();  // adds book weights to jz; always 0
int SOLVER();    // the pattern book over every window centre and symmetry; always 0

void LEFT_AND_RIGHT();
void UP_AND_DOWN();
void MIXTURE_1();
void MIXTURE_2();
void LEFT_AND_RIGHT1();
void UP_AND_DOWN1();
void MIXTURE_11();
void MIXTURE_21();
void RES();
