// Threat defence search (placeholder).
#include "search/quickdefend.h"

int QUICKDEFEND() { return 0; }
int DFS_3(int, int) { return 0; }
int MOVEP(int, int) { return 0; }
int MOVEC(int, int) { return 0; }
