// Positions in tests are pictures: rows of '.', 'o' and 'x' laid onto a board.
#pragma once

#include <cstring>
#include <utility>

#include "eval/score_table.h"
#include "game/Main.h"
#include "search/thread.h"

// Lays a picture on a board: rows separated by '/', character k of row r on point
// (x0 + k, y0 + r), so text columns run along the first index and text rows along the second.
// 'o' is code 1, 'x' code 2, '*' gets `star`, anything else empty; returns the '*' point.
template <class Cell, int W>
std::pair<int, int> draw(Cell (*board)[W], int x0, int y0, const char* pic, int star = 0) {
    std::pair<int, int> p;
    for (int x = x0, y = y0; *pic != '\0'; ++pic, ++x)
    {
        if (*pic == '/')
            x = x0 - 1, ++y;
        else if (*pic == '*')
            board[x][y] = static_cast<Cell>(star), p = {x, y};
        else
            board[x][y] = static_cast<Cell>(*pic == 'o' ? 1 : *pic == 'x' ? 2 : 0);
    }
    return p;
}

// A fresh game on a size-by-size board under `rule`, with the score board and the main
// thread's search board cleared.
inline void fresh_game(int size = 15, int rule = 1) {
    BOARDSIZE = size;
    gametype  = rule;
    RESTART();
    std::memset(jz, 0, sizeof jz);
    std::memset(main_thread.un, 0, sizeof main_thread.un);
}
