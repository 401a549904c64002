// The engine listens while it thinks: stops, what else comes in meanwhile, and the live lines
// of analysis boards, all through the real binary as a board drives it.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/engine_process.h"

namespace {

using Point = std::pair<int, int>;

// Four stones of a quiet opening, the first player to move: every search runs its full time.
const std::string STONES    = "7,7,1\n8,8,2\n7,8,1\n6,9,2\n";
const std::set<Point> TAKEN = {{7, 7}, {8, 8}, {7, 8}, {6, 9}};

long long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void pause_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int scaled(int ms) { return static_cast<int>(ms * timeout_scale()); }

// Lines up to and including the next move; the move is the last one. Empty when none came.
std::vector<std::string> until_move(EngineProcess& engine, int timeout_ms) {
    std::vector<std::string> lines;
    std::string line;
    while (engine.read_line(&line, timeout_ms))
    {
        lines.push_back(line);
        if (is_move_on_board(line, 15))
            return lines;
    }
    return {};
}

Point parse_point(const std::string& text) {
    Point p{-1, -1};
    char comma = 0;
    std::istringstream(text) >> p.first >> comma >> p.second;
    return p;
}

std::vector<Point> parse_points(const std::string& text) {
    std::vector<Point> points;
    std::istringstream in(text);
    std::string word;
    while (in >> word)
        points.push_back(parse_point(word));
    return points;
}

bool playable(const Point& p) {
    return p.first >= 0 && p.second >= 0 && p.first < 15 && p.second < 15 && !TAKEN.count(p);
}

// Depth of every "MESSAGE Depth d (" line, in order.
std::vector<int> depths(const std::vector<std::string>& lines) {
    std::vector<int> found;
    const std::regex report("^MESSAGE Depth (\\d+) \\(");
    std::smatch m;
    for (const std::string& line : lines)
        if (std::regex_search(line, m, report))
            found.push_back(std::stoi(m[1]));
    return found;
}

}  // namespace

// A stop half a second into a 20 s turn gets the move at once, and the engine goes on serving.
TEST(LiveAnalysis, StopAnswersAtOnce) {
    struct Row {
        const char* why;
        std::string ask, stop;
        bool nbest;
    };
    const Row rows[] = {
        {"BOARD, YXSTOP", "BOARD\n" + STONES + "DONE\n", "YXSTOP\n", false},
        {"TURN, STOP in lower case with CR LF", "YXBOARD\n" + STONES + "DONE\nTURN 9,9\n",
         "stop\r\n", false},
        {"YXNBEST: its list and its move", "YXBOARD\n" + STONES + "DONE\nYXNBEST 3\n", "YXSTOP\n",
         true},
    };
    for (const Row& row : rows)
    {
        EngineProcess engine;
        engine.send("INFO timeout_turn 20000\n" + row.ask);
        pause_ms(500);
        const long long stopped = now_ms();
        engine.send(row.stop);
        const std::vector<std::string> lines = until_move(engine, 3000);
        const long long latency              = now_ms() - stopped;
        ASSERT_FALSE(lines.empty()) << row.why;
        EXPECT_LT(latency, scaled(1000)) << row.why;
        const Point move = parse_point(lines.back());
        EXPECT_TRUE(playable(move) && move != Point(9, 9)) << row.why << ": " << lines.back();
        std::vector<Point> ranked;
        for (const std::string& line : lines)
            if (line.rfind("MESSAGE NBEST ", 0) == 0)
                ranked = parse_points(line.substr(14));
        if (row.nbest)
        {
            ASSERT_EQ(ranked.size(), 3u) << row.why;
            EXPECT_EQ(ranked[0], move) << row.why;
        }
        EXPECT_EQ(depths(lines), std::vector<int>{1})
            << row.why << ": stopped in the first iteration";
        engine.send("ABOUT\nEND\n");
        std::string about;
        EXPECT_TRUE(engine.read_reply(&about, 2000) && about.rfind("name=", 0) == 0) << row.why;
        EXPECT_EQ(engine.wait_exit(2000), 0) << row.why;
    }
}

// A board that quits sends YXSTOP then END: the stopped move, then the exit, at once. END
// alone waits for the full move, as every manager expects.
TEST(LiveAnalysis, EndWaitsForTheMoveUnlessStopped) {
    for (const bool stop : {true, false})
    {
        EngineProcess engine;
        const long long asked = now_ms();
        engine.send("INFO timeout_turn 1500\nBOARD\n" + STONES + "DONE\n");
        pause_ms(200);
        const long long sent = now_ms();
        engine.send(stop ? "YXSTOP\nEND\n" : "END\n");
        const std::vector<std::string> lines = until_move(engine, 5000);
        ASSERT_FALSE(lines.empty()) << stop;
        EXPECT_EQ(engine.wait_exit(1000), 0) << stop;
        const long long done = now_ms();
        if (stop)
            EXPECT_LT(done - sent, scaled(1000)) << "exit after YXSTOP END";
        else
        {
            EXPECT_GE(done - asked, 1000) << "the full turn was thought";
            ASSERT_EQ(depths(lines).size(), 1u);
            EXPECT_GT(depths(lines)[0], 3);
        }
    }
}

