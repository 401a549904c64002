// The move decision: fills jz from the book, the point table and the searches, and writes
// the chosen point into stonex[i], stoney[i] (0, 0 when there is none). Plays for stone 1.
#pragma once

constexpr int RANKED_NB = 80;  // most candidates ranked into bestx, besty

void COMPUTER_TURN();

// Alpha-beta nodes of the helper threads in the last decision (0 with one thread).
extern long long helper_nodes;

// The searches' safety margins (ms) for a move budget of `max_time` ms.
void search_margins(int max_time, int* quick_delay, int* slow_delay);

// COMPUTER_TURN for whichever side has move i: the board's colours are swapped around the call
// when that is the first player (odd i), since the decision plays for stone 1.
void computer_turn_for_side_to_move();
