// gravik-bench: runs the move decision on a fixed suite of positions with fixed depth limits
// and no clock, and prints the total node count as the signature of the engine's behaviour.
//
//   gravik-bench         one line per position, totals, "Nodes searched : N"
//   gravik-bench stage   the same, with the nodes and the time of each search (alpha-beta,
//                        attack, defence)
//   gravik-bench [stage] N M ...   only positions N, M, ... of the suite (for profiling)
//   gravik-bench --passes P ...    the suite decided P times over, all timed: the nodes per second
//                        of all of them, each position's line and the node count of one pass
//                        (every pass must search the same nodes). A longer measure is a steadier
//                        one on a busy machine.
//   gravik-bench --threads T ...   the decisions with T search threads: nodes per second on the
//                        wall clock, and the wall time at which the main thread completed each
//                        alpha-beta iteration. With more than one thread the node count depends
//                        on timing and is no signature.
//
// Times are the process's CPU time (wall time beside it in the totals), so other programs on
// the machine weigh less; in WebAssembly they are the wall clock, for the runtime's compiler
// threads count in a process's time, and the suite is first run once untimed (see
// WARM_UP_PASSES). They count the move decision only: the hash tables are cleared
// before every position, and that clearing (the first one also pays for the first touch of
// every page of the tables) is timed apart and reported, never counted in the nodes per second. In
// stage mode every position is decided four times, each run from the same fresh start: without any
// search, with the attack search only, with the attack and the defence searches, and in full (the
// searches run in that order and each depends only on the ones before it). The time of a search is
// the difference between the runs with and without it; the alpha-beta search is charged with its
// set-up of an empty iteration as well (a few microseconds). Only this file is needed for that, so
// the same bench source can drive any version of the engine library.
//
// Same binary, same signature: the Zobrist numbers and the engine's generator are seeded with
// constants, the hash tables are cleared before every position and the time limits are out of
// reach.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "engine/computer_turn.h"
#include "eval/pattern_tables.h"
#include "game/Main.h"
#include "game/engine_rand.h"
#include "platform/platform.h"
#include "search/ai.h"
#include "search/random_number.h"
#include "search/thread.h"

