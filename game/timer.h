// The move's millisecond stopwatch, measured on a steady wall clock.
#pragma once

#include <atomic>
#include <cstdint>

extern int64_t t_start, t_end;  // clock readings in ms
extern int t_delta;             // last elapsed time measured

// 1: start the stopwatch, return 0. 2: whole ms since the last start. Anything else: 0.
int TIMER(int timer_command);

// Whole ms since the last start, as TIMER(2) gives it, without writing anything: every search
// thread reads the stopwatch that the move decision started.
int elapsed_ms();

// A stop asked for while the engine thinks. The searches read it where they read the clock and
// take it as their time running out, so a stopped decision answers with what its completed work
// found. The native input reader sets the flag from its own thread; a front end without a second
// thread (the browser) sets stop_poll to a check of its own instead.
extern std::atomic<bool> stop_thinking;
extern bool (*stop_poll)();

inline bool stop_requested() {
    return stop_thinking.load(std::memory_order_relaxed) || (stop_poll != nullptr && stop_poll());
}
