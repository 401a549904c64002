// Window tables: every content of a five- or six-cell line segment mapped to a score,
// indexed directly by the cell codes. Built once at start by BUILD_PATTERN_TABLES.
//
// Cell codes: 0 empty, 1 and 2 stones, 3 off the board (only at the ends of a six-cell window).
// Six-cell tables are indexed w1..w6 by idx6(): w1 and w6 take 0..3, w2..w5 take 0..2.
// The threat-search six-cell tables only ever see w1 in 0..2, so they hold 3*324 entries.
// Five-cell tables are indexed w1..w5 by idx5(), each 0..2.
#pragma once

constexpr int OFF_BOARD = 3;

constexpr int idx6(int w1, int w2, int w3, int w4, int w5, int w6) {
    return w1 * 324 + w2 * 108 + w3 * 36 + w4 * 12 + w5 * 4 + w6;
}
constexpr int idx5(int w1, int w2, int w3, int w4, int w5) {
    return w1 * 81 + w2 * 27 + w3 * 9 + w4 * 3 + w5;
}
constexpr int SIX_NB        = 4 * 324;  // [4][3][3][3][3][4]
constexpr int THREAT_SIX_NB = 3 * 324;  // [3][3][3][3][3][4]
constexpr int FIVE_NB       = 243;      // [3][3][3][3][3]
static_assert(idx6(3, 2, 2, 2, 2, 3) == SIX_NB - 1, "six-cell index must fill its table");
static_assert(idx5(2, 2, 2, 2, 2) == FIVE_NB - 1, "five-cell index must fill its table");

// Move-ordering credit of a six-cell window: `edge` to each end cell, `center` to each middle one.
struct EVA {
    int edge   = 0;
    int center = 0;
};

// Constant score rows, indexed by a stone count.
extern const int strucT_block_b[7], strucT_flex_b[7], strucT_block_w[7], strucT_flex_w[7];
extern const int struc_block_b[7], struc_block_w[7];

extern int strucT[SIX_NB];  // whole-position window score: + for side 1, - for side 2
extern EVA strucB[SIX_NB];  // ordering credits for side 1's moves
extern EVA strucW[SIX_NB];  // ordering credits for side 2's moves

// Sparse threat-search tables. K family: attack search; D family: defence search (K mirrored).
extern int strucKSix[THREAT_SIX_NB], strucKxSix[THREAT_SIX_NB], strucKySix[THREAT_SIX_NB];
extern int strucDSix[THREAT_SIX_NB], strucDxSix[THREAT_SIX_NB], strucDySix[THREAT_SIX_NB];
extern int strucKFive[FIVE_NB], strucKxFive[FIVE_NB];
extern int strucDFive[FIVE_NB], strucDxFive[FIVE_NB];

void BUILD_PATTERN_TABLES();
