// The real engine driven over stdin/stdout the way a tournament manager drives it.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "game/Main.h"
#include "protocol/gomocup_main.h"
#include "tests/support/engine_process.h"

namespace {

const std::string ABOUT =
    "name=\"Gravik\", version=\"" GRAVIK_VERSION_SHORT "\", author=\"Orsolan\", "
    "country=\"Unknown\", email=\"gravik@example.org\"";

// The replies after the greeting joined by '|': empty lines and search reports are left out,
// the about line reads ABOUT, a move on the board "move" where `expect` says so, and a time
// in milliseconds "# ms".
std::string replies(const EngineRun& run, const std::string& expect, int size) {
    std::istringstream want(expect);
    std::string out, token;
    for (size_t k = 4; k < run.lines.size(); ++k)
    {
        const std::string& line = run.lines[k];
        if (line.empty() || std::regex_search(line, std::regex("^MESSAGE (Depth|Certainly)")))
            continue;
        token.clear();
        std::getline(want, token, '|');
        if (!(token == "ABOUT" ? line == ABOUT : token == "move" && is_move_on_board(line, size)))
            token = std::regex_replace(line, std::regex("[0-9]+ ms"), "# ms");
        out += (out.empty() ? "" : "|") + token;
    }
    return out;
}

// clang-format off
// The first player (first line) has a four on column 5 closed at 5,4 and completes it at 5,9;
// the second player a four on row 10 closed at 9,10, completed at 14,10. First player to move.
#define FOURS "5,5,1\n5,4,2\n5,6,1\n10,10,2\n5,7,1\n11,10,2\n5,8,1\n12,10,2\n9,10,1\n13,10,2\n"
// Only the second player's four of FOURS; the first player to move must block it at 14,10.
#define BLOCK "9,10,1\n10,10,2\n0,0,1\n11,10,2\n0,14,1\n12,10,2\n14,0,1\n13,10,2\n"
// Each side completes its five, then the first player blocks; caro gives no block credit, so
// there the block is only checked for being a legal move.
#define RULE(r) "INFO rule " r "\nBOARD\n" FOURS "DONE\nBOARD\n" FOURS "0,14,1\nDONE\n" \
                "BOARD\n" BLOCK "DONE\n"
#define SOME "BOARD\n7,7,1\n8,8,2\n7,8,1\n6,9,2\nDONE\n"
// clang-format on

}  // namespace

