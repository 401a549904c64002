// Decisions with helper threads (INFO thread_num), through the real binary as a manager drives
// it: forced wins are still played, many short decisions give legal moves in time, stops and
// END still answer at once, and odd thread counts are taken without harm.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/engine_process.h"

namespace {

using Point = std::pair<int, int>;

long long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void pause_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int scaled(int ms) { return static_cast<int>(ms * timeout_scale()); }

std::string point_text(const Point& p) {
    return std::to_string(p.first) + "," + std::to_string(p.second);
}

// A BOARD block of `stones` in the order played; the side to move owns the last stone but
// one, so the colours alternate back from the end (1 own, 2 opponent).
std::string board_block(const std::vector<Point>& stones) {
    std::string block = "BOARD\n";
    for (size_t k = 0; k < stones.size(); ++k)
        block += point_text(stones[k]) + ((stones.size() - k) % 2 == 0 ? ",1\n" : ",2\n");
    return block + "DONE\n";
}

// The stones of a picture: rows separated by '/', character k of row r on point
// (x0 + k, y0 + r); 'x' goes to `mine` (the side to move), 'o' to `theirs`.
void lay(int x0, int y0, const char* pic, std::vector<Point>* mine, std::vector<Point>* theirs) {
    for (int x = x0, y = y0; *pic != '\0'; ++pic, ++x)
    {
        if (*pic == '/')
            x = x0 - 1, ++y;
        else if (*pic == 'x')
            mine->push_back({x, y});
        else if (*pic == 'o')
            theirs->push_back({x, y});
    }
}

// An order of play of both sides' stones: the side with more stones (the opponent when the
// counts differ) begins, and the colours alternate.
std::vector<Point> play_order(const std::vector<Point>& mine, const std::vector<Point>& theirs) {
    std::vector<Point> order;
    const bool theirs_first = theirs.size() > mine.size();
    for (size_t k = 0; k < mine.size() + theirs.size(); ++k)
        order.push_back((k % 2 == 0) == theirs_first ? theirs[k / 2] : mine[k / 2]);
    return order;
}

// The next move reply, or "" when none came in time.
std::string next_move(EngineProcess& engine, int timeout_ms) {
    std::string line;
    return engine.read_reply(&line, timeout_ms) ? line : "";
}

Point parse_point(const std::string& text) {
    Point p{-1, -1};
    if (!is_move_on_board(text, 100, &p.first, &p.second))
        return {-1, -1};
    return p;
}

// Stones of the opponent in the corners and far from each other: they only even the counts.
const Point FAR[] = {{0, 0}, {14, 0}, {0, 14}, {14, 14}, {11, 1}, {1, 11}, {12, 9}};

// Pictures laid at (3, 3): the cross point of their two lines is (7, 7).
// Double four: closed threes on row 7 and column 7, each a four with (7, 7).
const char* const DOUBLE_FOUR = "....o/"
                                "....x/"
                                "....x/"
                                "....x/"
                                "oxxx.";
// Four-three: a closed three on row 7 and an open two on column 7. (7, 7) makes a four and an
// open three; after the four is blocked the three becomes an open four.
const char* const FOUR_THREE = "...../"
                               "...../"
                               "....x/"
                               "....x/"
                               "oxxx.";

struct WinCase {
    const char* why;
    int rule;
    const char* threads;  // INFO thread_num value
    const char* centre;
    bool second;  // the side to move moved second: the opponent has one stone more
    std::set<Point> first;
    Point block;                // the opponent's answer to the first move
    std::set<Point> follow_up;  // the winning replies to that answer
};

// The centre picture, and far stones of the opponent until the side to move is the wanted one.
std::vector<Point> win_position(const WinCase& c) {
    std::vector<Point> mine, theirs;
    lay(3, 3, c.centre, &mine, &theirs);
    for (const Point& p : FAR)
        if (theirs.size() < mine.size() + (c.second ? 1 : 0))
            theirs.push_back(p);
    EXPECT_EQ(theirs.size(), mine.size() + (c.second ? 1 : 0)) << c.why;
    return play_order(mine, theirs);
}

}  // namespace

