// Terminal access (placeholder).
#include "console/platform.h"

int read_key() { return -1; }
void clear_screen() {}
void restore_terminal() {}
