// Console game (placeholder).
#include "console/play.h"

void PLAY() {}
void PLAYER_TURN() {}
