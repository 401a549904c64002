// Everything that differs by operating system: key input without echo, screen clearing,
// putting the terminal back however the process leaves, and large pages. No other file
// includes a system header of its own.
#pragma once

#include <cstddef>

// One key, without echo and without Enter when stdin is a terminal; raw bytes otherwise.
// Returns -1 at end of input.
int read_key();
void clear_screen();
void restore_terminal();  // leaves raw mode if it is on; safe to call at any time

// Asks the system to back every whole large page inside [table, table + bytes) with large
// pages, before the memory is first written. Where there is nothing to ask, does nothing.
void advise_large_pages(void* table, size_t bytes);
