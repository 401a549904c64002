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

void fill_stone_bits() {
    std::memset(un_log.lines, 0, sizeof un_log.lines);
    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            if (un[x][y] == 1 || un[x][y] == 2)
                flip_stone_bits(x, y, un[x][y]);
}
