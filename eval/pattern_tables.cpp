// Window tables (placeholder).
#include "eval/pattern_tables.h"

const int strucT_block_b[7] = {0, 2, 10, 40, 140, 50000, 50000};
const int strucT_flex_b[7]  = {0, 8, 32, 128, 2000, 50000, 50000};
const int strucT_block_w[7] = {0, -2, -10, -40, -140, -50000, -50000};
const int strucT_flex_w[7]  = {0, -8, -32, -128, -2000, -50000, -50000};
const int struc_block_b[7]  = {0, 16, 60, 3000, 10000000, 0, 0};
const int struc_block_w[7]  = {0, 8, 30, 100, 1000000, 0, 0};

int strucT[SIX_NB], strucP[SIX_NB];
EVA strucB[SIX_NB], strucW[SIX_NB];
int strucKSix[THREAT_SIX_NB], strucKxSix[THREAT_SIX_NB], strucKySix[THREAT_SIX_NB];
int strucDSix[THREAT_SIX_NB], strucDxSix[THREAT_SIX_NB], strucDySix[THREAT_SIX_NB];
int strucKFive[FIVE_NB], strucKxFive[FIVE_NB];
int strucDFive[FIVE_NB], strucDxFive[FIVE_NB];

void BUILD_PATTERN_TABLES() {}
