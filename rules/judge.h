// Judging a finished console game under every rule variant.
#pragma once

// 0 no winner, 1 colour 1 (second player) won, 2 colour 2 (first player) won.
// Call right after the stone of slot i is on qp and before i advances.
int JUDGE();