TEST(Protocol, ScriptsGetTheirReplies) {
    std::string overflow, full;  // one stone more than the move list holds; a full 10x10 board
    for (int k = 0; k < 4000; ++k)
        overflow += "0,0,1\n";
    for (int k = 0; k < 100; ++k)
        full += std::to_string(k / 10) + "," + std::to_string(k % 10) + ",1\n";
    struct Row {
        const char* why;
        std::string script, expect;
        int size = 15;
    };
    // clang-format off
    const Row rows[] = {
        {"START sizes 10..25; a refused one keeps the board; a missing number leaves the next word",
         "START 10\nSTART 26\nTURN 10,0\nTURN 9,9\nSTART 25\nstart 15\nSTART 9\nSTART -15\n"
         "START 2147483647\nSTART 99999999999\nSTART\nABOUT\nRESTART\n",
         "OK|ERROR|ERROR|move|OK|OK|ERROR|ERROR|ERROR|ERROR|ERROR|ABOUT|OK", 10},
        {"RECTSTART: equal sides in 10..25", "RECTSTART 26,26\nTURN 15,0\nTURN 14,14\n"
         "RECTSTART 9,9\nRECTSTART 20,15\nRECTSTART 20,x\nABOUT\nRECTSTART 10,10\nRECTSTART 25,25\n"
         "TURN 24,0\n",
         "ERROR|ERROR|move|ERROR|ERROR width should be same as height|ERROR|ABOUT|OK|OK|move", 25},
        {"TURN: edges and non-numbers", "START 15\nTURN 15,0\nTURN 0,15\nTURN 5,-1\nTURN 0,16\nTURN 14,0\n"
         "TURN 0,14\nturn 7,7\nTURN 7 , 7\nTURN 0,-2147483648\nTURN 99999999999,1\nTURN 7,abc\n"
         "ABOUT\n", "OK|ERROR|ERROR|ERROR|ERROR|move|move|move|move|ERROR|ERROR|ERROR|ABOUT"},
        // FOURS with every colour number 2: the colours follow from the order of the lines.
        {"BOARD ignores the colour; a refused TURN changes nothing", "BOARD\n5,5,2\n5,4,2\n5,6,2\n"
         "10,10,2\n5,7,2\n11,10,2\n5,8,2\n12,10,2\n9,10,2\n13,10,2\nDONE\nTAKEBACK\nTURN 15,0\n"
         "TURN -1,5\nTURN abc\nTURN 3,x\nTURN 2147483647,2147483647\nBEGIN\n",
         "5,9|OK|ERROR|ERROR|ERROR|ERROR|ERROR|5,9"},
        {"rule 0", RULE("0"), "MESSAGE gamerule 0 FREESTYLE|5,9|14,10|14,10"},
        {"rule 1", RULE("1"), "MESSAGE gamerule 1 FIVE_ONLY|5,9|14,10|14,10"},
        {"rule 4", RULE("4"), "MESSAGE gamerule 4 RENJU|5,9|14,10|14,10"},
        {"rule 8", RULE("8"), "MESSAGE gamerule 8 F-CARO|5,9|14,10|move"},
        {"rule 9", RULE("9"), "MESSAGE gamerule 9 S-CARO|5,9|14,10|move"},
        {"BOARD: bad lines, empty, lower case", "BOARD\n15,0,1\n7,7,1\n-1,5,2\nabc\n7,15,2\nDONE\n"
         "BOARD\nDONE\nboard\n7,7,1\ndone\n", "ERROR|ERROR|ERROR|ERROR|move|move|move"},
        {"CR LF", "START 15\r\nTURN 7,7\r\nBOARD\r\n7,7,1\r\nDONE\r\nABOUT\r\n",
         "OK|move|move|ABOUT"},
        {"TAKEBACK on an empty board", "TAKEBACK\nTAKEBACK 1,1\nBEGIN\n", "OK|OK|move"},
        // Without the second player's last stone its four is gone: the engine blocks instead.
        {"TAKEBACK removes one stone", "BOARD\n" FOURS "DONE\nTAKEBACK\nTAKEBACK\nBEGIN\n",
         "5,9|OK|OK|5,9"},
        {"INFO: rule names, keys, non-numbers, unknown words", "info Rule 5\nINFO rule 2147483647\n"
         "INFO timeout_match 2147483647\nINFO time_left 0\nINFO max_memory 83886080\n"
         "INFO game_type 1\nINFO folder /tmp/x\nINFO evaluate 1,1\nINFO rule x\n"
         "INFO timeout_turn abc\nPLAY\nhello\n42\nDONE\nABOUT\n",
         "MESSAGE gamerule 5 FREESTYLE|MESSAGE gamerule 2147483647 FREESTYLE|ERROR|ERROR|ABOUT"},
        // The time left cuts the turn to a twentieth of it; an int-sized pair must not overflow.
        {"int-sized times", "INFO timeout_turn 2147483647\nINFO time_left 3000\n" SOME
         "INFO timeout_turn 1000\nINFO time_left 2147483647\n" SOME, "move|move"},
        {"full board", "START 10\nBOARD\n" + full + "DONE\n", "OK|-1,-1", 10},
        // One point left: the engine takes it; taken back, it is free again.
        {"TAKEBACK frees the point", "START 10\nBOARD\n" + full.substr(6) + "DONE\nTAKEBACK\nBEGIN\n",
         "OK|0,0|OK|0,0", 10},
        {"CHECKTIME; nothing after END", "CHECKTIME\nEND\nABOUT\n",
         "MESSAGE check time now...|MESSAGE check time # ms per second"},
        {"console time prompt", "KOR2\nabc\nABOUT\n", "key in time limit for AI(ms)|ERROR|ABOUT"},
        // BOARD keeps a slot for the reply, TURN needs two, BEGIN one.
        {"move list overflow", "BOARD\n" + overflow + "DONE\nTURN 5,5\nBEGIN\nTAKEBACK\nTURN 5,5\n"
         "TAKEBACK\nTURN 5,5\n", "ERROR|ERROR|move|ERROR|ERROR|OK|ERROR|OK|move"},
        // End of input in the middle of a command ends the process all the same.
        {"EOF: START", "START", ""}, {"EOF: TURN", "TURN 7,", ""}, {"EOF: INFO", "INFO rule", ""},
        {"EOF: BOARD", "BOARD\n7,7,1\n", ""}, {"EOF: INFO folder", "INFO folder", ""},
        {"EOF: console", "KOR1\n", "key in time limit for AI(ms)"},
    };
    // clang-format on
    for (const Row& row : rows)
    {
        // Turns of 100 ms leave the slowest script far inside the limit.
        const EngineRun run = run_engine("INFO timeout_turn 100\n" + row.script, 8000);
        EXPECT_EQ(replies(run, row.expect, row.size), row.expect) << row.why;
        EXPECT_EQ(run.status, 0) << row.why;
    }
}

