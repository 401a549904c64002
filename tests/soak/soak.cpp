// Self-play soak: two engine processes play whole games against each other, driven exactly as
// a tournament manager drives them, while a small referee of its own checks every reply.
//
//   gravik-soak [games] [turn_ms] [seed]
//
// Each game picks a rule, a board size and a manager style from the seed. Every reply must be a
// legal empty point, come within the turn time plus a margin, and the game must end with a five
// valid under the rule or a full board. Exit status 0 when every game passed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/engine_process.h"

namespace {

constexpr int REPLY_MARGIN_MS = 300;  // pipes, process start-up and a busy machine

long long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Rules as the manager names them (INFO rule) and the referee's view of them.
enum RuleCode { FREESTYLE = 0, EXACT_FIVE = 1, RENJU = 4, FREE_CARO = 8, STD_CARO = 9 };

// Board of the referee: 0 empty, 1 first player (black), 2 second player.
struct Referee {
    int size;
    int rule;
    std::vector<int> cells;

    Referee(int n, int r) : size(n), rule(r), cells(n * n, 0) {}
    int at(int x, int y) const {
        return (x < 0 || y < 0 || x >= size || y >= size) ? -1 : cells[y * size + x];
    }

    // Outcome of `who` playing (x, y), already placed: 1 a win, -1 a loss (black overline
    // under renju), 0 the game goes on.
    int judge(int x, int y, int who) const {
        static const int DIRS[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
        bool overline               = false;
        for (const auto& dir : DIRS)
        {
            int lo = 0, hi = 0;
            while (at(x - (lo + 1) * dir[0], y - (lo + 1) * dir[1]) == who)
                ++lo;
            while (at(x + (hi + 1) * dir[0], y + (hi + 1) * dir[1]) == who)
                ++hi;
            const int run = lo + hi + 1;
            if (run < 5)
                continue;
            const int before       = at(x - (lo + 1) * dir[0], y - (lo + 1) * dir[1]);
            const int after        = at(x + (hi + 1) * dir[0], y + (hi + 1) * dir[1]);
            const int other        = 3 - who;
            const bool both_closed = before == other && after == other;
            switch (rule)
            {
            case FREESTYLE: return 1;
            case EXACT_FIVE:
                if (run == 5)
                    return 1;
                break;
            case RENJU:
                if (who == 2 || run == 5)
                    return 1;
                overline = true;
                break;
            case FREE_CARO:
                if (!both_closed)
                    return 1;
                break;
            case STD_CARO:
                if (run == 5 && !both_closed)
                    return 1;
                break;
            }
        }
        return overline ? -1 : 0;
    }
};

struct Style {
    bool restart_with_start;  // START for every game (never RESTART)
    bool board_every_move;    // BOARD ... DONE before every move instead of TURN
    bool crlf;                // lines end in CR LF
    bool no_match_limit;      // INFO time_left 2147483647
};

struct Stats {
    long long slowest_ms = 0;
    int games = 0, failures = 0, moves = 0;
};

unsigned next_random(unsigned* state) {
    *state = *state * 1103515245u + 12345u;
    return (*state >> 16) & 0x7fff;
}

bool fail(Stats* stats, const std::string& why) {
    std::printf("FAIL: %s\n", why.c_str());
    ++stats->failures;
    return false;
}

// `need_start`: the processes are new or the board size changes, so RESTART would not do.
bool play_game(EngineProcess* engines[2], int size, int rule, int turn_ms, const Style& style,
               bool need_start, Stats* stats) {
    const std::string eol = style.crlf ? "\r\n" : "\n";
    std::string reply;
    for (int e = 0; e < 2; ++e)
    {
        EngineProcess& eng = *engines[e];
        if (style.restart_with_start || need_start)
            eng.send("START " + std::to_string(size) + eol);
        else
            eng.send("RESTART" + eol);
        if (!eng.read_reply(&reply, 5000) || reply != "OK")
            return fail(stats, "no OK to START/RESTART, got '" + reply + "'");
        eng.send("INFO timeout_turn " + std::to_string(turn_ms) + eol);
        eng.send("INFO timeout_match " + std::string(style.no_match_limit ? "0" : "1000000") + eol);
        eng.send("INFO max_memory 83886080" + eol);
        eng.send("INFO game_type 0" + eol);
        eng.send("INFO rule " + std::to_string(rule) + eol);
        eng.send("INFO folder /tmp" + eol);
    }
    Referee ref(size, rule);
    std::vector<std::pair<int, int>> moves;
    const long long match_ms = style.no_match_limit ? 2147483647LL : 1000000LL;
    long long time_left[2]   = {match_ms, match_ms};

    for (int ply = 0; ply < size * size; ++ply)
    {
        const int side     = ply % 2;  // engine 0 plays first
        EngineProcess& eng = *engines[side];
        eng.send("INFO time_left " + std::to_string(time_left[side]) + eol);
        const long long start = now_ms();
        if (style.board_every_move)
        {
            std::string block = "BOARD" + eol;
            for (size_t k = 0; k < moves.size(); ++k)
            {
                // Third number: 1 own stone, 2 opponent's, as managers send it.
                const bool own = (k % 2) == static_cast<size_t>(side);
                block += std::to_string(moves[k].first) + "," + std::to_string(moves[k].second) +
                         "," + (own ? "1" : "2") + eol;
            }
            eng.send(block + "DONE" + eol);
        }
        else if (ply == 0)
            eng.send("BEGIN" + eol);
        else
            eng.send("TURN " + std::to_string(moves.back().first) + "," +
                     std::to_string(moves.back().second) + eol);

        if (!eng.read_reply(&reply, turn_ms + 5000))
            return fail(stats, "no reply at ply " + std::to_string(ply));
        const long long took = now_ms() - start;
        stats->slowest_ms    = std::max(stats->slowest_ms, took);
        ++stats->moves;
        if (!style.no_match_limit)
            time_left[side] -= took;
        if (took > turn_ms + REPLY_MARGIN_MS)
            return fail(stats,
                        "reply took " + std::to_string(took) + " ms at ply " + std::to_string(ply));
        int x = -1, y = -1;
        if (!is_move_on_board(reply, size, &x, &y))
            return fail(stats, "not a move on the board: '" + reply + "'");
        if (ref.at(x, y) != 0)
            return fail(stats, "occupied point " + reply + " at ply " + std::to_string(ply));
        ref.cells[y * size + x] = side + 1;
        moves.push_back({x, y});
        const int verdict = ref.judge(x, y, side + 1);
        if (verdict != 0)
            break;
    }
    ++stats->games;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int games   = argc > 1 ? std::atoi(argv[1]) : 10;
    const int turn_ms = argc > 2 ? std::atoi(argv[2]) : 200;
    unsigned state    = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 1u;

    static const int RULES[] = {FREESTYLE, EXACT_FIVE, RENJU, FREE_CARO, STD_CARO};
    static const int SIZES[] = {10, 15, 20, 25};
    Stats stats;
    std::unique_ptr<EngineProcess> a, b;
    bool fresh    = true;
    int last_size = 0;
    for (int g = 0; g < games; ++g)
    {
        // A new pair of processes every few games; in between, games follow in one process.
        if (g % 4 == 0)
        {
            a.reset(new EngineProcess());
            b.reset(new EngineProcess());
            fresh = true;
        }
        const int rule = RULES[g % 5];
        const int size = SIZES[(g / 2) % 4];  // two games a size; 40 games cover every pair
        Style style;
        style.restart_with_start = next_random(&state) % 2;
        style.board_every_move   = next_random(&state) % 3 == 0;
        style.crlf               = next_random(&state) % 2;
        style.no_match_limit     = next_random(&state) % 2;
        EngineProcess* pair[2]   = {a.get(), b.get()};
        if (g % 2)
            std::swap(pair[0], pair[1]);
        std::printf("game %d: rule %d size %d %s%s%s%s\n", g + 1, rule, size,
                    style.restart_with_start || fresh || size != last_size ? "START " : "RESTART ",
                    style.board_every_move ? "BOARD " : "TURN ", style.crlf ? "CRLF " : "",
                    style.no_match_limit ? "no-limit" : "");
        std::fflush(stdout);
        const bool need_start = fresh || size != last_size;
        last_size             = size;
        if (!play_game(pair, size, rule, turn_ms, style, need_start, &stats))
        {
            a.reset();  // a failed game leaves the processes in an unknown state
            b.reset();
            a.reset(new EngineProcess());
            b.reset(new EngineProcess());
            fresh = true;
            continue;
        }
        fresh = false;
    }
    for (EngineProcess* eng : {a.get(), b.get()})
    {
        eng->send("END\n");
        if (eng->wait_exit(3000) != 0)
        {
            std::printf("FAIL: END did not end the engine with status 0\n");
            ++stats.failures;
        }
    }
    std::printf("games %d, moves %d, slowest reply %lld ms at timeout_turn %d\n", stats.games,
                stats.moves, stats.slowest_ms, turn_ms);
    std::printf("%d passed, %d failed\n", stats.games, stats.failures);
    return stats.failures == 0 ? 0 : 1;
}
