// Game-end test of a stone just placed on `un` at search depth `dep` (odd: engine's stone).
#pragma once

struct SearchBoard;

// 1 the engine wins (its five, or the opponent's forbidden move), -1 the opponent wins, 0 neither.
int SITUA(const SearchBoard& b, int thr, int ex, int ey, int dep);
