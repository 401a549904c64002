// Game records (placeholder).
#include "console/saveandload.h"

int SAVE() { return 0; }
