// Self-play soak: two engine processes play whole games against each other, driven exactly as
// a tournament manager drives them, while a small referee of its own checks every reply.
//
//   gravik-soak [games] [turn_ms] [seed] [max_mb] [threads]
//
// Each game picks a rule, a board size and a manager style from the seed. Every reply must be a
// legal empty point, come within the turn time plus a margin, and the game must end with a five
// valid under the rule or a full board. At the end it prints the largest peak memory (resident
// set) of any engine process; with `max_mb`, a peak above that many MB (10^6 bytes) fails the run
// (0: no limit). `threads` (default 1) is sent to both engines as INFO thread_num every game.
// Exit status 0 when every game passed.
#include <sys/resource.h>

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

// Rules as the manager names them (INFO rule).
enum RuleCode { FREESTYLE = 0, EXACT_FIVE = 1, RENJU = 4, FREE_CARO = 8, STD_CARO = 9 };

// Board of the referee: 0 empty, 1 first player (black), 2 second player.
struct Referee {
    int size, rule;
    std::vector<int> cells;

    int at(int x, int y) const {
        return (x < 0 || y < 0 || x >= size || y >= size) ? -1 : cells[y * size + x];
    }

    // Outcome of `who` having played (x, y): 1 a win, -1 a loss (black's overline under
    // renju), 0 the game goes on.
    int judge(int x, int y, int who) const {
        static const int DIRS[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
        const bool caro             = rule == FREE_CARO || rule == STD_CARO;
        bool overline               = false;
        for (const auto& d : DIRS)
        {
            int lo = 1, hi = 1;  // distance to the first cell past the run, each way
            while (at(x - lo * d[0], y - lo * d[1]) == who)
                ++lo;
            while (at(x + hi * d[0], y + hi * d[1]) == who)
                ++hi;
            const int run   = lo + hi - 1;
            const bool shut = at(x - lo * d[0], y - lo * d[1]) == 3 - who &&
                              at(x + hi * d[0], y + hi * d[1]) == 3 - who;
            const bool long_wins =
                rule == FREESTYLE || rule == FREE_CARO || (rule == RENJU && who == 2);
            if (run == 5 || (run > 5 && long_wins))
            {
                if (!(caro && shut))
                    return 1;
            }
            else if (run > 5 && rule == RENJU)
                overline = true;
        }
        return overline ? -1 : 0;
    }
};

struct Style {
    bool start, board, crlf, no_limit;  // START every game, BOARD every move, CR LF, no match limit
};

long long slowest_ms = 0;
int games_done = 0, failures = 0, replies = 0;

bool fail(const std::string& why) {
    std::printf("FAIL: %s\n", why.c_str());
    ++failures;
    return false;
}

// `need_start`: the processes are new or the board size changes, so RESTART would not do.
bool play_game(EngineProcess* engines[2], int size, int rule, int turn_ms, int threads,
               const Style& style, bool need_start) {
    const std::string eol = style.crlf ? "\r\n" : "\n";
    std::string reply;
    for (int e = 0; e < 2; ++e)
    {
        engines[e]->send((style.start || need_start ? "START " + std::to_string(size) : "RESTART") +
                         eol);
        if (!engines[e]->read_reply(&reply, 5000) || reply != "OK")
            return fail("no OK to START/RESTART, got '" + reply + "'");
        engines[e]->send("INFO timeout_turn " + std::to_string(turn_ms) + eol +
                         "INFO timeout_match " + (style.no_limit ? "0" : "1000000") + eol +
                         "INFO max_memory 83886080" + eol + "INFO game_type 0" + eol +
                         "INFO rule " + std::to_string(rule) + eol + "INFO thread_num " +
                         std::to_string(threads) + eol + "INFO folder /tmp" + eol);
    }
    Referee ref{size, rule, std::vector<int>(size * size, 0)};
    std::vector<std::pair<int, int>> moves;
    long long time_left[2] = {1000000, 1000000};
    for (int ply = 0; ply < size * size; ++ply)
    {
        const int side     = ply % 2;  // engine 0 plays first
        EngineProcess& eng = *engines[side];
        eng.send("INFO time_left " +
                 (style.no_limit ? std::string("2147483647") : std::to_string(time_left[side])) +
                 eol);
        const long long start = now_ms();
        if (style.board)
        {
            std::string block = "BOARD" + eol;
            for (size_t k = 0; k < moves.size(); ++k)  // third number: 1 own stone, 2 opponent's
                block += std::to_string(moves[k].first) + "," + std::to_string(moves[k].second) +
                         (k % 2 == static_cast<size_t>(side) ? ",1" : ",2") + eol;
            eng.send(block + "DONE" + eol);
        }
        else
            eng.send(ply == 0 ? "BEGIN" + eol
                              : "TURN " + std::to_string(moves.back().first) + "," +
                                    std::to_string(moves.back().second) + eol);
        if (!eng.read_reply(&reply, turn_ms + 5000))
            return fail("no reply at ply " + std::to_string(ply));
        const long long took = now_ms() - start;
        slowest_ms           = std::max(slowest_ms, took);
        ++replies;
        time_left[side] -= took;
        int x = -1, y = -1;
        if (took > turn_ms + REPLY_MARGIN_MS)
            return fail("reply took " + std::to_string(took) + " ms at ply " + std::to_string(ply));
        if (!is_move_on_board(reply, size, &x, &y) || ref.at(x, y) != 0)
            return fail("not an empty point: '" + reply + "' at ply " + std::to_string(ply));
        ref.cells[y * size + x] = side + 1;
        moves.push_back({x, y});
        if (ref.judge(x, y, side + 1) != 0)
            break;
    }
    ++games_done;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int games   = argc > 1 ? std::atoi(argv[1]) : 10;
    const int turn_ms = argc > 2 ? std::atoi(argv[2]) : 200;
    unsigned state    = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 1u;
    const long max_mb = argc > 4 ? std::atol(argv[4]) : 0;
    const int threads = argc > 5 ? std::atoi(argv[5]) : 1;
    auto draw         = [&state](unsigned bound) {
        state = state * 1103515245u + 12345u;
        return ((state >> 16) & 0x7fff) % bound == 0;
    };
    static const int RULES[] = {FREESTYLE, EXACT_FIVE, RENJU, FREE_CARO, STD_CARO};
    static const int SIZES[] = {10, 15, 20, 25};
    std::unique_ptr<EngineProcess> a, b;
    int last_size = 0;  // 0: new processes
    for (int g = 0; g < games; ++g)
    {
        // A new pair of processes every few games and after a failure; in between, games
        // follow in one process.
        if (g % 4 == 0 || last_size == 0)
        {
            a         = std::make_unique<EngineProcess>();
            b         = std::make_unique<EngineProcess>();
            last_size = 0;
        }
        const int rule = RULES[g % 5], size = SIZES[(g / 2) % 4];  // 40 games cover every pair
        const Style style{draw(2), draw(3), draw(2), draw(2)};
        EngineProcess* pair[2] = {a.get(), b.get()};
        if (g % 2)
            std::swap(pair[0], pair[1]);
        const bool need_start = size != last_size;
        std::printf("game %d: rule %d size %d %s%s%s%s\n", g + 1, rule, size,
                    style.start || need_start ? "START " : "RESTART ",
                    style.board ? "BOARD " : "TURN ", style.crlf ? "CRLF " : "",
                    style.no_limit ? "no-limit" : "");
        std::fflush(stdout);
        last_size = play_game(pair, size, rule, turn_ms, threads, style, need_start) ? size : 0;
    }
    for (EngineProcess* eng : {a.get(), b.get()})
    {
        eng->send("END\n");
        if (eng->wait_exit(3000) != 0)
            fail("END did not end the engine with status 0");
    }
    a.reset();  // every engine process is waited for, so the peak below covers them all
    b.reset();
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);  // the largest child's peak, in KiB
    std::printf("games %d, moves %d, slowest reply %lld ms at timeout_turn %d\n", games_done,
                replies, slowest_ms, turn_ms);
    const double peak_mb = usage.ru_maxrss * 1024.0 / 1e6;
    std::printf("peak memory of one engine: %.1f MB\n", peak_mb);
    if (max_mb > 0 && peak_mb > max_mb)
        fail("an engine's peak memory is over " + std::to_string(max_mb) + " MB");
    std::printf("%d passed, %d failed\n", games_done, failures);
    return failures == 0 ? 0 : 1;
}
