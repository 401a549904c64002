// The move's millisecond stopwatch, measured on a steady wall clock.
#pragma once

#include <cstdint>

extern int64_t t_start, t_end;  // clock readings in ms
extern int t_delta;             // last elapsed time measured

// 1: start the stopwatch, return 0. 2: whole ms since the last start. Anything else: 0.
int TIMER(int timer_command);
