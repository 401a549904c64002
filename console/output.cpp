// Screen drawing (placeholder).
#include "console/output.h"

void OUTPUT() {}