// Which decision a stop ends depends on the order of the input, not on its pace: the latest
// move request before the stop, whether it runs or still waits, and never a later one.
TEST(LiveAnalysis, StopsFollowTheInputOrder) {
    const std::string board              = "BOARD\n" + STONES + "DONE\n";
    const std::vector<std::string> parts = {"INFO timeout_turn 1000\nYXSTOP\n", board,
                                            board + "YXSTOP\n", board, "END\n"};
    for (const int pace : {0, 300})
    {
        EngineProcess engine;
        for (const std::string& part : parts)
        {
            engine.send(part);
            pause_ms(pace);
        }
        std::vector<std::string> lines;
        std::string line;
        while (engine.read_line(&line, 5000))
            lines.push_back(line);
        const std::vector<int> found = depths(lines);
        ASSERT_EQ(found.size(), 3u) << "pace " << pace;
        EXPECT_GT(found[0], 3) << "a stop before a request leaves it alone; pace " << pace;
        EXPECT_EQ(found[1], 1) << "the request before the stop is stopped; pace " << pace;
        EXPECT_GT(found[2], 3) << "a stop never reaches a later request; pace " << pace;
    }
}

// A stop on the input's last line, without its line end, still stops.
TEST(LiveAnalysis, StopOnTheLastLineWithoutLineEnd) {
    const EngineRun run =
        run_engine("INFO timeout_turn 5000\nBOARD\n" + STONES + "DONE\nYXSTOP", 5000);
    EXPECT_EQ(depths(run.lines), std::vector<int>{1});
    EXPECT_EQ(run.status, 0);
}

