// Threat attack search (placeholder).
#include "search/quickkill.h"

int QUICKKILL() { return 0; }
int DFS_2(int, int) { return 0; }
int MOC(int, int) { return 0; }
int MOP(int, int) { return 0; }
