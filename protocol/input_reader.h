// The native engine's input. A reader thread takes standard input as it arrives, so that a
// stop sent while the engine thinks is seen at once; the command loop reads the same bytes, in
// the same order, through std::cin. Nothing here writes output.
#pragma once

// Puts the reader behind std::cin and starts its thread. Call once, before the first command.
void start_input_reader();