// Everything sent while the engine thinks is served afterwards, in order and whole: commands,
// a flood of them, an overlong line and stray bytes.
TEST(LiveAnalysis, InputWhileThinkingIsServedAfterInOrder) {
    EngineProcess engine;
    engine.send("INFO timeout_turn 1000\nBOARD\n" + STONES + "DONE\n");
    pause_ms(100);
    std::string flood;
    for (int k = 0; k < 5000; ++k)
        flood += "RESTART\n";
    engine.send("ABOUT\nINFO rule 4\n" + std::string(200000, 'A') + "\n\x01\x02\xff\x1a\n" + flood +
                "YXSHOWINFO\nSTART 12\nTURN 99,99\nEND\n");
    std::vector<std::string> replies;
    std::string line;
    while (engine.read_line(&line, 5000))
        if (!line.empty())
            replies.push_back(line);
    EXPECT_EQ(engine.wait_exit(1000), 0);
    std::vector<std::string> expected = {"name=", "MESSAGE gamerule 4 RENJU"};
    expected.insert(expected.end(), 5000, "OK");
    const std::vector<std::string> tail = {"MESSAGE Gravik", "MESSAGE INFO MAX_THREAD_NUM", "OK",
                                           "ERROR"};
    expected.insert(expected.end(), tail.begin(), tail.end());
    // Skip the greeting and the move's own lines.
    size_t first = 0;
    while (first < replies.size() && !is_move_on_board(replies[first], 15))
        ++first;
    ASSERT_LT(first, replies.size()) << "no move";
    ASSERT_EQ(replies.size() - first - 1, expected.size());
    for (size_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(replies[first + 1 + k].rfind(expected[k], 0), 0u)
            << "reply " << k << ": " << replies[first + 1 + k];
}

namespace {

// The checks an analysis board's parser relies on, over one decision's lines.
struct LiveLines {
    std::vector<std::string> errors;
    int realtime = 0, blocks = 0, last_depth = 0;
    std::vector<Point> best;  // every REALTIME BEST, in order
};

LiveLines check_live_lines(const std::vector<std::string>& lines, int pvs_wanted) {
    LiveLines seen;
    const std::regex realtime("^MESSAGE REALTIME (REFRESH|(POS|DONE|BEST|LOST) (\\d+),(\\d+))$");
    const char* block_keys[] = {"NUMPV",      "DEPTH",     "SELDEPTH", "NODES",
                                "TOTALNODES", "TOTALTIME", "SPEED",    "EVAL"};
    Point open{-1, -1};  // the POS without its DONE yet
    size_t k  = 0;
    auto fail = [&](const std::string& why) { seen.errors.push_back(why + ": " + lines[k]); };
    for (; k < lines.size(); ++k)
    {
        const std::string& line = lines[k];
        std::smatch m;
        if (line.rfind("MESSAGE REALTIME", 0) == 0)
        {
            ++seen.realtime;
            if (!std::regex_match(line, m, realtime))
            {
                fail("malformed");
                continue;
            }
            if (m[1] == "REFRESH")
                continue;
            const Point p{std::stoi(m[3]), std::stoi(m[4])};
            if (!playable(p))
                fail("not an empty point");
            if (m[2] == "POS")
            {
                if (open.first >= 0)
                    fail("POS before the DONE of the last");
                open = p;
            }
            else if (m[2] == "DONE")
            {
                if (p != open)
                    fail("DONE of another point than POS");
                open = {-1, -1};
            }
            else if (m[2] == "BEST")
                seen.best.push_back(p);
        }
        else if (line.rfind("INFO PV ", 0) == 0 && line != "INFO PV DONE")
        {
            // A block: PV k, the keys in order, the best line; the last one then PV DONE.
            const int pv = std::stoi(line.substr(8));
            int numpv = 0, depth = 0;
            for (const char* key : block_keys)
            {
                ++k;
                const std::string head = std::string("INFO ") + key + " ";
                if (k >= lines.size() || lines[k].rfind(head, 0) != 0 ||
                    !std::regex_match(lines[k].substr(head.size()), std::regex("-?\\d+")))
                {
                    fail(std::string("block without ") + key);
                    return seen;
                }
                const int number = std::stoi(lines[k].substr(head.size()));
                if (std::string(key) == "NUMPV")
                    numpv = number;
                if (std::string(key) == "DEPTH")
                    depth = number;
            }
            ++k;
            if (k >= lines.size() || lines[k].rfind("INFO BESTLINE ", 0) != 0)
            {
                fail("block without a best line");
                return seen;
            }
            const std::vector<Point> bestline = parse_points(lines[k].substr(14));
            std::set<Point> distinct(bestline.begin(), bestline.end());
            if (bestline.empty() || distinct.size() != bestline.size())
                fail("best line empty or repeating");
            for (const Point& p : bestline)
                if (!playable(p))
                    fail("best line through a stone");
            if (numpv < 1 || numpv > pvs_wanted || pv >= numpv)
                fail("PV numbering");
            if (depth < seen.last_depth || (pv == 0 && depth <= seen.last_depth && seen.blocks > 0))
                fail("depths must grow from iteration to iteration");
            seen.last_depth = depth;
            ++seen.blocks;
            // The iteration's closing BEST, right before its blocks, leads the first (once
            // the realtime lines have begun: the first 50 ms are quiet).
            if (pv == 0 && !bestline.empty() && !seen.best.empty() &&
                seen.best.back() != bestline[0])
                fail("the block's line does not start at the last BEST");
            if (pv == numpv - 1 && (k + 1 >= lines.size() || lines[k + 1] != "INFO PV DONE"))
                fail("last block not closed by PV DONE");
        }
    }
    return seen;
}

}  // namespace

// show_detail 3 on a think of its own: realtime lines name empty points, POS and DONE pair up,
// the blocks are whole, deepen, and the last one ends at the Depth the decision reports. The
// decision's ranking holds every BEST; under YXNBEST the blocks rank at most its count.
TEST(LiveAnalysis, LiveLinesAreWellFormed) {
    for (const int wanted : {1, 3})
    {
        const std::string ask = wanted == 1 ? "BOARD\n" + STONES + "DONE\n"
                                            : "YXBOARD\n" + STONES + "DONE\nYXNBEST 80\n";
        const EngineRun run =
            run_engine("INFO show_detail 3\nINFO timeout_turn 1500\n" + ask, 10000);
        const LiveLines seen = check_live_lines(run.lines, wanted == 1 ? 1 : 80);
        for (const std::string& error : seen.errors)
            ADD_FAILURE() << "YXNBEST " << (wanted == 3) << ": " << error;
        EXPECT_GT(seen.realtime, 20);
        EXPECT_LT(seen.realtime, 800) << "rationed";
        EXPECT_GE(seen.blocks, 4);
        ASSERT_FALSE(seen.best.empty());
        const std::vector<int> found = depths(run.lines);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(seen.last_depth, found[0]);
        if (wanted == 3)
        {
            std::vector<Point> ranked;
            for (const std::string& line : run.lines)
                if (line.rfind("MESSAGE NBEST ", 0) == 0)
                    ranked = parse_points(line.substr(14));
            const std::set<Point> candidates(ranked.begin(), ranked.end());
            for (const Point& p : seen.best)
                EXPECT_TRUE(candidates.count(p)) << p.first << "," << p.second;
        }
    }
}

// show_detail 0, and any value outside 0..3, adds nothing: the same kinds of lines as before.
TEST(LiveAnalysis, NoDetailPrintsNothingMore) {
    for (const char* value : {"0", "4", "-1", "3\nINFO show_detail 0"})
    {
        const EngineRun run =
            run_engine("INFO timeout_turn 300\nINFO show_detail " + std::string(value) +
                           "\nBOARD\n" + STONES + "DONE\nYXNBEST 2\n",
                       5000);
        std::vector<std::string> kinds;
        for (size_t k = 4; k < run.lines.size(); ++k)
        {
            const std::string& line = run.lines[k];
            if (line.empty())
                continue;
            kinds.push_back(is_move_on_board(line, 15) ? "move" : line.substr(0, 13));
        }
        EXPECT_EQ(kinds, std::vector<std::string>(
                             {"MESSAGE Depth", "move", "MESSAGE Depth", "MESSAGE NBEST", "move"}))
            << value;
    }
}
