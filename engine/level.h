// Playing levels for people. A level below full strength is made of the engine's own budgets
// (nodes, alpha-beta depth) and a chance of taking a lower-ranked candidate of the search; it
// never misses its own five and never leaves the opponent's five point open where a block exists.
#pragma once

constexpr int LEVEL_NB = 6;  // levels 1..LEVEL_NB; the top one is full strength

struct Level {
    const char* name;
    int max_node;      // NODE_LIMIT while the level is in force; 0 none
    int max_depth;     // MAX_LAYER while the level is in force
    int slip_percent;  // chance, in percent, of passing over the best candidate
    int slip_choices;  // ranks below the best that a slip may take: 2 means the 2nd or 3rd
    int slip_margin;   // how far below the best candidate's score a slip may go
};

extern const Level LEVELS[LEVEL_NB + 1];  // entry k is level k; entry 0 is unused

extern int LEVEL;  // level in force, 1..LEVEL_NB; LEVEL_NB (full strength) unless a board sets one

// Puts `level` in force: 1..LEVEL_NB that level, any other value full strength. Writes the
// level's NODE_LIMIT and MAX_LAYER, which a later INFO max_node or max_depth overrides.
void set_level(int level);

// The level's say over the move COMPUTER_TURN chose, once its candidates are ranked: rewrites
// stonex[i], stoney[i]. At full strength it does nothing and draws no random number.
void apply_level();
