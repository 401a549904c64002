// The game state, the settings and the routines that rebuild the board from the move list.
#include "game/Main.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int qp[QP_SIDE][QP_SIDE];
int stonex[MOVE_SLOTS], stoney[MOVE_SLOTS];
int i = 1;

int BOARDSIZE = 15;
int gametype  = 1;
int result    = -1;

int MAX_TIME           = 0;
int TIME_REMAIN        = 0;
int QUICK_SEARCH_DELAY = 50;
int SLOW_SEARCH_DELAY  = 50;

int F_WID              = 50;
int MAX_LAYER          = 40;
int MAX_DEPTH          = 50;
int MAX_DEPTH1         = 49;
int switch_quickkill   = 1;
int switch_quickdefend = 1;
int NODE_LIMIT         = 0;

int jz[JZ_SIDE][JZ_SIDE];
int bestx[100], besty[100];
double situation = 0.0;
int forbidden[JZ_SIDE][JZ_SIDE];
int posx = 8, posy = 8;
int playmode = 0, testmode = 0;
int c = 0, d = 0;

// Colour of the stone in slot k: odd slots are the first player's (2), even the second's (1).
static int slot_colour(int k) { return k % 2 == 1 ? 2 : 1; }

void RESTART() {
    std::memset(qp, 0, sizeof qp);
    std::memset(stonex, 0, sizeof stonex);
    std::memset(stoney, 0, sizeof stoney);
    i = 1;
    ATARI();
}

void ATARI() {
    std::memset(qp, 0, sizeof qp);
    // Later slots overwrite earlier ones on the same point.
    for (int k = 0; k < MOVE_SLOTS; ++k)
        if (stonex[k] != 0)
            qp[stonex[k]][stoney[k]] = slot_colour(k);
}

void ATARI_PART() {
    if (stonex[i] != 0)
        qp[stonex[i]][stoney[i]] = slot_colour(i);
}

void REVERSE() {
    for (int x = 1; x <= BOARDSIZE; ++x)
        for (int y = 1; y <= BOARDSIZE; ++y)
            if (qp[x][y] != 0)
                qp[x][y] = qp[x][y] == 2 ? 1 : 2;
}

void UPPERCASE(std::string* str) {
    std::string copy = *str;
    for (char& ch : copy)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 32);
    *str = copy;
}

void (*say_sink)(const char* text) = nullptr;

void say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (!say_sink)
    {
        std::vfprintf(stdout, format, args);
        std::fflush(stdout);
    }
    else
    {
        char text[1024];  // every line but a long FORBID list fits here, with no allocation
        va_list copy;
        va_copy(copy, args);
        const int need = std::vsnprintf(text, sizeof text, format, copy);
        va_end(copy);
        if (need < static_cast<int>(sizeof text))
            say_sink(text);
        else
        {
            std::string longer(static_cast<size_t>(need) + 1, '\0');
            std::vsnprintf(&longer[0], longer.size(), format, args);
            say_sink(longer.c_str());
        }
    }
    va_end(args);
}

void (*end_process_hook)(int status) = nullptr;

void end_process(int status) {
    std::fflush(stdout);
    if (end_process_hook)
        end_process_hook(status);
    std::exit(status);
}
