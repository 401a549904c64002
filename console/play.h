// The console game: both sides at the keyboard, the engine on request.
#pragma once

void PLAY();         // runs one game from the current move list to its end
void PLAYER_TURN();  // reads keys until a move for slot i is chosen