namespace {

// clang-format off
// Black (first line) has two open twos crossing at 7,7: a double three there is forbidden to
// black under renju. Eight stones, black to move.
#define DOUBLE_THREE "5,7,1\n0,0,2\n6,7,1\n0,2,2\n7,5,1\n0,4,2\n7,6,1\n0,9,2\n"
// clang-format on

// Moves and ranked candidates of "MESSAGE NBEST x,y ..." as 0-based points.
std::vector<std::pair<int, int>> nbest_points(const std::string& line) {
    std::vector<std::pair<int, int>> points;
    std::istringstream in(line.substr(std::string("MESSAGE NBEST").size()));
    int x = 0, y = 0;
    char comma = 0;
    while (in >> x >> comma >> y)
        points.push_back({x, y});
    return points;
}

// Every line of a run that starts with `prefix`.
std::vector<std::string> lines_starting(const EngineRun& run, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : run.lines)
        if (line.compare(0, prefix.size(), prefix) == 0)
            found.push_back(line);
    return found;
}

}  // namespace

TEST(Protocol, AnalysisBoardCommands) {
    const unsigned cores       = std::thread::hardware_concurrency();
    const std::string hardware = std::to_string(cores == 0 ? 1 : cores);
    struct Row {
        const char* why;
        std::string script, expect;
    };
    // clang-format off
    const Row rows[] = {
        {"YXBOARD refuses off-board, occupied and malformed lines and does not move",
         "INFO rule 4\nYXBOARD\n5,7,1\n15,0,2\n0,0,2\n5,7,2\n6,7,1\nabc\n0,2,2\n7,5,1\n0,4,2\n"
         "7,6,1\n-1,3,2\n7,6\n0,9,2\ndone\nYXSHOWFORBID\n",
         "MESSAGE gamerule 4 RENJU|ERROR|ERROR|ERROR|ERROR|ERROR|FORBID 0707."},
        {"YXSHOWFORBID: white to move, empty board, no slot taken by a query",
         "INFO rule 4\nYXBOARD\n" DOUBLE_THREE "DONE\nTAKEBACK\nYXSHOWFORBID\nYXBOARD\nDONE\n"
         "YXSHOWFORBID\nyxboard\r\n" DOUBLE_THREE "DONE\r\nyxshowforbid\r\n",
         "MESSAGE gamerule 4 RENJU|OK|FORBID .|FORBID .|FORBID 0707."},
        {"YXSHOWFORBID only under renju; the continuous-game bit is cleared",
         "YXBOARD\n" DOUBLE_THREE "DONE\nINFO rule 0\nYXSHOWFORBID\nINFO rule 1\nYXSHOWFORBID\n"
         "INFO rule 8\nYXSHOWFORBID\nINFO rule 9\nYXSHOWFORBID\nINFO rule 6\nYXSHOWFORBID\n"
         "INFO rule 5\nYXSHOWFORBID\n",
         "MESSAGE gamerule 0 FREESTYLE|FORBID .|MESSAGE gamerule 1 FIVE_ONLY|FORBID .|"
         "MESSAGE gamerule 8 F-CARO|FORBID .|MESSAGE gamerule 9 S-CARO|FORBID .|"
         "MESSAGE gamerule 6 RENJU|FORBID 0707.|MESSAGE gamerule 5 FREESTYLE|FORBID ."},
        {"rule values with the continuous-game bit", "INFO rule 2\nINFO rule 3\nINFO rule 7\n"
         "INFO rule 10\nINFO rule 11\nINFO rule -1\n",
         "MESSAGE gamerule 2 FREESTYLE|MESSAGE gamerule 3 FIVE_ONLY|MESSAGE gamerule 7 FREESTYLE|"
         "MESSAGE gamerule 10 F-CARO|MESSAGE gamerule 11 S-CARO|MESSAGE gamerule -1 FREESTYLE"},
        {"YXNBEST without a count, 0, negative, a word or too large a number",
         "YXNBEST\nYXNBEST 0\nYXNBEST -3\nYXNBEST x\nYXNBEST 99999999999\nABOUT\n",
         "ERROR|ERROR|ERROR|ERROR|ERROR|ABOUT"},
        {"YXHASHCLEAR and YXSHOWINFO: the most threads are the machine's",
         "YXHASHCLEAR\nYXSHOWINFO\nyxshowinfo\n",
         "MESSAGE Gravik " GRAVIK_VERSION "|MESSAGE INFO MAX_THREAD_NUM " + hardware +
         "|MESSAGE Gravik " GRAVIK_VERSION "|MESSAGE INFO MAX_THREAD_NUM " + hardware},
        {"the boards' INFO keys and stop words are taken silently",
         "INFO thread_num 2\nINFO hash_size 100\nINFO show_detail 1\nINFO pondering 0\n"
         "INFO caution_factor 4\nINFO strength 100\nINFO time_increment 0\nINFO max_depth 0\n"
         "INFO max_node 0\nYXSTOP\nSTOP\nINFO thread_num x\nINFO max_node y\nABOUT\n",
         "ERROR|ERROR|ABOUT"},
        {"INFO level: any number is taken silently, a missing one is an error",
         "INFO level 0\nINFO level 7\nINFO level -2147483648\nINFO LEVEL 3\nINFO level 2.5\n"
         "INFO level\nABOUT\n", "ERROR|ABOUT"},
        {"end of input inside YXBOARD", "YXBOARD\n7,7,1\n", ""},
    };
    // clang-format on
    for (const Row& row : rows)
    {
        const EngineRun run = run_engine("INFO timeout_turn 100\n" + row.script, 8000);
        EXPECT_EQ(replies(run, row.expect, 15), row.expect) << row.why;
        EXPECT_EQ(run.status, 0) << row.why;
    }
}

