// The real engine driven over stdin/stdout the way a tournament manager drives it.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <string>
#include <vector>

#include "tests/support/engine_process.h"

namespace {

const std::vector<std::string> GREETING = {
    "MESSAGE Gravik gomoku engine ver.2",
    "MESSAGE a simple ai created by KOR57",
    "MESSAGE freestyle/renju/exactly-five/freestyle-caro/standard-coro rules are supported now.",
    "DEBUG Default timeout_turn - 2s",
};

const std::string ABOUT_LINE = "name=\"Gravik\", version=\"2.0\", author=\"Orsolan\", "
                               "country=\"Unknown\", email=\"gravik@example.org\"";

// Every reply line of a run: empty, MESSAGE and DEBUG lines left out.
std::vector<std::string> replies(const EngineRun& run) {
    std::vector<std::string> out;
    for (const std::string& line : run.lines)
        if (!line.empty() && line.rfind("MESSAGE", 0) != 0 && line.rfind("DEBUG", 0) != 0)
            out.push_back(line);
    return out;
}

// Replies of a script run with short thinking time. Unless the moves are kept, a move reply is
// checked for being on the board and replaced by "move" so the rest compares exactly.
std::vector<std::string> session_lines(const std::string& script, int size, bool keep_moves) {
    const EngineRun run = run_engine("INFO timeout_turn 100\n" + script);
    EXPECT_EQ(run.status, 0) << script;
    std::vector<std::string> out;
    for (const std::string& line : replies(run))
        out.push_back(!keep_moves && is_move_on_board(line, size) ? "move" : line);
    return out;
}

std::vector<std::string> session(const std::string& script, int size = 15) {
    return session_lines(script, size, false);
}

// The same with the moves kept as they are, where the point table decides them.
std::vector<std::string> exact(const std::string& script) {
    return session_lines(script, 15, true);
}

using Lines = std::vector<std::string>;

// A position as BOARD lines: the first player has a four on column 5 closed at (5,4); the
// second player a four on row 10 closed at (9,10). Ten lines: the first player is to move.
const char* TWO_FOURS =
    "5,5,1\n5,4,2\n5,6,1\n10,10,2\n5,7,1\n11,10,2\n5,8,1\n12,10,2\n9,10,1\n13,10,2\n";

long long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

TEST(Protocol, GreetsAndEndsWithStatusZero) {
    const EngineRun run = run_engine("END\nABOUT\n");
    EXPECT_EQ(run.lines, GREETING);
    EXPECT_EQ(run.status, 0);
}

TEST(Protocol, EndOfInputEndsWithStatusZero) {
    const char* scripts[] = {"",          "START 15\n",  "START", "TURN 7,", "BOARD\n7,7,1\n",
                             "INFO rule", "INFO folder", "KOR1\n"};
    for (const char* script : scripts)
    {
        const EngineRun run = run_engine(script, 5000);
        EXPECT_EQ(run.status, 0) << script;
    }
}

TEST(Protocol, StartAcceptsSizesTenToTwentyFive) {
    struct Case {
        const char* script;
        Lines expect;
    };
    // clang-format off
    const Case cases[] = {
        {"START 10\n", {"OK"}},
        {"START 25\n", {"OK"}},
        {"start 15\n", {"OK"}},
        {"START 9\n", {"ERROR"}},
        {"START 26\n", {"ERROR"}},
        {"START -15\n", {"ERROR"}},
        {"START 2147483647\n", {"ERROR"}},
        {"START 99999999999\n", {"ERROR"}},
        {"START x\nABOUT\n", {"ERROR", ABOUT_LINE}},
        {"START\nABOUT\n", {"ERROR", ABOUT_LINE}},
        // A refused size leaves the board as it was: 9,9 fits a 10 board, 10,0 does not.
        {"START 10\nSTART 26\nTURN 10,0\nTURN 9,9\n", {"OK", "ERROR", "ERROR", "move"}},
        {"RESTART\n", {"OK"}},
    };
    // clang-format on
    for (const Case& tc : cases)
        EXPECT_EQ(session(tc.script, 10), tc.expect) << tc.script;
}

TEST(Protocol, RectstartNeedsEqualSidesInRange) {
    struct Case {
        const char* script;
        Lines expect;
        int size;
    };
    // clang-format off
    const Case cases[] = {
        {"RECTSTART 20,20\nTURN 19,19\n", {"OK", "move"}, 20},
        {"RECTSTART 20,15\n", {"ERROR width should be same as height"}, 15},
        {"RECTSTART 30,30\nTURN 15,0\nTURN 14,14\n", {"ERROR", "ERROR", "move"}, 15},
        {"RECTSTART 9,9\n", {"ERROR"}, 15},
        {"RECTSTART 25,25\nTURN 24,0\n", {"OK", "move"}, 25},
        {"RECTSTART 20,x\nABOUT\n", {"ERROR", ABOUT_LINE}, 15},
        // The game is reset even when the sizes are refused.
        {"START 15\nTURN 7,7\nRECTSTART 20,15\nBEGIN\n", {"OK", "move", "ERROR width should be same as height", "move"}, 15},
    };
    // clang-format on
    for (const Case& tc : cases)
        EXPECT_EQ(session(tc.script, tc.size), tc.expect) << tc.script;
}

TEST(Protocol, TurnRefusesPointsOffTheBoardAndNonNumbers) {
    struct Case {
        const char* turn;
        const char* reply;
    };
    // clang-format off
    const Case cases[] = {
        {"TURN 15,0", "ERROR"},         {"TURN 0,15", "ERROR"},        {"TURN -1,5", "ERROR"},
        {"TURN 5,-1", "ERROR"},         {"TURN 14,0", "move"},         {"TURN 0,14", "move"},
        {"turn 7,7", "move"},           {"TURN 7 , 7", "move"},        {"TURN abc", "ERROR"},
        {"TURN 7,abc", "ERROR"},        {"TURN 2147483647,0", "ERROR"}, {"TURN 0,-2147483648", "ERROR"},
        {"TURN 99999999999,1", "ERROR"},
    };
    // clang-format on
    for (const Case& tc : cases)
        EXPECT_EQ(session(std::string("START 15\n") + tc.turn + "\nABOUT\n"),
                  (Lines{"OK", tc.reply, ABOUT_LINE}))
            << tc.turn;
}

// The side to move decides the reply: the first player completes its five at 5,9, the second
// player at 14,10. A refused TURN must leave the list exactly as it was.
TEST(Protocol, RefusedTurnChangesNothing) {
    const std::string script = std::string("START 15\nBOARD\n") + TWO_FOURS +
                               "DONE\nTAKEBACK\nTURN 15,0\nTURN -1,5\nTURN abc\nTURN 3,x\n"
                               "TURN 2147483647,2147483647\nBEGIN\n";
    EXPECT_EQ(exact(script),
              (Lines{"OK", "5,9", "OK", "ERROR", "ERROR", "ERROR", "ERROR", "ERROR", "5,9"}));
}

TEST(Protocol, EngineCompletesItsFiveUnderEveryRule) {
    for (int rule : {0, 1, 4, 8, 9})
    {
        const std::string rule_line = "INFO rule " + std::to_string(rule) + "\n";
        EXPECT_EQ(exact(rule_line + "START 15\nBOARD\n" + TWO_FOURS + "DONE\n"),
                  (Lines{"OK", "5,9"}))
            << "first player, rule " << rule;
        // One more first-player stone far away: now the second player is to move.
        EXPECT_EQ(exact(rule_line + "START 15\nBOARD\n" + TWO_FOURS + "0,14,1\nDONE\n"),
                  (Lines{"OK", "14,10"}))
            << "second player, rule " << rule;
    }
}

TEST(Protocol, EngineBlocksTheOpponentsFourWhereTheTableSaysSo) {
    // Second player's four on row 10 closed at 9,10; the first player to move has nothing.
    const char* board = "9,10,1\n10,10,2\n0,0,1\n11,10,2\n0,14,1\n12,10,2\n14,0,1\n13,10,2\n";
    for (int rule : {0, 1, 4})
        EXPECT_EQ(
            exact("INFO rule " + std::to_string(rule) + "\nSTART 15\nBOARD\n" + board + "DONE\n"),
            (Lines{"OK", "14,10"}))
            << "rule " << rule;
    // The caro rules give no block credit: the searches decide, the move is only legal.
    for (int rule : {8, 9})
        EXPECT_EQ(
            session("INFO rule " + std::to_string(rule) + "\nSTART 15\nBOARD\n" + board + "DONE\n"),
            (Lines{"OK", "move"}))
            << "rule " << rule;
}

TEST(Protocol, BoardRefusesBadLinesAndIgnoresTheColourNumber) {
    const std::string alternating = std::string("START 15\nBOARD\n") + TWO_FOURS + "DONE\n";
    std::string all_two           = alternating;
    for (size_t k = all_two.find(",1\n"); k != std::string::npos; k = all_two.find(",1\n", k))
        all_two.replace(k, 3, ",2\n");
    EXPECT_EQ(exact(all_two), (Lines{"OK", "5,9"}));
    EXPECT_EQ(session("START 15\nBOARD\n15,0,1\n7,7,1\n-1,5,2\nabc\n7,15,2\nDONE\n"),
              (Lines{"OK", "ERROR", "ERROR", "ERROR", "ERROR", "move"}));
    EXPECT_EQ(session("START 15\nboard\n7,7,1\ndone\n"), (Lines{"OK", "move"}));
    EXPECT_EQ(session("START 15\nBOARD\nDONE\n"), (Lines{"OK", "move"}));
}

TEST(Protocol, CrLfLineEndsAreAccepted) {
    EXPECT_EQ(session("START 15\r\nTURN 7,7\r\nBOARD\r\n7,7,1\r\nDONE\r\nABOUT\r\n"),
              (Lines{"OK", "move", "move", ABOUT_LINE}));
}

TEST(Protocol, TakebackRemovesOnlyTheLastStone) {
    EXPECT_EQ(session("START 15\nTAKEBACK\nTAKEBACK 1,1\nBEGIN\n"),
              (Lines{"OK", "OK", "OK", "move"}));
    // Taking back the engine's five and then the second player's last stone breaks the second
    // player's four and leaves it to move: it blocks the first player's four instead.
    EXPECT_EQ(
        exact(std::string("START 15\nBOARD\n") + TWO_FOURS + "DONE\nTAKEBACK\nTAKEBACK\nBEGIN\n"),
        (Lines{"OK", "5,9", "OK", "OK", "5,9"}));
}

TEST(Protocol, InfoSetsValuesAndPrintsTheRule) {
    struct Case {
        const char* script;
        Lines expect;  // every non-empty line after the greeting
    };
    // clang-format off
    const Case cases[] = {
        {"INFO rule 4\n", {"MESSAGE gamerule 4 RENJU"}},
        {"INFO RULE 1\n", {"MESSAGE gamerule 1 FIVE_ONLY"}},
        {"info Rule 8\n", {"MESSAGE gamerule 8 F-CARO"}},
        {"INFO rule 9\n", {"MESSAGE gamerule 9 S-CARO"}},
        {"INFO rule 0\n", {"MESSAGE gamerule 0 FREESTYLE"}},
        {"INFO rule 5\n", {"MESSAGE gamerule 5 FREESTYLE"}},
        {"INFO rule 2147483647\n", {"MESSAGE gamerule 2147483647 FREESTYLE"}},
        {"INFO rule x\nABOUT\n", {"ERROR", ABOUT_LINE}},
        {"INFO timeout_turn 50\nINFO timeout_match 2147483647\nINFO time_left 0\n"
         "INFO max_memory 83886080\nINFO game_type 1\nINFO folder /tmp/x\nINFO evaluate 1,1\n"
         "ABOUT\n",
         {ABOUT_LINE}},
        {"INFO timeout_turn abc\nABOUT\n", {"ERROR", ABOUT_LINE}},
        {"PLAY\nhello\n42\nDONE\nABOUT\n", {ABOUT_LINE}},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        const EngineRun run = run_engine(tc.script);
        Lines got;
        for (size_t k = GREETING.size(); k < run.lines.size(); ++k)
            if (!run.lines[k].empty())
                got.push_back(run.lines[k]);
        EXPECT_EQ(got, tc.expect) << tc.script;
        EXPECT_EQ(run.status, 0);
    }
}

TEST(Protocol, AboutAndChecktime) {
    const EngineRun run = run_engine("ABOUT\nCHECKTIME\nEND\n");
    ASSERT_EQ(run.lines.size(), GREETING.size() + 4);
    EXPECT_EQ(run.lines[4], ABOUT_LINE);
    EXPECT_EQ(run.lines[5], "");
    EXPECT_EQ(run.lines[6], "MESSAGE check time now...");
    int ms = -1;
    EXPECT_EQ(std::sscanf(run.lines[7].c_str(), "MESSAGE check time %d ms per second", &ms), 1);
    EXPECT_GE(ms, 0);
}

TEST(Protocol, ConsoleCommandsPromptForTheTime) {
    const EngineRun run = run_engine("KOR2\nabc\nABOUT\n");
    ASSERT_GE(run.lines.size(), GREETING.size() + 4);
    EXPECT_EQ(run.lines[4], "");
    EXPECT_EQ(run.lines[5], "key in time limit for AI(ms)");
    EXPECT_EQ(run.lines[6], "ERROR");
    EXPECT_EQ(run.lines[7], ABOUT_LINE);
    EXPECT_EQ(run.status, 0);
}

// On the book path no search runs: the line before the move reports nothing searched.
TEST(Protocol, FirstMoveReportsTheBookPathLine) {
    const EngineRun run = run_engine("START 15\nBEGIN\n");
    ASSERT_EQ(run.lines.size(), GREETING.size() + 4);
    EXPECT_EQ(run.lines[4], "OK");
    EXPECT_EQ(run.lines[5], "");
    EXPECT_EQ(run.lines[6], "MESSAGE Depth 0 (0-0-0)  Eval 0  Node 0 (0+0+0)");
    int x = -1, y = -1;
    EXPECT_TRUE(is_move_on_board(run.lines[7], 15, &x, &y)) << run.lines[7];
}

TEST(Protocol, MovesAreLegalThroughAGame) {
    EngineProcess engine;
    engine.send("INFO timeout_turn 100\nSTART 10\nBEGIN\n");
    std::string line;
    ASSERT_TRUE(engine.read_reply(&line, 5000));
    ASSERT_EQ(line, "OK");
    bool taken[10][10] = {};
    int x = 0, y = 0;
    for (int move = 0; move < 50; ++move)
    {
        ASSERT_TRUE(engine.read_reply(&line, 5000));
        if (line == "-1,-1")
            break;
        ASSERT_TRUE(is_move_on_board(line, 10, &x, &y)) << line;
        ASSERT_FALSE(taken[x][y]) << "engine played on a stone at " << line;
        taken[x][y] = true;
        // Answer on the first free point.
        int ox = -1, oy = -1;
        for (int k = 0; k < 100 && ox < 0; ++k)
            if (!taken[k / 10][k % 10])
                ox = k / 10, oy = k % 10;
        if (ox < 0)
            break;
        taken[ox][oy] = true;
        engine.send("TURN " + std::to_string(ox) + "," + std::to_string(oy) + "\n");
    }
    engine.send("END\n");
    EXPECT_EQ(engine.wait_exit(5000), 0);
}

TEST(Protocol, FullBoardIsAnsweredMinusOne) {
    std::string script = "START 10\nBOARD\n";
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 10; ++y)
            script += std::to_string(x) + "," + std::to_string(y) + ",1\n";
    script += "DONE\n";
    EXPECT_EQ(session(script, 10), (Lines{"OK", "-1,-1"}));
}