// A forced win is played with helper threads too, under every rule, and then completed.
TEST(Threads, ForcedWinsArePlayed) {
    const Point cross{7, 7};
    const WinCase cases[] = {
        {"freestyle double four", 0, "2", DOUBLE_FOUR, false, {cross}, {8, 7}, {{7, 8}}},
        {"freestyle double four, other block",
         0,
         "2",
         DOUBLE_FOUR,
         false,
         {cross},
         {7, 8},
         {{8, 7}}},
        {"freestyle four-three", 0, "2", FOUR_THREE, false, {cross}, {8, 7}, {{7, 4}, {7, 8}}},
        {"exactly five, double four, second player",
         1,
         "2",
         DOUBLE_FOUR,
         true,
         {cross},
         {8, 7},
         {{7, 8}}},
        {"renju four-three of black", 4, "2", FOUR_THREE, false, {cross}, {8, 7}, {{7, 4}, {7, 8}}},
        {"renju double four of white", 4, "2", DOUBLE_FOUR, true, {cross}, {8, 7}, {{7, 8}}},
        {"caro double four", 8, "2", DOUBLE_FOUR, false, {cross}, {8, 7}, {{7, 8}}},
        {"caro four-three, 999 threads clamped",
         8,
         "999",
         FOUR_THREE,
         true,
         {cross},
         {8, 7},
         {{7, 4}, {7, 8}}},
    };
    EngineProcess engine;
    for (const WinCase& c : cases)
    {
        const std::vector<Point> stones = win_position(c);
        engine.send("START 15\nINFO rule " + std::to_string(c.rule) + "\nINFO thread_num " +
                    c.threads + "\nINFO timeout_turn 500\n");
        ASSERT_EQ(next_move(engine, scaled(5000)), "OK") << c.why;
        engine.send(board_block(stones));
        const std::string first = next_move(engine, scaled(3000));
        EXPECT_TRUE(c.first.count(parse_point(first))) << c.why << ": played '" << first << "'";
        if (!c.first.count(parse_point(first)))
            continue;
        engine.send("TURN " + point_text(c.block) + "\n");
        const std::string second = next_move(engine, scaled(3000));
        EXPECT_TRUE(c.follow_up.count(parse_point(second)))
            << c.why << ": after " << point_text(c.block) << " played '" << second << "'";
    }
    engine.send("END\n");
    EXPECT_EQ(engine.wait_exit(scaled(3000)), 0);
}

namespace {

// A small generator of its own, so the positions are the same on every platform.
struct Lcg {
    uint32_t state;
    int below(int bound) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) & 0x7fff) % bound;
    }
};

// Whether a stone of `who` on (x, y) would make a row of five or more on `cells`.
bool makes_five(const std::vector<int>& cells, int size, int x, int y, int who) {
    static const int DIRS[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    auto at                     = [&](int a, int b) {
        return a < 0 || b < 0 || a >= size || b >= size ? 0 : cells[b * size + a];
    };
    for (const auto& d : DIRS)
    {
        int run = 1;
        for (int s = 1; at(x + s * d[0], y + s * d[1]) == who; ++s)
            ++run;
        for (int s = 1; at(x - s * d[0], y - s * d[1]) == who; ++s)
            ++run;
        if (run >= 5)
            return true;
    }
    return false;
}

}  // namespace