// YXNBEST answers for the side to move without playing: its first candidate is its move, the
// list is the decision's ranking (a prefix of a longer one from the same cold start), every
// point is empty, and the position stays for the next question.
TEST(Protocol, NbestRanksTheDecisionWithoutPlayingIt) {
    const std::string position = "YXBOARD\n7,7,1\n8,8,2\n7,8,1\n6,9,2\nDONE\n";
    const EngineRun run = run_engine("INFO timeout_turn 30000\nINFO max_node 20000\n" + position +
                                         "YXHASHCLEAR\nYXNBEST 3\nYXHASHCLEAR\nYXNBEST 2147483647\n"
                                         "YXHASHCLEAR\nBEGIN\n",
                                     20000);
    const std::vector<std::string> nbest = lines_starting(run, "MESSAGE NBEST");
    ASSERT_EQ(nbest.size(), 2u);
    const auto three = nbest_points(nbest[0]), all = nbest_points(nbest[1]);
    ASSERT_EQ(three.size(), 3u);
    ASSERT_GT(all.size(), 3u);
    EXPECT_TRUE(std::equal(three.begin(), three.end(), all.begin()));
    const std::set<std::pair<int, int>> stones = {{7, 7}, {8, 8}, {7, 8}, {6, 9}};
    std::set<std::pair<int, int>> seen;
    for (const auto& p : all)
    {
        EXPECT_EQ(stones.count(p), 0u) << p.first << "," << p.second;
        EXPECT_TRUE(seen.insert(p).second) << "ranked twice: " << p.first << "," << p.second;
    }
    // The replies after the NBEST lines: each query's move, then BEGIN's on the same position.
    std::vector<std::string> moves;
    for (const std::string& line : run.lines)
        if (is_move_on_board(line, 15))
            moves.push_back(line);
    const std::string first =
        std::to_string(three[0].first) + "," + std::to_string(three[0].second);
    EXPECT_EQ(moves, std::vector<std::string>({first, first, first}));
}

