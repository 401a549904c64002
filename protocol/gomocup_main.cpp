// The protocol loop that serves a tournament manager: one command word at a time, each
// dispatched to a small handler that reads its own arguments and prints its own reply.
#include "protocol/gomocup_main.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "console/play.h"
#include "engine/computer_turn.h"
#include "game/Main.h"
#include "game/timer.h"

std::string command;

namespace {

// Everything goes through printf so that the MESSAGE lines the searches print stay in order
// with the replies; every reply is flushed at once, the manager is waiting for it.
void reply(const char* text) {
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void reply_error(const char* why = nullptr) {
    if (why)
        std::printf("ERROR %s\n", why);
    else
        std::printf("ERROR\n");
    std::fflush(stdout);
}

[[noreturn]] void finish() { end_process(0); }

// Next whitespace-delimited word. End of input ends the process like END does.
std::string read_word() {
    std::string word;
    if (!(std::cin >> word))
        finish();
    // A manager writing CR LF leaves the CR outside the word already (it is whitespace);
    // strip any that was glued inside all the same.
    for (size_t k = word.find('\r'); k != std::string::npos; k = word.find('\r'))
        word.erase(k, 1);
    return word;
}

// Next int, false when the input holds no number there. The stream is recovered and the
// offending word left in place: the loop then reads it as the next command word, so a
// missing argument never swallows the command that follows it.
bool read_int(int* out) {
    std::cin >> *out;
    if (!std::cin.fail())
        return true;
    if (std::cin.eof())
        finish();
    std::cin.clear();
    return false;
}

// One non-blank character, normally the comma between two numbers.
bool read_separator() {
    char dot = 0;
    std::cin >> dot;
    if (std::cin.eof())
        finish();
    if (std::cin.fail())
    {
        std::cin.clear();
        return false;
    }
    return true;
}

// Reads "x,y" as two ints around a separator.
bool read_pair(int* x, int* y) { return read_int(x) && read_separator() && read_int(y); }

bool on_board(int x0, int y0) { return 0 <= x0 && x0 < BOARDSIZE && 0 <= y0 && y0 < BOARDSIZE; }

// Plays the engine's move into slot i, prints it 0-based and advances i. The engine's own
// stones must be 1 while it thinks, so colours are swapped around odd-numbered moves.
void engine_move() {
    if (i >= MOVE_SLOTS)  // no slot left for the reply
    {
        reply_error();
        return;
    }
    computer_turn_for_side_to_move();
    std::printf("%d,%d\n", stonex[i] - 1, stoney[i] - 1);
    std::fflush(stdout);
    ATARI();
    ++i;
}

void on_start() {
    int size      = 0;
    const bool ok = read_int(&size);
    RESTART();
    if (ok && MIN_BOARD <= size && size <= MAX_BOARD)
    {
        BOARDSIZE = size;
        reply("OK");
    }
    else
        reply_error();
}

void on_restart() {
    RESTART();
    reply("OK");
}

void on_rectstart() {
    int wid_x = 0, wid_y = 0;
    const bool ok = read_pair(&wid_x, &wid_y);
    RESTART();
    if (!ok)
        reply_error();
    else if (wid_x != wid_y)
        reply_error("width should be same as height");
    else if (wid_x < MIN_BOARD || wid_x > MAX_BOARD)  // the board arrays hold at most 25
        reply_error();
    else
    {
        BOARDSIZE = wid_x;
        reply("OK");
    }
}

void on_takeback() {
    if (i > 1)
    {
        --i;
        stonex[i] = stoney[i] = 0;
        ATARI();
    }
    reply("OK");
}

void on_begin() { engine_move(); }

// Puts the stone at protocol point x0,y0 into slot i and onto the board.
void record_stone(int x0, int y0) {
    stonex[i] = x0 + 1;
    stoney[i] = y0 + 1;
    ATARI();
    ++i;
}

void on_turn() {
    int x0 = 0, y0 = 0;
    if (!read_pair(&x0, &y0) || !on_board(x0, y0))
    {
        reply_error();
        return;
    }
    // The opponent's stone and the engine's reply both need a slot.
    if (i + 1 >= MOVE_SLOTS)
    {
        reply_error();
        return;
    }
    record_stone(x0, y0);
    engine_move();
}

// One "x,y,colour" line of a BOARD block. The colour is not used: each stone's colour
// follows from its place in the list, so the lines come in the order they were played.
bool parse_board_line(const std::string& line, int* x0, int* y0) {
    std::istringstream sss(line);
    char dot   = 0;
    int colour = 0;
    if (!(sss >> *x0 >> dot >> *y0))
        return false;
    sss >> dot >> colour;
    return true;
}

void on_board() {
    RESTART();
    for (;;)
    {
        command = read_word();
        UPPERCASE(&command);
        if (command == "DONE")
            break;
        int x0 = 0, y0 = 0;
        // Stones stop one slot short of the end of the list: the reply needs a slot too.
        if (!parse_board_line(command, &x0, &y0) || !on_board(x0, y0) || i + 1 >= MOVE_SLOTS)
        {
            reply_error();
            continue;
        }
        record_stone(x0, y0);
    }
    engine_move();
}

const char* rule_name(int rule, int* type) {
    switch (rule)
    {
    case 1: *type = 2; return "FIVE_ONLY";
    case 4: *type = 4; return "RENJU";
    case 8: *type = 8; return "F-CARO";
    case 9: *type = 9; return "S-CARO";
    default: *type = 1; return "FREESTYLE";
    }
}

void on_info() {
    std::string key = read_word();
    UPPERCASE(&key);
    if (key == "FOLDER")
    {
        read_word();
        return;
    }
    const bool numeric = key == "TIMEOUT_TURN" || key == "TIMEOUT_MATCH" || key == "TIME_LEFT" ||
                         key == "MAX_MEMORY" || key == "GAME_TYPE" || key == "RULE";
    if (!numeric)  // unknown keys: the value comes as the next word and is ignored there
        return;
    int number = 0;
    if (!read_int(&number))
    {
        reply_error();
        return;
    }
    if (key == "TIMEOUT_TURN")
        MAX_TIME = number < 100 ? 100 : number;
    else if (key == "TIME_LEFT")
    {
        if (number != 0)
            TIME_REMAIN = number;
    }
    else if (key == "RULE")
    {
        const char* name = rule_name(number, &gametype);
        std::printf("MESSAGE gamerule %d %s\n", number, name);
        std::fflush(stdout);
    }
}

void on_about() {
    std::printf("name=\"Gravik\", version=\"" GRAVIK_VERSION_SHORT "\", author=\"Orsolan\", "
                "country=\"Unknown\", email=\"gravik@example.org\"\n");
    std::fflush(stdout);
}

void on_end() { finish(); }

void on_checktime() {
    TIMER(1);
    std::printf("\nMESSAGE check time now...\n");
    std::fflush(stdout);
    std::printf("MESSAGE check time %d ms per second\n", TIMER(2));
    std::fflush(stdout);
}

void on_play() {}

// The private commands open the console game on a fresh board; rule 0 keeps the rule.
void console_game(int rule) {
    RESTART();
    if (rule != 0)
        gametype = rule;
    std::printf("\nkey in time limit for AI(ms)\n");
    std::fflush(stdout);
    int limit = 0;
    if (!read_int(&limit))
    {
        reply_error();
        return;
    }
    MAX_TIME = limit < 200 ? 200 : limit;
    PLAY();
    std::printf("\n\n    key in any valid command to continue...");
    std::fflush(stdout);
}

void on_kor() { console_game(0); }
void on_kor1() { console_game(1); }
void on_kor2() { console_game(2); }
void on_kor4() { console_game(4); }

struct Command {
    const char* word;
    void (*handler)();
};

// clang-format off
// word         reads                        reply
const Command COMMANDS[] = {
    {"START",     on_start},      // size                      OK | ERROR
    {"RESTART",   on_restart},    //                           OK
    {"RECTSTART", on_rectstart},  // w,h                       OK | ERROR ...
    {"TAKEBACK",  on_takeback},   // (x,y left to the loop)    OK
    {"BEGIN",     on_begin},      //                           move
    {"TURN",      on_turn},       // x,y                       move | ERROR
    {"BOARD",     on_board},      // x,y,c lines, DONE         ERROR per bad line, move
    {"INFO",      on_info},       // key value                 MESSAGE for RULE
    {"ABOUT",     on_about},      //                           about line
    {"END",       on_end},        //                           exit 0
    {"CHECKTIME", on_checktime},  //                           two MESSAGE lines
    {"PLAY",      on_play},       //                           nothing
    {"KOR",       on_kor},        // ms                        console game
    {"KOR1",      on_kor1},
    {"KOR2",      on_kor2},
    {"KOR4",      on_kor4},
};
// clang-format on

}  // namespace

void gomocup() {
    gomocup_start();
    gomocup_serve();
}

void gomocup_start() {
    F_WID              = 50;
    MAX_LAYER          = 15;
    MAX_TIME           = 2000;
    TIME_REMAIN        = 1000000000;
    MAX_DEPTH          = 30;
    MAX_DEPTH1         = 29;
    switch_quickkill   = 1;
    switch_quickdefend = 1;
    gametype           = 1;

    std::printf("MESSAGE Gravik gomoku engine ver.2\n");
    std::printf("MESSAGE a simple ai created by KOR57\n");
    std::printf("MESSAGE freestyle/renju/exactly-five/freestyle-caro/standard-coro rules are "
                "supported now.\n");
    std::printf("DEBUG Default timeout_turn - 2s\n");
    std::fflush(stdout);
}

void gomocup_serve() {
    for (;;)
    {
        command = read_word();
        UPPERCASE(&command);
        for (const Command& cmd : COMMANDS)
            if (command == cmd.word)
            {
                cmd.handler();
                break;
            }
    }
}
