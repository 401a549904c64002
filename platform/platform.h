// Everything that differs by operating system: key input without echo, screen clearing,
// putting the terminal back however the process leaves, large pages, and the few system calls
// of the bench. No other file includes a system header of its own.
#pragma once

#include <cstddef>

// Sets the standard streams up before the first command is read. On Windows stdin becomes a
// byte stream, as on Linux: CR LF reaches the parser as it was sent and a Ctrl-Z byte in a
// pipe is not the end of input. Does nothing elsewhere.
void prepare_standard_streams();

// Waits for bytes on standard input and copies what has arrived, at most `size`, to `buffer`.
// Returns how many; 0 at the end of input (or on an error that ends it). Bypasses the C
// library's buffer: only the engine's input reader calls it.
long read_standard_input(char* buffer, size_t size);

// One key, without echo and without Enter when stdin is a terminal; raw bytes otherwise.
// Keys the C library has already buffered come first. Returns -1 at end of input.
int read_key();
void clear_screen();      // also turns colour escape sequences on where the console needs it
void restore_terminal();  // leaves raw mode if it is on; safe to call at any time

// Asks the system to back every whole large page inside [table, table + bytes) with large
// pages, before the memory is first written. Where there is nothing to ask, does nothing.
void advise_large_pages(void* table, size_t bytes);

// CPU time of the whole process, in nanoseconds (in a browser, where there is none, wall time).
long long process_cpu_ns();
// While `mute` is true standard output goes to the null device (the bench keeps the engine's
// MESSAGE lines off its report); false puts it back. Flushes stdout before either switch.
void mute_stdout(bool mute);
