// The move decision: fills jz from the book, the point table and the searches, and writes
// the chosen point into stonex[i], stoney[i] (0, 0 when there is none). Plays for stone 1.
#pragma once

void COMPUTER_TURN();
