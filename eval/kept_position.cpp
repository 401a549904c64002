// The routines of kept positions that are not inline.
#include "eval/kept_position.h"

void fill_padded_codes(const SearchBoard& b, char* code) {
    const int n = BOARDSIZE;
    std::memset(code, OFF_BOARD_CODE, PAD_CELLS);
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            code[padded(x, y)] = b.un[x][y];
}

void fill_stone_bits(SearchBoard& b) {
    std::memset(b.un_log.lines, 0, sizeof b.un_log.lines);
    const int n = BOARDSIZE;
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
            if (b.un[x][y] == 1 || b.un[x][y] == 2)
                flip_stone_bits(b.un_log, x, y, b.un[x][y]);
}