namespace {

constexpr unsigned ZOBRIST_SEED = 20261206;
constexpr unsigned NOISE_SEED   = 7;
constexpr int BENCH_LAYER       = 8;
constexpr int BENCH_DEPTH       = 10;
constexpr int BENCH_DEPTH1      = 9;

// A position drawn as a picture: character k of row r is point (x0 + k, y0 + r); 'x' is a
// stone of the first player, 'o' of the second, anything else is empty. The stones enter the
// move list alternately (first player's on odd slots), so 'x' must count as many as 'o' or
// one more; the side to move follows from the counts.
struct Position {
    const char* label;
    int rule, size, x0, y0;
    std::initializer_list<const char*> rows;
};

// clang-format off
const Position SUITE[] = {
    {"opening, 3 stones", 1, 15, 6, 6, {
        "...",
        ".x.",
        ".ox",
    }},
    {"opening, 4 stones", 4, 15, 6, 6, {
        "..x.",
        ".xo.",
        "o...",
    }},
    {"opening, 5 stones", 2, 15, 5, 6, {
        ".o...",
        "..x..",
        "..xo.",
        "...x.",
    }},
    {"middle game", 1, 15, 4, 4, {
        ".........",
        "...o.....",
        "..xxo....",
        "...xo.x..",
        "..ox.x...",
        "....o....",
    }},
    {"middle game", 2, 15, 3, 4, {
        "..........",
        "...x.o....",
        "...oxx.o..",
        "..xoox....",
        "...x.o.x..",
        "....o.....",
    }},
    {"middle game", 4, 15, 4, 3, {
        "...........",
        "....x.o....",
        "...xoo.x...",
        "..o.xxo....",
        "...x.ox....",
        "....o..x...",
        ".......o...",
    }},
    {"middle game", 8, 15, 3, 5, {
        "..o......",
        "..xx.o...",
        ".oxoox...",
        "..xo.x...",
        "..o..x...",
        ".....x...",
    }},
    {"middle game", 9, 15, 4, 4, {
        ".........",
        "..o.x....",
        "...xoo...",
        "..xxo.x..",
        "..o.xo...",
        ".....x.o.",
    }},
    {"middle game", 1, 20, 6, 7, {
        "...........",
        "....o.x....",
        "...xxo.o...",
        "..o.xoxx...",
        "....ox.o...",
        "...x.o.x...",
        "......o....",
    }},
    {"middle game", 4, 20, 7, 6, {
        "..........",
        "...o..x...",
        "..xxox....",
        "..oxoo.x..",
        "...x.xo...",
        "..o.o.....",
        "..........",
    }},
    {"quiet middle game", 1, 15, 5, 5, {
        ".x.o..",
        "..xo..",
        ".ox.x.",
        "...o..",
    }},
    {"quiet middle game", 2, 15, 5, 4, {
        "..o....",
        ".x..x..",
        "..ox.o.",
        ".x.o...",
        "....x.o",
    }},
    {"quiet middle game", 4, 15, 5, 5, {
        "...o...",
        ".x.x.o.",
        "..ox...",
        ".o..x..",
        "...o.x.",
    }},
    {"quiet middle game", 8, 15, 4, 5, {
        "..x.o..",
        ".o.x...",
        "..xo.x.",
        ".....o.",
    }},
    {"quiet middle game", 9, 20, 7, 7, {
        ".o..x...",
        "..x.o...",
        ".x.ox...",
        "..o..x..",
        "....o...",
    }},
    {"quiet middle game", 1, 20, 8, 8, {
        "..x....",
        ".o.xo..",
        "..ox...",
        ".x..o..",
        "...x.o.",
    }},
    {"crowded middle game", 1, 15, 3, 3, {
        "..o.......",
        "..xxo.x...",
        ".oxoxo.o..",
        "..xoxxxo..",
        ".x.ooxo...",
        "..xo.x.o..",
        "...x..o...",
        "....x.....",
    }},
    {"crowded middle game", 9, 20, 6, 6, {
        "...o.x....",
        "..xoxo....",
        ".oxxoxo...",
        "..oxoox...",
        ".x.xo.x...",
        "...o.o.x..",
    }},
    {"win by fours", 1, 15, 3, 5, {
        "....x..o",
        ".......o",
        "oxxx....",
        "....x...",
        "....x...",
        "....o...",
        "o...o...",
    }},
    {"win by fours, second player", 4, 15, 3, 5, {
        "....o..x",
        ".......x",
        "xooo....",
        "....o...",
        "....o...",
        "....x.x.",
        "x...x...",
    }},
    {"win by fours", 2, 20, 8, 8, {
        "o...o..o",
        ".......o",
        ".o......",
        "..x.....",
        "...x....",
        "....x...",
        ".oxxx...",
    }},
    {"win by a four and a three", 1, 15, 3, 5, {
        ".......o",
        "oxxx....",
        "....x...",
        "....x...",
        "........",
        "o.o.o...",
    }},
    {"win by a four and a three", 9, 20, 5, 5, {
        ".........o",
        ".oxxx.....",
        ".....x....",
        ".....x....",
        "..........",
        "...o.o.o..",
    }},
    {"win by threes", 8, 15, 5, 5, {
        "x.......",
        "..x.x...",
        "...x....",
        "..o.o...",
        ".o......",
        ".....o..",
    }},
    {"defend a four and a three", 1, 15, 3, 5, {
        ".......x",
        "xooo....",
        "....o...",
        "....o...",
        "........",
        "x...x.x.",
    }},
    {"defend a four and a three", 4, 15, 3, 5, {
        ".......x",
        "xooo....",
        "....o...",
        "....o...",
        "...x....",
        "x.....x.",
    }},
    {"defend an open three", 2, 20, 7, 7, {
        ".......",
        "..ooo..",
        "...x...",
        ".x.x...",
        "....o..",
        "x......",
    }},
    {"defend a double three", 8, 15, 4, 4, {
        "........",
        "..o.....",
        "...o.o..",
        "...x....",
        ".o..x...",
        "...x.x..",
        ".......x",
    }},
};
// clang-format on

struct Tally {
    long long nodes = 0, nodes_ab = 0, nodes_attack = 0, nodes_defend = 0;
    long long cpu_ns = 0, wall_ms = 0;
    long long clear_ns = 0, first_clear_ns = -1;  // clearing the tables, all and the first
    long long stage_ns[4] = {};  // alpha-beta, attack, defence, the rest of the decision
};

enum Stage { STAGE_AB = 0, STAGE_ATTACK = 1, STAGE_DEFENCE = 2, STAGE_OTHER = 3 };

// Lays the picture into the move list and the board; returns false when the counts cannot
// come from alternate moves.
bool set_up(const Position& pos) {
    BOARDSIZE = pos.size;
    gametype  = pos.rule;
    RESTART();
    int first[400][2], second[400][2];
    int n_first = 0, n_second = 0;
    int r = 0;
    for (const char* row : pos.rows)
    {
        for (int k = 0; row[k] != '\0'; ++k)
        {
            if (row[k] == 'x')
            {
                first[n_first][0]   = pos.x0 + k;
                first[n_first++][1] = pos.y0 + r;
            }
            else if (row[k] == 'o')
            {
                second[n_second][0]   = pos.x0 + k;
                second[n_second++][1] = pos.y0 + r;
            }
        }
        ++r;
    }
    if (n_first != n_second && n_first != n_second + 1)
        return false;
    for (int k = 0; k < n_first; ++k)
    {
        stonex[2 * k + 1] = first[k][0];
        stoney[2 * k + 1] = first[k][1];
    }
    for (int k = 0; k < n_second; ++k)
    {
        stonex[2 * k + 2] = second[k][0];
        stoney[2 * k + 2] = second[k][1];
    }
    i = n_first + n_second + 1;
    ATARI();
    return true;
}

// The move decision as the protocol runs it: the engine's stones are 1 while it thinks. The
// decision's MESSAGE line is kept off the bench output.
void decide() {
    mute_stdout(true);
    computer_turn_for_side_to_move();
    mute_stdout(false);
}

const char* rule_name(int rule) {
    switch (rule)
    {
    case 1: return "freestyle";
    case 2: return "exact5";
    case 4: return "renju";
    case 8: return "caro";
    case 9: return "caro-std";
    default: return "?";
    }
}

#if defined(__EMSCRIPTEN__)
// A WebAssembly runtime starts each function in a quick baseline tier and recompiles the hot
// ones optimised a little later, on other threads: one untimed pass over the suite first, so
// that the timed pass runs the code a game runs.
constexpr int WARM_UP_PASSES = 1;
constexpr bool WEBASSEMBLY   = true;
#else
constexpr int WARM_UP_PASSES = 0;
constexpr bool WEBASSEMBLY   = false;
#endif

long long per_second(long long nodes, long long ms) { return ms > 0 ? nodes * 1000 / ms : 0; }

// Wall time from the start of the running decision to each completed alpha-beta iteration.
std::chrono::steady_clock::time_point decision_start;
long long depth_us[LAYER_SLOTS];
int depths_done = 0;

void note_depth(const SearchThread& t) {
    if (t.LAYER < LAYER_SLOTS)
        depth_us[t.LAYER] = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - decision_start)
                                .count();
    depths_done = t.LAYER;
}

}  // namespace

