// Opening book: shapes jz for the first and second move of a game, and matches known local
// positions in a 9 by 9 window under the eight board symmetries (SOLVER).
#include "book/gomobook.h"

#include "game/Main.h"
#include "game/engine_rand.h"

int mn[10][10], chan[10][10], ajz[10][10];

namespace {

constexpr int WIN    = 9;  // window side; cells 0..8, centre (4, 4)
constexpr int HALF   = 4;  // distance from the window centre to its edge
constexpr int FIRST  = 1;  // first player's stone in the normalised window
constexpr int SECOND = 2;

// The first board on which a whole window fits around some centre is 9 by 9.
constexpr int MIN_BOOK_BOARD = 9;

// A stone test of a book row: window cell (r, c) must hold `colour` (0 ends the list).
struct Stone {
    int r, c, colour;
};

// An answer of a book row: ajz[r][c] += weight, plus engine_rand() % spread when spread > 0.
// A zero weight ends the list.
struct Answer {
    int r, c, weight, spread;
};

constexpr int MAX_STONES  = 6;  // stones besides the centre, up to the seventh stone (move 8)
constexpr int MAX_ANSWERS = 18;

// One book rule: on move `move`, with a first-player stone at the centre and every stone
// test met, every answer is added. Rows are independent; all matching rows add.
struct BookRow {
    int move;
    Stone stones[MAX_STONES];
    Answer answers[MAX_ANSWERS];
};

constexpr Stone F(int r, int c) { return {r, c, FIRST}; }
constexpr Stone S(int r, int c) { return {r, c, SECOND}; }
// A fixed answer, 1,000,000 unless given.
constexpr Answer A(int r, int c, int weight = 1000000) { return {r, c, weight, 0}; }
// A varied third-move answer: weight + engine_rand() % spread, drawn when the row fires.
constexpr Answer R(int r, int c, int weight, int spread) { return {r, c, weight, spread}; }

// The book. Window cells are (r, c): r along the board's first index, c along the second;
// the centre (4, 4) holds the first player's first stone. F is a first-player stone, S a
// second-player stone, listed in the order they were played. Answers are for the side to
// move: the first player on moves 3, 5 and 7, the second on moves 4, 6 and 8.
// The random draws of the move-3 rows happen in the order the answers are listed here, and
// the move-3 rows are tried in this order; keep both when editing.
// clang-format off
const BookRow BOOK[] = {
    // Move 3: vary the third stone among the good replies.
    {3, {S(4, 2)},
        {R(4, 6, 500000, 65), R(3, 3, 1000000, 100), R(2, 4, 1000000, 100), R(5, 5, 1000000, 100)}},
    {3, {S(5, 5)},  // the diagonal start
        {R(5, 3, 1000000, 100), R(5, 2, 1000000, 100), R(6, 3, 1000000, 100), R(4, 2, 1000000, 100),
         R(6, 2, 1000000, 100), R(6, 6, 500000, 60),
         R(6, 4, 1000000, 100), R(7, 6, 1000000, 100), R(3, 2, 1000000, 100), R(7, 5, 1000000, 100),
         R(7, 4, 1000000, 100), R(3, 3, 500000, 64), R(6, 5, 1000000, 100), R(7, 7, 500000, 60),
         R(4, 3, 999999, 100), R(7, 3, 999999, 100), R(4, 5, 999999, 100)}},
    {3, {S(5, 4)},  // the direct start
        {R(7, 3, 1000000, 100), R(7, 4, 500000, 60),
         R(7, 2, 1000000, 100), R(5, 2, 1000000, 100), R(5, 3, 1000000, 100), R(6, 3, 1000000, 100),
         R(2, 3, 999999, 100), R(6, 2, 1000000, 100), R(4, 3, 999999, 100),
         R(3, 4, 500000, 60), R(6, 4, 500000, 60), R(2, 4, 500000, 60),
         R(4, 6, 999999, 100), R(3, 6, 999999, 100), R(3, 3, 1000000, 100)}},

    // Moves 4 and 5 after the diagonal start S (5, 5).
    {4, {S(5, 5), F(7, 5)},          {A(6, 4), A(5, 3), A(5, 4), A(6, 3)}},
    {4, {S(5, 5), F(3, 3)},          {A(2, 2, 500000), A(5, 4), A(5, 3)}},
    {4, {S(5, 5), F(7, 7)},          {A(6, 4), A(7, 5), A(7, 6), A(5, 4)}},
    {5, {S(5, 5), F(7, 7), S(7, 5)}, {A(4, 5), A(6, 5), A(6, 6), A(5, 4), A(4, 6), A(6, 4), A(5, 6)}},
    {5, {S(5, 5), F(7, 7), S(6, 5)}, {A(7, 5), A(6, 4), A(5, 4), A(6, 6), A(4, 5), A(5, 6)}},
    {5, {S(5, 5), F(7, 7), S(6, 4)}, {A(4, 6), A(4, 5), A(5, 4), A(6, 4), A(5, 6), A(5, 7), A(6, 5)}},
    {5, {S(5, 5), F(7, 7), S(7, 6)}, {A(4, 6, 1000002), A(4, 5), A(7, 5), A(5, 6), A(6, 4), A(5, 4), A(6, 5)}},
    {5, {S(5, 5), F(7, 7), S(5, 4)}, {A(4, 5), A(6, 5), A(5, 3), A(5, 6)}},
    {4, {S(5, 5), F(7, 6)},          {A(6, 4), A(7, 5), A(5, 4, 999999), A(5, 3)}},
    {5, {S(5, 5), F(7, 6), S(6, 4)}, {A(7, 3), A(6, 3), A(5, 6), A(4, 6)}},
    {5, {S(5, 5), F(7, 6), S(5, 3)}, {A(6, 4), A(5, 5), A(5, 6), A(5, 4)}},
    {5, {S(5, 5), F(7, 6), S(5, 4)}, {A(4, 5), A(5, 3), A(5, 6), A(6, 3), A(6, 5)}},
    {5, {S(5, 5), F(7, 6), S(7, 5)}, {A(4, 5), A(6, 5), A(6, 4), A(6, 6), A(5, 6), A(4, 6)}},
    {5, {S(5, 5), F(7, 6), S(6, 5)}, {A(5, 4), A(4, 6), A(5, 6), A(4, 5)}},
    {4, {S(5, 5), F(6, 6)},          {A(5, 4), A(3, 5), A(4, 6, 500000)}},
    {5, {S(5, 5), F(6, 6), S(5, 4)}, {A(5, 3), A(5, 6), A(6, 5), A(6, 4), A(4, 5)}},
    {5, {S(5, 5), F(6, 6), S(4, 6)}, {A(3, 7, 500000), A(6, 4, 500000), A(6, 5), A(5, 7)}},
    {5, {S(5, 5), F(6, 6), S(7, 7)}, {A(6, 4), A(6, 5), A(8, 8, 500000), A(5, 7)}},
    {5, {S(5, 5), F(6, 6), S(3, 5)}, {A(2, 4), A(3, 4), A(2, 6), A(5, 4), A(4, 6), A(3, 6), A(5, 6),
                                      A(6, 5), A(6, 4), A(4, 5)}},
    {4, {S(5, 5), F(7, 3)},          {A(6, 2), A(6, 3), A(5, 3), A(3, 5)}},
    {5, {S(5, 5), F(7, 3), S(5, 3)}, {A(5, 4), A(5, 2), A(6, 5), A(5, 6)}},
    {5, {S(5, 5), F(7, 3), S(3, 5)}, {A(5, 4), A(6, 5), A(4, 5), A(3, 6)}},
    {4, {S(5, 5), F(7, 4)},          {A(5, 3), A(6, 3), A(5, 4), A(6, 4)}},
    {5, {S(5, 5), F(7, 4), S(5, 3)}, {A(5, 4, 500000), A(4, 5), A(6, 3), A(5, 2)}},
    {4, {S(5, 5), F(6, 3)},          {A(5, 3), A(4, 5), A(3, 5)}},
    {5, {S(5, 5), F(6, 3), S(5, 3)}, {A(5, 4), A(5, 2), A(5, 6), A(6, 4), A(7, 4), A(6, 5)}},
    {4, {S(5, 5), F(5, 2)},          {A(3, 5), A(4, 3), A(4, 5)}},
    {4, {S(5, 5), F(5, 3)},          {A(3, 5), A(6, 2), A(4, 2, 1000002)}},
    {5, {S(5, 5), F(5, 3), S(3, 5)}, {A(6, 3), A(4, 5, 999995), A(4, 2), A(3, 3), A(4, 3, 999996), A(6, 4)}},
    {4, {S(5, 5), F(4, 3)},          {A(4, 2), A(4, 5)}},
    {5, {S(5, 5), F(4, 3), S(4, 5)}, {A(6, 3), A(6, 5), A(3, 5)}},
    {4, {S(5, 5), F(6, 4)},          {A(4, 3, 2000000), A(5, 4)}},

    // Moves 4 and 5 after the direct start S (5, 4).
    {4, {S(5, 4), F(2, 4)},          {A(5, 3), A(3, 3, 999999), A(4, 3)}},
    {5, {S(5, 4), F(2, 4), S(4, 3)}, {A(3, 2), A(5, 3, 999999), A(2, 2)}},
    {5, {S(5, 4), F(2, 4), S(5, 3)}, {A(5, 5), A(5, 2, 999999), A(4, 3)}},
    {5, {S(5, 4), F(2, 4), S(3, 3)}, {A(3, 5), A(2, 5), A(4, 5), A(2, 3)}},
    {4, {S(5, 4), F(3, 4)},          {A(3, 5), A(4, 5), A(5, 5), A(2, 4, 500000), A(4, 6)}},
    {5, {S(5, 4), F(3, 4), S(3, 5)}, {A(5, 5), A(5, 3), A(2, 5), A(4, 2), A(3, 2), A(5, 6), A(4, 6)}},
    {5, {S(5, 4), F(3, 4), S(2, 4)}, {A(4, 2), A(4, 3), A(5, 3)}},
    {4, {S(5, 4), F(5, 6)},          {A(4, 6), A(4, 5)}},
    {5, {S(5, 4), F(5, 6), S(4, 5)}, {A(3, 6), A(6, 3), A(3, 5), A(5, 5)}},
    {4, {S(5, 4), F(7, 3)},          {A(4, 3), A(5, 3), A(5, 5), A(6, 2)}},
    {5, {S(5, 4), F(7, 3), S(4, 3)}, {A(6, 5), A(5, 3), A(5, 5), A(5, 2), A(3, 2)}},
    {5, {S(5, 4), F(7, 3), S(5, 5)}, {A(6, 5), A(5, 3), A(5, 6)}},
    {4, {S(5, 4), F(7, 4)},          {A(4, 5), A(5, 5), A(7, 5), A(6, 4, 500000)}},
    {5, {S(5, 4), F(7, 4), S(4, 5)}, {A(5, 5), A(5, 6), A(5, 3), A(6, 3)}},
    {5, {S(5, 4), F(7, 4), S(6, 5)}, {A(5, 5), A(7, 6), A(5, 3), A(4, 3)}},
    {5, {S(5, 4), F(7, 4), S(7, 5)}, {A(5, 5), A(5, 6), A(5, 3), A(6, 6), A(4, 5), A(6, 5)}},
    {5, {S(5, 4), F(7, 4), S(5, 5)}, {A(6, 5), A(6, 3), A(5, 6), A(5, 3), A(4, 5)}},
    {4, {S(5, 4), F(6, 4)},          {A(5, 3, 500000), A(4, 3)}},
    {5, {S(5, 4), F(6, 4), S(5, 3)}, {A(5, 5), A(5, 2)}},
    {4, {S(5, 4), F(3, 3)},          {A(5, 5), A(4, 5)}},
    {5, {S(5, 4), F(3, 3), S(5, 5)}, {A(5, 3)}},
    {4, {S(5, 4), F(5, 3)},          {A(4, 3, 500000), A(3, 3), A(3, 5)}},
    {5, {S(5, 4), F(5, 3), S(3, 5)}, {A(3, 6), A(3, 3), A(6, 3), A(6, 2), A(4, 6)}},
    {5, {S(5, 4), F(5, 3), S(4, 3)}, {A(6, 5), A(6, 2)}},
    {4, {S(5, 4), F(4, 3)},          {A(4, 5), A(4, 2)}},
    {5, {S(5, 4), F(4, 3), S(4, 5)}, {A(6, 3), A(5, 5)}},
    {4, {S(5, 4), F(4, 2)},          {A(4, 3)}},
    {4, {S(5, 4), F(6, 5)},          {A(5, 5), A(4, 6), A(6, 6)}},
    {5, {S(5, 4), F(6, 5), S(5, 5)}, {A(5, 6), A(5, 7), A(4, 6), A(4, 5), A(6, 7)}},
    {5, {S(5, 4), F(6, 5), S(6, 6)}, {A(4, 5), A(5, 5), A(5, 3), A(5, 6), A(5, 7), A(4, 6)}},

    // Moves 6 to 8: deeper lines, each extending one of the move-5 rows above by the
    // stone just played. Every answer was checked against the threat attack search for a
    // forced win of the other side.
    // S (5, 5), F (5, 3), S (3, 5): F took (6, 3); (4, 3) stops the open three on the
    // third row. If S went to (3, 4) instead, (6, 5) leaves S's natural replies (3, 6)
    // and (6, 4) losing to a forced attack.
    {6, {S(5, 5), F(5, 3), S(3, 5), F(6, 3)},               {A(4, 3)}},
    {7, {S(5, 5), F(5, 3), S(3, 5), F(6, 3), S(3, 4)},      {A(6, 5)}},
    {7, {S(5, 5), F(5, 3), S(3, 5), F(6, 3), S(4, 3)},      {A(6, 4), A(5, 4, 999999)}},
    // F took (4, 2): S answers with its own open three (4, 5) or takes F's vital (4, 3);
    // F must then close the three, and S closes the diagonal at (6, 4).
    {6, {S(5, 5), F(5, 3), S(3, 5), F(4, 2)},               {A(4, 5), A(4, 3, 999999)}},
    {7, {S(5, 5), F(5, 3), S(3, 5), F(4, 2), S(4, 5)},      {A(6, 5), A(2, 5, 999999)}},
    {8, {S(5, 5), F(5, 3), S(3, 5), F(4, 2), S(4, 5), F(6, 5)}, {A(6, 4)}},
    // S (5, 5), F (7, 7), S (6, 5), F (7, 5): S closes the split pair on column 7.
    {6, {S(5, 5), F(7, 7), S(6, 5), F(7, 5)},               {A(7, 6), A(6, 6, 999999)}},
    {7, {S(5, 5), F(7, 7), S(6, 5), F(7, 5), S(7, 6)},      {A(4, 3), A(5, 4, 999999)}},
    {8, {S(5, 5), F(7, 7), S(6, 5), F(7, 5), S(7, 6), F(4, 3)}, {A(5, 6), A(4, 5, 999999)}},
    // S (5, 5), F (6, 6), S (5, 4), F (5, 3): S closes the diagonal through the centre.
    {6, {S(5, 5), F(6, 6), S(5, 4), F(5, 3)},               {A(6, 2), A(3, 5, 999999)}},
    {7, {S(5, 5), F(6, 6), S(5, 4), F(5, 3), S(6, 2)},      {A(5, 7), A(3, 5, 999999)}},
    // S (5, 4), F (3, 4), S (3, 5), F (5, 5): S closes the diagonal, F builds the split
    // four point (3, 3), which S then takes.
    {6, {S(5, 4), F(3, 4), S(3, 5), F(5, 5)},               {A(6, 6), A(3, 3, 999999)}},
    {7, {S(5, 4), F(3, 4), S(3, 5), F(5, 5), S(6, 6)},      {A(2, 2), A(3, 3, 999999)}},
    {8, {S(5, 4), F(3, 4), S(3, 5), F(5, 5), S(6, 6), F(2, 2)}, {A(3, 3), A(4, 5, 999999)}},
    // S (5, 4), F (7, 3), S (4, 3), F (6, 5).
    {6, {S(5, 4), F(7, 3), S(4, 3), F(6, 5)},               {A(6, 3), A(5, 5, 999999)}},
    {7, {S(5, 4), F(7, 3), S(4, 3), F(6, 5), S(6, 3)},      {A(5, 5), A(4, 5, 999999)}},
    {8, {S(5, 4), F(7, 3), S(4, 3), F(6, 5), S(6, 3), F(5, 5)}, {A(7, 5), A(4, 5, 999999)}},
    // S (5, 4), F (7, 4), S (5, 5), F (6, 5): S makes an open three at (5, 6); F closes it.
    {6, {S(5, 4), F(7, 4), S(5, 5), F(6, 5)},               {A(5, 6), A(8, 3, 500000)}},
    {7, {S(5, 4), F(7, 4), S(5, 5), F(6, 5), S(5, 6)},      {A(5, 3), A(5, 7, 999999)}},
    {8, {S(5, 4), F(7, 4), S(5, 5), F(6, 5), S(5, 6), F(5, 3)}, {A(3, 5), A(6, 2, 999999)}},
    // S (5, 5), F (7, 6), S (6, 4), F (7, 3).
    {6, {S(5, 5), F(7, 6), S(6, 4), F(7, 3)},               {A(5, 3), A(7, 4, 999999)}},
    {7, {S(5, 5), F(7, 6), S(6, 4), F(7, 3), S(5, 3)},      {A(5, 6), A(5, 4, 999999)}},
    {8, {S(5, 5), F(7, 6), S(6, 4), F(7, 3), S(5, 3), F(5, 6)}, {A(8, 4), A(6, 6, 999999)}},
    // S (5, 4), F (5, 3), S (3, 5), F (3, 3): S takes the point between F's stones; F
    // makes an open three on the diagonal, which S closes at either end.
    {6, {S(5, 4), F(5, 3), S(3, 5), F(3, 3)},               {A(4, 3), A(5, 5, 999999)}},
    {7, {S(5, 4), F(5, 3), S(3, 5), F(3, 3), S(4, 3)},      {A(5, 5)}},
    {8, {S(5, 4), F(5, 3), S(3, 5), F(3, 3), S(4, 3), F(5, 5)}, {A(2, 2), A(6, 6)}},
};
// clang-format on

// Runs every book row on the normalised window `mn`, adding the answers of the rows that
// match to `ajz`.
void apply_book_rules() {
    if (mn[HALF][HALF] != FIRST)
        return;
    for (const BookRow& row : BOOK)
    {
        if (row.move != i)
            continue;
        bool match = true;
        for (const Stone& s : row.stones)
        {
            if (s.colour == 0)
                break;
            if (mn[s.r][s.c] != s.colour)
            {
                match = false;
                break;
            }
        }
        if (!match)
            continue;
        for (const Answer& a : row.answers)
        {
            if (a.weight == 0)
                break;
            ajz[a.r][a.c] += a.spread > 0 ? a.weight + engine_rand() % a.spread : a.weight;
        }
    }
}

// Writes the 9 by 9 part of `x` transformed by `cell` (new x[r][c] = old x at cell(r, c))
// into chan, then copies it back.
template <class Cell>
void remap(int (*x)[10], Cell cell) {
    for (int r = 0; r < WIN; ++r)
        for (int col = 0; col < WIN; ++col)
        {
            int sr = 0, sc = 0;
            cell(r, col, &sr, &sc);
            chan[r][col] = x[sr][sc];
        }
    for (int r = 0; r < WIN; ++r)
        for (int col = 0; col < WIN; ++col)
            x[r][col] = chan[r][col];
}

void reverse_first(int (*x)[10]) {
    remap(x, [](int r, int col, int* sr, int* sc) { *sr = 8 - r, *sc = col; });
}
void reverse_second(int (*x)[10]) {
    remap(x, [](int r, int col, int* sr, int* sc) { *sr = r, *sc = 8 - col; });
}
void transpose_main(int (*x)[10]) {
    remap(x, [](int r, int col, int* sr, int* sc) { *sr = col, *sc = r; });
}
void transpose_anti(int (*x)[10]) {
    remap(x, [](int r, int col, int* sr, int* sc) { *sr = 8 - col, *sc = 8 - r; });
}

// The eight symmetries: transforms applied to the window before matching, and the
// transforms that carry the answers back onto the board, each list in the order applied.
using Transform = void (*)();
struct Symmetry {
    Transform forward[3];
    Transform inverse[3];
};
const Symmetry SYMMETRIES[8] = {
    {{}, {}},                                                          // identity
    {{MIXTURE_2}, {MIXTURE_21}},                                       // anti-diagonal reflection
    {{LEFT_AND_RIGHT}, {LEFT_AND_RIGHT1}},                             // first index reversed
    {{LEFT_AND_RIGHT, MIXTURE_1}, {MIXTURE_11, LEFT_AND_RIGHT1}},      // quarter turn
    {{UP_AND_DOWN}, {UP_AND_DOWN1}},                                   // second index reversed
    {{UP_AND_DOWN, MIXTURE_1}, {MIXTURE_11, UP_AND_DOWN1}},            // quarter turn the other way
    {{UP_AND_DOWN, LEFT_AND_RIGHT}, {LEFT_AND_RIGHT1, UP_AND_DOWN1}},  // half turn
    {{UP_AND_DOWN, LEFT_AND_RIGHT, MIXTURE_2},
     {MIXTURE_21, LEFT_AND_RIGHT1, UP_AND_DOWN1}},  // main-diagonal reflection
};

void run_all(const Transform (&list)[3]) {
    for (Transform t : list)
        if (t != nullptr)
            t();
}

int distance(int p, int q) { return p > q ? p - q : q - p; }

// First move: a small bonus over the central block (3 by 3 on odd sides, 4 by 4 on even).
void shape_first_move(int n, int h) {
    const int hi = n % 2 == 1 ? h + 1 : h + 2;
    for (int x = h - 1; x <= hi; ++x)
        for (int y = h - 1; y <= hi; ++y)
            jz[x][y] += 25;
}

// Second move, first stone well inside the board at (a, b): credit its eight neighbours,
// a little more on the side facing (8, 8).
void shape_around_first_stone(int a, int b) {
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (dx != 0 || dy != 0)
                jz[a + dx][b + dy] += 1000;
    const bool centre = a == 8 && b == 8;
    if (a <= 7 || centre)
        jz[a + 1][b] += 50;
    if (a >= 9 || centre)
        jz[a - 1][b] += 50;
    if (b <= 7 || centre)
        jz[a][b + 1] += 50;
    if (b >= 9 || centre)
        jz[a][b - 1] += 50;
    if (a > 7 && b > 7)
        jz[a - 1][b - 1] += 50;
    if (a <= 8 && b <= 8)
        jz[a + 1][b + 1] += 50;
    if (b > 7 && a <= 8)
        jz[a + 1][b - 1] += 50;
    if (a > 7 && b <= 8)
        jz[a - 1][b + 1] += 50;
}

// Second move, first stone near an edge (or none): draw the reply to the middle of the
// board and, more strongly, to the rectangle around the first stone.
void shape_near_edge(int n, int h) {
    for (int x = 5; x <= n - 4; ++x)
        for (int y = 5; y <= n - 4; ++y)
            jz[x][y] += 1000 + 13 * ((n - distance(h, x)) + (n - distance(h, y)));
    for (int x = 1; x <= n; ++x)
        for (int y = 1; y <= n; ++y)
        {
            if (qp[x][y] != 2)
                continue;
            const int rlo = x > 4 ? x - 4 : 1, rhi = x < n - 3 ? x + 4 : n;
            const int clo = y > 4 ? y - 4 : 1, chi = y < n - 3 ? y + 4 : n;
            for (int r = rlo; r <= rhi; ++r)
                for (int col = clo; col <= chi; ++col)
                    jz[r][col] += 1000 + 20 * ((5 - distance(x, r)) + (5 - distance(y, col)));
            return;
        }
}

}  // namespace