// The Depth line of each decision under max_depth and max_node, on a quiet position.
TEST(Protocol, DepthAndNodeLimitsAreHonoured) {
    const std::string position = "YXBOARD\n7,7,1\n8,8,2\n7,8,1\n6,9,2\nDONE\n";
    const EngineRun run        = run_engine("INFO timeout_turn 30000\n" + position +
                                                "INFO max_node 300000\nINFO max_depth 2\nYXNBEST 1\n"
                                                       "INFO max_depth 0\nYXNBEST 1\nINFO max_node 5000\n"
                                                       "YXNBEST 1\n",
                                            30000);
    const std::regex report("^MESSAGE Depth (\\d+) .*Node (\\d+) ");
    std::vector<std::pair<int, int>> depth_nodes;
    for (const std::string& line : lines_starting(run, "MESSAGE Depth"))
    {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(line, m, report)) << line;
        depth_nodes.push_back({std::stoi(m[1]), std::stoi(m[2])});
    }
    ASSERT_EQ(depth_nodes.size(), 3u);
    EXPECT_EQ(depth_nodes[0].first, 2);
    EXPECT_GT(depth_nodes[1].first, 2) << "max_depth 0 lifts the limit";
    EXPECT_LE(depth_nodes[1].second, 300000 + 2000);
    EXPECT_GT(depth_nodes[1].second, 300000 - 2000) << "the budget, not the depth, ended it";
    EXPECT_LE(depth_nodes[2].second, 5000 + 2000);
    EXPECT_GE(depth_nodes[2].first, 1) << "the first iteration always completes";
}

// The core as the browser drives it: batches of lines through a sink, one session across them.
TEST(ProtocolCore, BatchesShareOneSession) {
    static std::string heard;
    say_sink   = [](const char* text) { heard += text; };
    auto serve = [](const std::string& lines, bool* ended) {
        heard.clear();
        std::istringstream in(lines);
        *ended = gomocup_serve(in);
        return heard;
    };
    bool ended = false;
    gomocup_start();
    EXPECT_EQ(heard.substr(0, 34), "MESSAGE Gravik gomoku engine ver.2");
    EXPECT_EQ(serve("START 10\ninfo RULE 4\nYXBOARD\n5,7,1\n0,0,2\n6,7,1\n0,2,2\n7,5,1\n0,4,2\n"
                    "7,6,1\n0,9,2\nDONE\n",
                    &ended),
              "OK\nMESSAGE gamerule 4 RENJU\n");
    EXPECT_FALSE(ended);
    EXPECT_EQ(serve("YXSHOWFORBID\n", &ended), "FORBID 0707.\n") << "the position outlives a batch";
    // A command cut off by the end of a batch is dropped whole, with no reply.
    EXPECT_EQ(serve("TURN 3,", &ended), "");
    EXPECT_EQ(i, 9);
    EXPECT_EQ(serve("YXBOARD\n1,1,1\n", &ended), "");
    // No console game in process: its words are ignored, prompt and all.
    EXPECT_EQ(serve("KOR1\n500\nEND\nABOUT\n", &ended), "");
    EXPECT_TRUE(ended);
    say_sink = nullptr;
}
