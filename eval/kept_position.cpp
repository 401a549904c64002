// The shared state and routines of kept positions.
#include "eval/kept_position.h"

int newest_x = 0, newest_y = 0;
UnLog un_log;

void fill_padded_codes(char* code) {
    const int n = BOARDSIZE;
    std::memset(code, OFF_BOARD_CODE, PAD_CELLS);
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            code[padded(x, y)] = un[x][y];
}
