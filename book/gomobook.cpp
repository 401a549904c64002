// Opening book (placeholder).
#include "book/gomobook.h"

int mn[10][10], chan[10][10], ajz[10][10];

int GOMOBOOK() { return 0; }
int SOLVER() { return 0; }
void LEFT_AND_RIGHT() {}
void UP_AND_DOWN() {}
void MIXTURE_1() {}
void MIXTURE_2() {}
void LEFT_AND_RIGHT1() {}
void UP_AND_DOWN1() {}
void MIXTURE_11() {}
void MIXTURE_21() {}
void RES() {}
