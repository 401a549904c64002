// The protocol core that serves a tournament manager or an analysis board: one command word at
// a time, each dispatched to a small handler that reads its own arguments and says its reply.
#include "protocol/gomocup_main.h"

#include <cstdio>
#include <iostream>
#include <sstream>

#include "engine/computer_turn.h"
#include "engine/level.h"
#include "game/Main.h"
#include "game/timer.h"
#include "rules/check_ban.h"
#include "search/ai.h"
#include "search/live_report.h"
#include "search/thread.h"

std::string command;
void (*console_game_runner)() = nullptr;
void (*thinking_hook)(bool)   = nullptr;

namespace {

std::istream* input = nullptr;  // the stream being served
bool input_ended    = false;    // it ran out, possibly in the middle of a command
bool end_received   = false;    // END was read

// Every reply is one line, flushed at once: the manager is waiting for it. A command cut off
// by the end of the input gets none; the session ends there.
void reply(const char* text) {
    if (!input_ended)
        say("%s\n", text);
}

void reply_error(const char* why = nullptr) {
    if (input_ended)
        return;
    if (why)
        say("ERROR %s\n", why);
    else
        say("ERROR\n");
}

// Next whitespace-delimited word; false (and an empty word) at the end of the input.
bool read_word(std::string* word) {
    word->clear();
    if (!(*input >> *word))
    {
        input_ended = true;
        return false;
    }
    // A manager writing CR LF leaves the CR outside the word already (it is whitespace);
    // strip any that was glued inside all the same.
    for (size_t k = word->find('\r'); k != std::string::npos; k = word->find('\r'))
        word->erase(k, 1);
    return true;
}

// Whether the last read took something. After a failure the stream is recovered and the
// offending word left in place: the loop then reads it as the next command word, so a missing
// argument never swallows the command that follows it. The end of the input ends the session.
bool read_succeeded() {
    if (!input->fail())
        return true;
    if (input->eof())
        input_ended = true;
    else
        input->clear();
    return false;
}

// Next int, false when the input holds no number there.
bool read_int(int* out) {
    *input >> *out;
    return read_succeeded();
}

// One non-blank character, normally the comma between two numbers.
bool read_separator() {
    char dot = 0;
    *input >> dot;
    return read_succeeded();
}

// Reads "x,y" as two ints around a separator.
bool read_pair(int* x, int* y) { return read_int(x) && read_separator() && read_int(y); }

bool on_board(int x0, int y0) { return 0 <= x0 && x0 < BOARDSIZE && 0 <= y0 && y0 < BOARDSIZE; }

// The move decision for the side to move, open to a stop while it runs.
void decide() {
    if (thinking_hook)
        thinking_hook(true);
    computer_turn_for_side_to_move();
    if (thinking_hook)
        thinking_hook(false);
}

// Plays the engine's move into slot i, prints it 0-based and advances i. The engine's own
// stones must be 1 while it thinks, so colours are swapped around odd-numbered moves.
void engine_move() {
    if (i >= MOVE_SLOTS)  // no slot left for the reply
    {
        reply_error();
        return;
    }
    decide();
    say("%d,%d\n", stonex[i] - 1, stoney[i] - 1);
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

// The lines of a BOARD or YXBOARD block up to DONE, on a new game; an ERROR for each refused
// line. An analysis board's position (`refuse_occupied`) also refuses a second stone on a
// point; a manager's BOARD records it, as TURN does. False when the input ends inside the block.
bool read_position(bool refuse_occupied) {
    RESTART();
    for (;;)
    {
        if (!read_word(&command))
            return false;
        UPPERCASE(&command);
        if (command == "DONE")
            return true;
        int x0 = 0, y0 = 0;
        // Stones stop one slot short of the end of the list: the reply needs a slot too.
        if (!parse_board_line(command, &x0, &y0) || !on_board(x0, y0) || i + 1 >= MOVE_SLOTS ||
            (refuse_occupied && qp[x0 + 1][y0 + 1] != 0))
        {
            reply_error();
            continue;
        }
        record_stone(x0, y0);
    }
}

void on_board() {
    if (read_position(false))
        engine_move();
}

// The position only: an analysis board sets it up without asking for a move.
void on_yxboard() { read_position(true); }

// Renju points forbidden to the first player while it is to move (an even number of stones),
// each as two-digit x then two-digit y, 0-based; the list ends with a dot.
void on_yxshowforbid() {
    std::string line = "FORBID ";
    if (gametype == 4 && i % 2 == 1)
    {
        mark_forbidden_points();
        const int n = BOARDSIZE;
        char point[8];
        for (int x = 1; x <= n; ++x)
            for (int y = 1; y <= n; ++y)
                if (forbidden[x][y] == 1)
                {
                    std::snprintf(point, sizeof point, "%02d%02d", x - 1, y - 1);
                    line += point;
                }
    }
    line += '.';
    reply(line.c_str());
}

// The move decision for the side to move, as after BOARD, with its first n ranked candidates
// in a MESSAGE line before the move. It is a question about the position: the move is not
// played, so the board stays as it was set up.
void on_yxnbest() {
    int wanted = 0;
    if (!read_int(&wanted) || wanted < 1 || i >= MOVE_SLOTS)
    {
        reply_error();
        return;
    }
    DETAIL_PVS = wanted;
    decide();
    DETAIL_PVS       = 1;
    std::string line = "MESSAGE NBEST";
    char point[32];
    for (int k = 0; k < wanted && k < RANKED_NB && bestx[k] != 0; ++k)
    {
        std::snprintf(point, sizeof point, " %d,%d", bestx[k] - 1, besty[k] - 1);
        line += point;
    }
    reply(line.c_str());
    say("%d,%d\n", stonex[i] - 1, stoney[i] - 1);
    stonex[i] = stoney[i] = 0;
}

void on_yxhashclear() { clear_hash_tables(); }

void on_yxshowinfo() {
    say("MESSAGE Gravik " GRAVIK_VERSION "\n");
    say("MESSAGE INFO MAX_THREAD_NUM %d\n", max_search_threads());
}

// The rule value is a bit mask in which 2 only marks a continuous game (a manager's continuous
// mode sends renju as 6), so that bit is cleared before the value is mapped.
const char* rule_name(int rule, int* type) {
    switch (rule & ~2)
    {
    case 1: *type = 2; return "FIVE_ONLY";
    case 4: *type = 4; return "RENJU";
    case 8: *type = 8; return "F-CARO";
    case 9: *type = 9; return "S-CARO";
    default: *type = 1; return "FREESTYLE";
    }
}

constexpr int PROTOCOL_LAYERS = 15;  // deepest alpha-beta iteration when no limit is set

// INFO keys whose value is a number. The analysis boards' hash_size, pondering ..
// time_increment are taken and have no effect on play: fixed tables, no pondering.
const char* const NUMERIC_KEYS[] = {
    "TIMEOUT_TURN", "TIMEOUT_MATCH", "TIME_LEFT",      "MAX_MEMORY", "GAME_TYPE",
    "RULE",         "MAX_DEPTH",     "MAX_NODE",       "THREAD_NUM", "HASH_SIZE",
    "SHOW_DETAIL",  "PONDERING",     "CAUTION_FACTOR", "STRENGTH",   "TIME_INCREMENT",
    "LEVEL",  // the playing level, 1..6
};

void on_info() {
    std::string key;
    if (!read_word(&key))
        return;
    UPPERCASE(&key);
    if (key == "FOLDER")
    {
        read_word(&key);
        return;
    }
    bool numeric = false;
    for (const char* known : NUMERIC_KEYS)
        numeric = numeric || key == known;
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
        say("MESSAGE gamerule %d %s\n", number, name);
    }
    else if (key == "MAX_DEPTH")  // 0 (or anything out of range) lifts the limit
        MAX_LAYER = number >= 1 && number < PROTOCOL_LAYERS ? number : PROTOCOL_LAYERS;
    else if (key == "MAX_NODE")
        NODE_LIMIT = number > 0 ? number : 0;
    else if (key == "LEVEL")  // 1..6; anything else full strength
        set_level(number);
    else if (key == "THREAD_NUM")  // clamped to 1..MAX_THREAD_NUM
        set_search_threads(number);
    else if (key == "SHOW_DETAIL")  // 1 realtime lines, 2 detail blocks, 3 both; else none
        SHOW_DETAIL = number >= 0 && number <= 3 ? number : 0;
}

void on_about() {
    reply("name=\"Gravik\", version=\"" GRAVIK_VERSION_SHORT "\", author=\"Orsolan\", "
          "country=\"Unknown\", email=\"gravik@example.org\"");
}

void on_end() { end_received = true; }

void on_checktime() {
    TIMER(1);
    say("\nMESSAGE check time now...\n");
    say("MESSAGE check time %d ms per second\n", TIMER(2));
}

void on_play() {}

// The private commands open the console game on a fresh board; rule 0 keeps the rule. Where
// no console game is linked in, they are ignored like any unknown word.
void console_game(int rule) {
    if (!console_game_runner)
        return;
    RESTART();
    if (rule != 0)
        gametype = rule;
    say("\nkey in time limit for AI(ms)\n");
    int limit = 0;
    if (!read_int(&limit))
    {
        reply_error();
        return;
    }
    MAX_TIME = limit < 200 ? 200 : limit;
    console_game_runner();
    say("\n\n    key in any valid command to continue...");
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
    {"START",        on_start},         // size                    OK | ERROR
    {"RESTART",      on_restart},       //                         OK
    {"RECTSTART",    on_rectstart},     // w,h                     OK | ERROR ...
    {"TAKEBACK",     on_takeback},      // (x,y left to the loop)  OK
    {"BEGIN",        on_begin},         //                         move
    {"TURN",         on_turn},          // x,y                     move | ERROR
    {"BOARD",        on_board},         // x,y,c lines, DONE       ERROR per bad line, move
    {"INFO",         on_info},          // key value               MESSAGE for RULE
    {"ABOUT",        on_about},         //                         about line
    {"END",          on_end},           //                         the session ends
    {"CHECKTIME",    on_checktime},     //                         two MESSAGE lines
    {"PLAY",         on_play},          //                         nothing
    {"YXBOARD",      on_yxboard},       // x,y,c lines, DONE       ERROR per bad line
    {"YXSHOWFORBID", on_yxshowforbid},  //                         FORBID xxyy... .
    {"YXNBEST",      on_yxnbest},       // n                       MESSAGE NBEST ..., move
    {"YXHASHCLEAR",  on_yxhashclear},   //                         nothing
    {"YXSHOWINFO",   on_yxshowinfo},    //                         MESSAGE lines
    {"KOR",          on_kor},           // ms                      console game
    {"KOR1",         on_kor1},
    {"KOR2",         on_kor2},
    {"KOR4",         on_kor4},
};
// clang-format on

}  // namespace

void gomocup_start() {
    F_WID              = 50;
    MAX_LAYER          = PROTOCOL_LAYERS;
    MAX_TIME           = 2000;
    TIME_REMAIN        = 1000000000;
    MAX_DEPTH          = 30;
    MAX_DEPTH1         = 29;
    NODE_LIMIT         = 0;
    switch_quickkill   = 1;
    switch_quickdefend = 1;
    gametype           = 1;

    say("MESSAGE Gravik gomoku engine ver.2\n");
    say("MESSAGE a simple ai created by KOR57\n");
    say("MESSAGE freestyle/renju/exactly-five/freestyle-caro/standard-coro rules are "
        "supported now.\n");
    say("DEBUG Default timeout_turn - 2s\n");
}

bool gomocup_serve(std::istream& in) {
    input        = &in;
    input_ended  = false;
    end_received = false;
    while (!end_received && !input_ended && read_word(&command))
    {
        UPPERCASE(&command);
        for (const Command& cmd : COMMANDS)
            if (command == cmd.word)
            {
                cmd.handler();
                break;
            }
    }
    return end_received;
}

void gomocup() {
    gomocup_start();
    gomocup_serve(std::cin);
    end_process(0);
}
