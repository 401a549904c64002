// Judging (placeholder).
#include "rules/judge.h"

int JUDGE() { return 0; }
