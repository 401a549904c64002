// The per-depth branch widths and the leaf score of the search board.
#pragma once

#include "eval/kept_position.h"
#include "eval/pattern_tables.h"
#include "game/Main.h"

// The leaf score kept with the position it belongs to (see leaf_score): size 0 means none
// (start over). Besides its codes it keeps the table index of every window, per direction and
// start cell, so a change reads the 24 windows through a cell directly instead of rolling them
// from the codes. The indexes point into `scores`, strucP with room around it: a window off the
// board holds NO_WINDOW, whose neighbourhood is all zero, so it adds nothing and needs no test.
constexpr int SCORE_BASE  = 1024;  // scores[SCORE_BASE + idx] = strucP[idx]
constexpr int NO_WINDOW   = 3072;  // every index within 648 of it reads 0
constexpr int SCORE_SLOTS = 4096;
static_assert(SCORE_BASE >= 2 * 324 && SCORE_BASE + SIX_NB <= NO_WINDOW - 2 * 324 &&
                  NO_WINDOW + 2 * 324 < SCORE_SLOTS,
              "a window index moves by at most two codes times 324");
struct KeptSum {
    int size = 0;
    char seen[JZ_SIDE][JZ_SIDE];
    LogMark mark;
    char code[PAD_CELLS];
    short window[4][PAD_CELLS];  // per direction, at the window's start cell
    int scores[SCORE_SLOTS];
    int sum = 0;
};

// The eval floor's part of a search thread: its board (SearchBoard), and the leaf table, the
// widths and the kept leaf score of its running iteration.
struct EvalThread : SearchBoard {
    int strucP[SIX_NB];  // strucT adjusted for parity and rule (rewritten by GENERATE_SCORE_TABLE)
    int Nbranch[1000];   // candidates kept by MOVECOM/MOVEPLA at each depth
    KeptSum kept_sum;
};

void GENERATE_WIDTH(EvalThread& e, int layer);  // fills Nbranch for an iteration of depth `layer`
void GENERATE_SCORE_TABLE(EvalThread& e, int a_depth);  // rebuilds strucP for parity and rule
int SCORE_TABLE(const EvalThread& e);  // sum of strucP over every six-cell window of un

// SCORE_TABLE kept up to date instead of recomputed: the sum is remembered with the position it
// belongs to, and only the windows through the cells changed since then are looked up again.
// GENERATE_SCORE_TABLE and a new board size make it start over from SCORE_TABLE.
int leaf_score(EvalThread& e);