// Each reply must come within the turn time, even when the manager sends int-sized times.
TEST(Protocol, RepliesComeWithinTheTurnTime) {
    struct Case {
        const char* setup;
        int limit_ms;
    };
    // clang-format off
    const Case cases[] = {
        {"INFO timeout_turn 300\n", 300},
        {"INFO timeout_turn 2147483647\nINFO time_left 3000\n", 150},
        {"INFO timeout_turn 1000\nINFO time_left 2147483647\n", 1000},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        EngineProcess engine;
        engine.send(std::string(tc.setup) + "START 15\n");
        std::string line;
        ASSERT_TRUE(engine.read_reply(&line, 5000));
        const long long start = now_ms();
        engine.send("BOARD\n7,7,1\n8,8,2\n7,8,1\n6,9,2\nDONE\n");
        ASSERT_TRUE(engine.read_reply(&line, 10000)) << tc.setup;
        const long long spent = now_ms() - start;
        EXPECT_TRUE(is_move_on_board(line, 15)) << line;
        EXPECT_LT(spent, tc.limit_ms + 100) << tc.setup;
    }
}

// The move list holds 3999 stones: a BOARD block is cut one short of that (the reply needs
// a slot), and a TURN or BEGIN that would not fit is refused without touching the list.
TEST(Protocol, MoveListCapacityIsNeverExceeded) {
    std::string script = "INFO timeout_turn 100\nSTART 15\nBOARD\n";
    for (int k = 0; k < 4000; ++k)
        script += "0,0,1\n";
    script += "DONE\nTURN 5,5\nBEGIN\nTAKEBACK\nTURN 5,5\nTAKEBACK\nTURN 5,5\nEND\n";
    const EngineRun run = run_engine(script, 60000);
    EXPECT_EQ(run.status, 0);
    const Lines got = replies(run);
    ASSERT_EQ(got.size(), 10u);
    EXPECT_EQ(got[0], "OK");
    EXPECT_EQ(got[1], "ERROR");                           // line 3999
    EXPECT_EQ(got[2], "ERROR");                           // line 4000
    EXPECT_TRUE(is_move_on_board(got[3], 15)) << got[3];  // slot 3999
    EXPECT_EQ(got[4], "ERROR");                           // TURN: no slot left
    EXPECT_EQ(got[5], "ERROR");                           // BEGIN: no slot left
    EXPECT_EQ(got[6], "OK");
    EXPECT_EQ(got[7], "ERROR");  // one slot free: not enough for the stone and the reply
    EXPECT_EQ(got[8], "OK");
    EXPECT_TRUE(is_move_on_board(got[9], 15)) << got[9];  // two slots free: accepted
    EXPECT_NE(got[9], "5,5");
}
