// The console game's only contact with the operating system: single-key input and screen clear.
#pragma once

// One key, without echo and without Enter when stdin is a terminal; raw bytes otherwise.
// Returns -1 at end of input.
int read_key();
void clear_screen();
void restore_terminal();  // leaves raw mode if it is on; safe to call at any time