void LEFT_AND_RIGHT() { reverse_first(mn); }
void UP_AND_DOWN() { reverse_second(mn); }
void MIXTURE_1() { transpose_main(mn); }
void MIXTURE_2() { transpose_anti(mn); }
void LEFT_AND_RIGHT1() { reverse_first(ajz); }
void UP_AND_DOWN1() { reverse_second(ajz); }
void MIXTURE_11() { transpose_main(ajz); }
void MIXTURE_21() { transpose_anti(ajz); }

void RES() {
    for (int r = 0; r < WIN; ++r)
        for (int col = 0; col < WIN; ++col)
            if (mn[r][col] != 0)
                mn[r][col] = FIRST + SECOND - mn[r][col];
}

int GOMOBOOK() {
    const int n = BOARDSIZE, h = (n + 1) / 2;
    if (i <= 1)
        shape_first_move(n, h);
    else if (i == 2)
    {
        // The first stone is 2 here: the engine plays the even move, so nothing was swapped.
        bool found = false;
        if (n - 3 > 4)
            for (int a = 4; a <= n - 4 && !found; ++a)
                for (int b = 4; b <= n - 4 && !found; ++b)
                    if (qp[a][b] == 2)
                    {
                        shape_around_first_stone(a, b);
                        found = true;
                    }
        if (!found)
            shape_near_edge(n, h);
    }
    SOLVER();
    return 0;
}

int SOLVER() {
    if (BOARDSIZE < MIN_BOOK_BOARD)
        return 0;
    for (int a = 1 + HALF; a <= BOARDSIZE - HALF; ++a)
        for (int b = 1 + HALF; b <= BOARDSIZE - HALF; ++b)
            for (const Symmetry& sym : SYMMETRIES)
            {
                for (int r = 0; r < 10; ++r)
                    for (int col = 0; col < 10; ++col)
                        ajz[r][col] = 0;
                for (int r = 0; r < WIN; ++r)
                    for (int col = 0; col < WIN; ++col)
                        mn[r][col] = qp[a - HALF + r][b - HALF + col];
                run_all(sym.forward);
                // On even moves the engine (1) is the second player: recolour so that 1 is
                // always the first player's stone, as the book is written.
                if (i % 2 == 0)
                    RES();
                apply_book_rules();
                run_all(sym.inverse);
                for (int r = 0; r < WIN; ++r)
                    for (int col = 0; col < WIN; ++col)
                        jz[a - HALF + r][b - HALF + col] += ajz[r][col];
            }
    return 0;
}