int main(int argc, char** argv) {
    bool stages     = false;
    bool chosen[64] = {};
    bool any_chosen = false;
    int threads     = 0;  // 0: not asked for; one thread, CPU time
    int passes      = 1;  // timed passes over the suite
    for (int a = 1; a < argc; ++a)
    {
        if (std::strcmp(argv[a], "stage") == 0)
            stages = true;
        else if (std::strcmp(argv[a], "--threads") == 0 && a + 1 < argc)
            threads = std::atoi(argv[++a]);
        else if (std::strcmp(argv[a], "--passes") == 0 && a + 1 < argc)
        {
            passes = std::atoi(argv[++a]);
            if (passes < 1 || passes > 100)
            {
                std::printf("--passes takes 1 to 100, not %s\n", argv[a]);
                return 1;
            }
        }
        else
        {
            const int k = std::atoi(argv[a]);
            if (k >= 1 && k < 64)
                chosen[k] = any_chosen = true;
        }
    }
    // Threads share the work, and a WebAssembly runtime compiles on threads of its own beside
    // the engine's: the wall clock of the decisions is the measure then.
    const bool on_wall = threads != 0 || WEBASSEMBLY;
    if (threads != 0)
    {
        set_search_threads(threads);
        iteration_done = note_depth;
        std::printf("Threads        : %d\n", search_threads());
    }

    BUILD_PATTERN_TABLES();
    fill_random_numbers(ZOBRIST_SEED);

    // Only the depth limits end a search.
    F_WID      = 50;
    MAX_LAYER  = BENCH_LAYER;
    MAX_DEPTH  = BENCH_DEPTH;
    MAX_DEPTH1 = BENCH_DEPTH1;

    Tally total;
    int run_count                  = 0;
    long long first_pass_nodes[64] = {};  // each position's nodes in the first timed pass
    for (int pass = -WARM_UP_PASSES; pass < passes; ++pass)
    {
        const bool quiet = pass < 0;  // a warm-up pass prints nothing and counts nothing
        if (pass <= 0)
        {
            const long long first_clear = total.first_clear_ns;  // the one with the page faults
            total                       = Tally{};
            total.first_clear_ns        = first_clear;
        }
        run_count  = 0;
        int number = 0;
        for (const Position& pos : SUITE)
        {
            ++number;
            if (any_chosen && !chosen[number])
                continue;
            ++run_count;
            // Runs of stage mode: searches switched on (attack, defence) and alpha-beta depth.
            struct Run {
                int kill, defend, layer;
            };
            const Run runs[4]   = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, BENCH_LAYER}};
            long long run_ns[4] = {};
            long long wall_ms   = 0;
            for (int r = stages ? 0 : 3; r < 4; ++r)
            {
                if (!set_up(pos))
                {
                    std::printf("position %d (%s): stone counts do not alternate\n", number,
                                pos.label);
                    return 1;
                }
                const long long clear0 = process_cpu_ns();
                clear_hash_tables();
                const long long cleared = process_cpu_ns() - clear0;
                total.clear_ns += cleared;
                if (total.first_clear_ns < 0)
                    total.first_clear_ns = cleared;
                engine_srand(NOISE_SEED);
                MAX_TIME           = 100000000;   // times 20 still fits an int
                TIME_REMAIN        = 2100000000;  // never cuts MAX_TIME
                switch_quickkill   = runs[r].kill;
                switch_quickdefend = runs[r].defend;
                MAX_LAYER          = runs[r].layer;

                const auto start     = std::chrono::steady_clock::now();
                const long long cpu0 = process_cpu_ns();
                decision_start       = start;
                depths_done          = 0;
                decide();
                run_ns[r]       = process_cpu_ns() - cpu0;
                const auto took = std::chrono::steady_clock::now() - start;
                wall_ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
                if (on_wall)
                    run_ns[r] = std::chrono::duration_cast<std::chrono::nanoseconds>(took).count();
            }
            if (quiet)
                continue;
            // The full run's counters and move are the signature.
            const SearchThread& t = main_thread;
            const long long ms    = run_ns[3] / 1000000;
            const long long nodes =
                static_cast<long long>(t.node) + helper_nodes + t.node1 + t.node2;
            if (pass > 0 && threads <= 1 && nodes != first_pass_nodes[number])
            {
                std::printf("position %d: %lld nodes in pass %d, %lld in the first\n", number,
                            nodes, pass + 1, first_pass_nodes[number]);
                return 1;
            }
            first_pass_nodes[number] = nodes;
            total.nodes += nodes;
            total.nodes_ab += t.node + helper_nodes;
            total.nodes_attack += t.node1;
            total.nodes_defend += t.node2;
            total.cpu_ns += run_ns[3];
            total.wall_ms += wall_ms;
            long long stage_ns[4] = {run_ns[3] - run_ns[2], run_ns[1] - run_ns[0],
                                     run_ns[2] - run_ns[1], run_ns[0]};
            for (int st = 0; st < 4; ++st)
                total.stage_ns[st] += stage_ns[st];
            if (pass > 0)
                continue;  // the lines of the first timed pass stand for all

            std::printf("%2d %-30s %-9s %2d  move %2d,%-2d  depth %d-%d-%d  nodes %9lld  %6lld ms  "
                        "%9lld nodes/s\n",
                        number, pos.label, rule_name(pos.rule), pos.size, stonex[i] - 1,
                        stoney[i] - 1, t.break_depth, t.break_depth1, t.break_depth2, nodes, ms,
                        per_second(nodes, ms));
            if (stages)
                std::printf(
                    "   alpha-beta %lld  attack %d  defence %d  nodes;  %lld %lld %lld us\n",
                    t.node + helper_nodes, t.node1, t.node2, stage_ns[STAGE_AB] / 1000,
                    stage_ns[STAGE_ATTACK] / 1000, stage_ns[STAGE_DEFENCE] / 1000);
            if (on_wall && depths_done > 0)
            {
                std::printf("   depth reached at (ms):");
                for (int layer = 1; layer <= depths_done; ++layer)
                    std::printf(" %d:%.1f", layer, depth_us[layer] / 1000.0);
                std::printf("\n");
            }
        }
    }

    std::printf("\nPositions      : %d\n", run_count);
    if (passes > 1)
        std::printf("Passes         : %d (times and speeds of all; nodes of one pass)\n", passes);
    if (stages)
    {
        const long long stage_nodes[3] = {total.nodes_ab / passes, total.nodes_attack / passes,
                                          total.nodes_defend / passes};
        const char* names[3] = {"Alpha-beta     :", "Attack         :", "Defence        :"};
        for (int st = 0; st < 3; ++st)
        {
            const long long us = total.stage_ns[st] / 1000 / passes;
            std::printf("%s %lld nodes  %lld us  %lld nodes/s\n", names[st], stage_nodes[st], us,
                        us > 0 ? stage_nodes[st] * 1000000 / us : 0);
        }
        std::printf("Other          : %lld us\n", total.stage_ns[STAGE_OTHER] / 1000 / passes);
    }
    std::printf("Clearing (ms)  : %lld (tables cleared before each position, not counted; "
                "the first clearing, with its page faults: %lld)\n",
                total.clear_ns / 1000000, total.first_clear_ns / 1000000);
    std::printf("Wall time (ms) : %lld\n", total.wall_ms);
    std::printf("Total time (ms): %lld (search only: the move decisions%s)\n",
                total.cpu_ns / 1000000, on_wall ? ", wall clock" : "");
    std::printf("Nodes/second   : %lld (search time only)\n",
                total.cpu_ns > 0 ? total.nodes * 1000000000LL / total.cpu_ns : 0);
    std::printf("Nodes searched : %lld\n", total.nodes / passes);
    return 0;
}
