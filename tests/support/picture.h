// Positions in tests are pictures: rows of '.', 'o' and 'x' laid onto a board.
#pragma once

#include <cstring>
#include <initializer_list>

#include "eval/score_table.h"
#include "game/Main.h"

// Character k of picture row r lands on point (x0 + k, y0 + r): text columns run along the
// first index, text rows along the second. '.' is empty, 'o' code 1, 'x' code 2; any other
// character (a blank, '|') leaves its cell as it is.
template <class Cell, int W>
void put_picture(Cell (*board)[W], int x0, int y0, std::initializer_list<const char*> rows) {
    int r = 0;
    for (const char* row : rows)
    {
        for (int k = 0; row[k] != '\0'; ++k)
        {
            const char ch = row[k];
            Cell* cell    = &board[x0 + k][y0 + r];
            if (ch == '.')
                *cell = 0;
            else if (ch == 'o')
                *cell = 1;
            else if (ch == 'x')
                *cell = 2;
        }
        ++r;
    }
}

// A fresh game on a size-by-size board under `rule`, with the score and search boards cleared.
inline void fresh_game(int size = 15, int rule = 1) {
    BOARDSIZE = size;
    gametype  = rule;
    RESTART();
    std::memset(jz, 0, sizeof jz);
    std::memset(un, 0, sizeof un);
}
