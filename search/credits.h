// The window credits the move generators add to jiazhi, kept from call to call: a credit board
// remembers the position it last scored, and a call moves it by the cells of `un` that changed
// since (the public calls are in search/movegen.h).
#pragma once

struct SearchThread;

// jiazhi from the kept credits of generator `which` (0 or 1) of `pair`, with `occupied` on
// stones, on the points 0..BOARDSIZE + 1.
void fill_scores(SearchThread& t, int pair, int which, int occupied);
