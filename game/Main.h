// The game as kept between commands, the settings every stage reads and the move score
// board; plus the small routines that rebuild and reset the board, and the one way the
// process ends. The searches' own state lives in search/thread.h, once per search thread.
#pragma once

#include <string>

constexpr int QP_SIDE    = 50;    // board array side: playing area 1..BOARDSIZE plus zero margin
constexpr int MOVE_SLOTS = 4000;  // move list capacity; slot 0 stays unused, so 3999 stones
constexpr int JZ_SIDE    = 30;    // side of the score boards and the searches' working arrays
constexpr int MAX_BOARD  = 25;    // largest playing area the protocol accepts
constexpr int MIN_BOARD  = 10;

// Stones: 0 empty, 2 first player (odd-numbered moves), 1 second player (even-numbered moves).
// While the engine thinks its own stones are 1: callers swap colours around COMPUTER_TURN.
extern int qp[QP_SIDE][QP_SIDE];

// Move list, the authority for the board: slot k holds the k-th stone, 1-based coordinates.
// A zero stonex marks an empty slot; slots from i upward are empty between commands.
extern int stonex[MOVE_SLOTS], stoney[MOVE_SLOTS];
extern int i;  // slot of the next move; 1 on an empty board

extern int BOARDSIZE;  // side of the playing area, 10..25
extern int gametype;   // 1 freestyle, 2 exactly five, 4 renju, 8 freestyle caro, 9 standard caro
extern int result;     // last console game: 1 RED (colour 1) won, 2 BLUE won, 0 draw, -1 none

extern int MAX_TIME;            // ms budget of one engine move
extern int TIME_REMAIN;         // ms left in the match, as last reported by the manager
extern int QUICK_SEARCH_DELAY;  // ms margin of the threat searches
extern int SLOW_SEARCH_DELAY;   // ms margin of the alpha-beta search

extern int F_WID;               // full branch width of the generators / root width
extern int MAX_LAYER;           // deepest alpha-beta iteration
extern int MAX_DEPTH;           // deepest threat attack iteration
extern int MAX_DEPTH1;          // deepest threat defence iteration
extern int switch_quickkill;    // 1: the move decision runs the threat attack search
extern int switch_quickdefend;  // 1: the move decision runs the threat defence search
extern int NODE_LIMIT;          // nodes of all three searches after which they stop; 0: none

extern int jz[JZ_SIDE][JZ_SIDE];    // move score board, indexed like qp
extern int bestx[100], besty[100];  // ranked candidates of the last decision, best first, 0 after
extern double situation;            // 1.0 forced win found, -1.0 forced loss found, 0.0 neither
extern int forbidden[JZ_SIDE][JZ_SIDE];  // console map of renju-forbidden points
extern int posx, posy;                   // console cursor
extern int playmode, testmode;           // console switches
extern int c, d;                         // scratch integers of the move decision

void RESTART();     // empties board and move list, i = 1; settings and tables stay
void ATARI();       // rebuilds qp from the whole move list, colouring by slot parity
void ATARI_PART();  // puts only the stone of slot i on qp
void REVERSE();     // swaps stones 1 and 2 on the playing area; the move list is untouched
void UPPERCASE(std::string* str);  // a-z to A-Z in place; every other byte unchanged

// Every line meant for a manager or a board, replies and MESSAGE lines alike, goes out through
// say(): printf-style, whole lines, flushed at once. A front end that is not a console sets
// say_sink to take the text instead of standard output.
void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
extern void (*say_sink)(const char* text);

// Flushes standard output and ends the process: END, and end of input anywhere (also inside
// the console game). An in-process harness may set the hook to take control back instead;
// the hook must not return.
[[noreturn]] void end_process(int status);
extern void (*end_process_hook)(int status);
