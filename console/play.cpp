// The console game: BLUE (first player, stone 2) and RED (stone 1) both at the keyboard,
// moving a cursor with the numeric keypad; the engine plays a move for either side on key 1.
#include "console/play.h"

#include <cstdio>
#include <ctime>

#include "console/output.h"
#include "console/saveandload.h"
#include "engine/computer_turn.h"
#include "game/Main.h"
#include "game/engine_rand.h"
#include "platform/platform.h"
#include "rules/check_ban.h"
#include "rules/judge.h"

namespace {

void print_help_lines() {
    std::printf("\n    \x1b[40;37m 2:up 4:left 6:right 8:down 5:move 0:undo 1:hint 9:play mode(%s "
                "s:save\x1b[0m\n",
                playmode != 0 ? "on) " : "off)");
    std::printf("    \x1b[40;37m t:test mode(%s \x1b[0m\n\n", testmode != 0 ? "on) " : "off)");
}

// Input is over (a closed pipe, a hung-up terminal): nobody is left to play, so the process
// ends as END would end it, with the terminal as it was found.
[[noreturn]] void leave_at_end_of_input() {
    restore_terminal();
    std::printf("\n");
    end_process(0);
}

// Announces a finished game with the winning move already counted in i.
void finish_with_winner(int winner) {
    ++i;
    OUTPUT();
    std::printf(winner == 1 ? "\n\n    RED wins!" : "\n\n    BLUE wins!");
    std::fflush(stdout);
    result = winner;
}

}  // namespace

void PLAYER_TURN() {
    bool show_save_report = false;
    for (;;)
    {
        // Step 1. With hints on under renju, the forbidden marks follow every change.
        if (playmode == 1 && gametype == 4)
            mark_forbidden_points();

        // Step 2. Screen, help lines and prompt. The screen clear would wipe SAVE's message
        // at once, so the outcome of a save is repeated above the prompt once.
        OUTPUT();
        print_help_lines();
        if (show_save_report)
            std::printf("%s\n", save_report);
        show_save_report = false;
        std::printf("    \x1b[5m please move \x1b[0m");
        std::fflush(stdout);

        // Step 3. One key. Rows are drawn highest first, so 2 moves the cursor down the screen.
        const int key = read_key();
        switch (key)
        {
        case -1: leave_at_end_of_input();
        case '2':
            if (posy > 1)
                --posy;
            break;
        case '8':
            if (posy < BOARDSIZE)
                ++posy;
            break;
        case '4':
            if (posx > 1)
                --posx;
            break;
        case '6':
            if (posx < BOARDSIZE)
                ++posx;
            break;
        case '5':
            if (qp[posx][posy] == 0)
            {
                stonex[i] = posx;
                stoney[i] = posy;
                return;
            }
            break;
        case '0':
            // The first stone is never taken back.
            if (i > 2)
            {
                --i;
                stonex[i] = 0;
                stoney[i] = 0;
                ATARI();
            }
            break;
        case '1':
            computer_turn_for_side_to_move();  // colours swapped on BLUE's turn
            return;
        case '9': playmode = playmode == 1 ? 0 : 1; break;
        case 's':
        case 'S':
            SAVE();
            show_save_report = true;
            break;
        case 't':
        case 'T': testmode = testmode == 1 ? 0 : 1; break;
        default: break;
        }
    }
}

void PLAY() {
    engine_srand(static_cast<unsigned>(std::time(nullptr)));
    ATARI();
    // The cursor outlives the game; after a switch to a smaller board it could sit off the
    // playing area, where key 5 would record a stone no rule can see.
    if (posx > BOARDSIZE)
        posx = BOARDSIZE;
    if (posy > BOARDSIZE)
        posy = BOARDSIZE;
    for (;;)
    {
        // Step 1. The side to move picks slot i. After an undo on BLUE's turn i is even, and
        // RED is asked again for the same slot, replacing the pick just made.
        OUTPUT();
        if (i % 2 == 1)
            PLAYER_TURN();
        if (i % 2 == 0)
            PLAYER_TURN();

        // Step 2. Place it and judge: a five (or, under renju, BLUE's forbidden move) ends it.
        ATARI_PART();
        if (JUDGE() == 1)
        {
            finish_with_winner(1);
            return;
        }
        if (JUDGE() == 2)
        {
            finish_with_winner(2);
            return;
        }

        // Step 3. Next slot; the game is drawn once the board is all but full.
        ++i;
        if (i >= BOARDSIZE * BOARDSIZE)
        {
            result = 0;
            std::printf("\n\n    Draw!");
            std::fflush(stdout);
            return;
        }
    }
}