// Many short decisions with two threads on random positions of every rule and board size:
// each reply is an empty point of the board and comes within the turn time. One process
// serves them all, by BOARD or by BEGIN and TURN, and the thread count changes on the way.
TEST(Threads, ManyShortDecisionsAreLegalAndInTime) {
    static const int RULES[] = {0, 1, 4, 8};
    constexpr int POSITIONS  = 200;
    constexpr int MARGIN_MS  = 300;  // pipes and a busy machine
    Lcg rng{2024};
    EngineProcess engine;
    int threads       = 0;  // as last sent; 0 none yet
    long long slowest = 0;
    for (int n = 0; n < POSITIONS; ++n)
    {
        const int size = 10 + rng.below(16), rule = RULES[rng.below(4)];
        const int turn = 100 + rng.below(201);
        // Mostly two threads; every tenth position switches to one and back.
        const int want    = n % 10 == 5 ? 1 : 2;
        std::string setup = "START " + std::to_string(size) + "\nINFO rule " +
                            std::to_string(rule) + "\nINFO timeout_turn " + std::to_string(turn) +
                            "\n";
        if (want != threads)
            setup += "INFO thread_num " + std::to_string(want) + "\n";
        threads = want;
        engine.send(setup);
        const std::string why = "position " + std::to_string(n) + ": size " + std::to_string(size) +
                                ", rule " + std::to_string(rule) + ", turn " +
                                std::to_string(turn) + " ms, " + std::to_string(threads) +
                                " threads";
        ASSERT_EQ(next_move(engine, scaled(5000)), "OK") << why;

        // Random stones of both sides in turn, none making five.
        std::vector<int> cells(size * size, 0);
        std::vector<Point> stones;
        const int count = rng.below(41);
        for (int tries = 0; static_cast<int>(stones.size()) < count && tries < 400; ++tries)
        {
            const int x = rng.below(size), y = rng.below(size);
            const int who = static_cast<int>(stones.size()) % 2 + 1;
            if (cells[y * size + x] != 0 || makes_five(cells, size, x, y, who))
                continue;
            cells[y * size + x] = who;
            stones.push_back({x, y});
        }

        // A move request: the reply must be an empty point, in time; it is put on `cells`
        // for `who`. False when there was none or it made five (the game is over).
        auto ask = [&](const std::string& request, int who) {
            const long long asked = now_ms();
            engine.send(request);
            const std::string move = next_move(engine, scaled(turn + 5000));
            const long long took   = now_ms() - asked;
            slowest                = std::max(slowest, took);
            int x = -1, y = -1;
            EXPECT_TRUE(is_move_on_board(move, size, &x, &y))
                << why << ": '" << move << "' to " << request;
            if (x < 0)
                return false;
            EXPECT_EQ(cells[y * size + x], 0) << why << ": " << move << " is taken";
            EXPECT_LE(took, scaled(turn + MARGIN_MS)) << why << ": " << request;
            const bool five     = makes_five(cells, size, x, y, who);
            cells[y * size + x] = who;
            return !five;
        };

        // Every tenth position is a game from its start instead: BEGIN, or the manager's
        // random moves by TURN, for a few replies.
        if (n % 10 == 3)
        {
            std::fill(cells.begin(), cells.end(), 0);
            const bool begin = n % 20 == 3;
            if (begin && !ask("BEGIN\n", 1))
                continue;
            for (int round = 0; round < 4; ++round)
            {
                const int own = begin ? 1 : 2, theirs = 3 - own;
                int x = rng.below(size), y = rng.below(size);
                while (cells[y * size + x] != 0 || makes_five(cells, size, x, y, theirs))
                    x = rng.below(size), y = rng.below(size);
                cells[y * size + x] = theirs;
                if (!ask("TURN " + point_text({x, y}) + "\n", own))
                    break;
            }
            continue;
        }
        ask(board_block(stones), static_cast<int>(stones.size()) % 2 + 1);
    }
    std::printf("slowest reply %lld ms\n", slowest);
    engine.send("END\n");
    EXPECT_EQ(engine.wait_exit(scaled(3000)), 0);
}

namespace {

// Four stones in the centre, the first player to move. Nothing is forced (the attack search
// finds no threat at all), and the alpha-beta search needs seconds for its deeper iterations.
const std::vector<Point> MIDDLE_GAME = {{7, 7}, {8, 8}, {7, 8}, {8, 7}};

bool empty_point(const std::string& move, int size, const std::vector<Point>& stones) {
    int x = -1, y = -1;
    if (!is_move_on_board(move, size, &x, &y))
        return false;
    for (const Point& p : stones)
        if (p == Point(x, y))
            return false;
    return true;
}

}  // namespace

