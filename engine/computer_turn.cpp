// Move decision (placeholder).
#include "engine/computer_turn.h"

void COMPUTER_TURN() {}
