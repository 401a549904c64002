// The searches' working board, the per-depth branch widths and the leaf score.
#pragma once

#include "engine/Main.h"

extern char un[JZ_SIDE][JZ_SIDE];  // working copy of qp: 0 empty, 1 engine, 2 opponent
extern int Nbranch[1000];          // candidates kept by MOVECOM/MOVEPLA at each depth

void GENERATE_WIDTH(int layer);           // fills Nbranch for an iteration of depth `layer`
void GENERATE_SCORE_TABLE(int a_depth);  // rebuilds strucP from strucT for parity and rule
int SCORE_TABLE();                        // sum of strucP over every six-cell window of un