// A stop half a second into a 20 s turn gets a legal move at once with helpers running, and
// the engine goes on serving; END right after a move ends the process at once.
TEST(Threads, StopAndEndAnswerAtOnce) {
    for (const char* stop : {"YXSTOP\n", "STOP\n"})
    {
        EngineProcess engine;
        engine.send("START 15\nINFO thread_num 2\nINFO timeout_turn 20000\n" +
                    board_block(MIDDLE_GAME));
        ASSERT_EQ(next_move(engine, scaled(5000)), "OK");
        std::string early;
        EXPECT_FALSE(engine.read_reply(&early, 500)) << "answered before the stop: " << early;
        const long long stopped = now_ms();
        engine.send(stop);
        const std::string move = next_move(engine, scaled(3000));
        EXPECT_LT(now_ms() - stopped, scaled(1000)) << stop;
        EXPECT_TRUE(empty_point(move, 15, MIDDLE_GAME)) << stop << ": '" << move << "'";

        // The next decision runs with the helpers again, then END.
        engine.send("INFO timeout_turn 300\n" + board_block(MIDDLE_GAME));
        EXPECT_TRUE(empty_point(next_move(engine, scaled(2000)), 15, MIDDLE_GAME)) << stop;
        const long long ended = now_ms();
        engine.send("END\n");
        EXPECT_EQ(engine.wait_exit(scaled(1000)), 0) << stop;
        EXPECT_LT(now_ms() - ended, scaled(1000)) << stop;
    }
    // YXSTOP and END together while the helpers think: the move, then the exit.
    EngineProcess engine;
    engine.send("INFO thread_num 2\nINFO timeout_turn 20000\n" + board_block(MIDDLE_GAME));
    pause_ms(500);
    const long long sent = now_ms();
    engine.send("YXSTOP\nEND\n");
    EXPECT_TRUE(empty_point(next_move(engine, scaled(3000)), 15, MIDDLE_GAME));
    EXPECT_EQ(engine.wait_exit(scaled(1000)), 0);
    EXPECT_LT(now_ms() - sent, scaled(1000));
}

// Any number is taken as a thread count without a word (clamped); a word that is no number is
// an ERROR. Each time the engine goes on playing legal moves.
TEST(Threads, OddThreadCountsAreTaken) {
    struct Row {
        const char* value;
        bool error;
    };
    const Row rows[]                = {{"0", false},  {"-5", false}, {"999", false},
                                       {"two", true}, {"2", false},  {"1", false}};
    const std::vector<Point> stones = {{7, 7}, {8, 8}, {7, 8}, {6, 9}, {9, 7}};
    EngineProcess engine;
    std::string line;
    engine.send("INFO timeout_turn 200\nABOUT\n");
    while (engine.read_line(&line, scaled(3000)) && line.rfind("name=", 0) != 0)
    {}
    ASSERT_EQ(line.rfind("name=", 0), 0u);
    for (const Row& row : rows)
    {
        engine.send("INFO thread_num " + std::string(row.value) + "\nABOUT\n");
        ASSERT_TRUE(engine.read_line(&line, scaled(3000))) << row.value;
        if (row.error)
        {
            EXPECT_EQ(line, "ERROR") << row.value;
            ASSERT_TRUE(engine.read_line(&line, scaled(3000))) << row.value;
        }
        EXPECT_EQ(line.rfind("name=", 0), 0u) << row.value << ": '" << line << "'";
        engine.send(board_block(stones));
        EXPECT_TRUE(empty_point(next_move(engine, scaled(2000)), 15, stones)) << row.value;
    }
    engine.send("YXSHOWINFO\n");
    std::string most;
    while (engine.read_line(&line, scaled(2000)))
        if (line.rfind("MESSAGE INFO MAX_THREAD_NUM ", 0) == 0)
        {
            most = line.substr(28);
            break;
        }
    EXPECT_GE(std::atoi(most.c_str()), 1) << "'" << most << "'";
    engine.send("END\n");
    EXPECT_EQ(engine.wait_exit(scaled(2000)), 0);
}
