// The console game: screens, renju marks and records in this process; whole games through the
// real engine on a pseudo-terminal and on a pipe.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "console/output.h"
#include "console/play.h"
#include "console/saveandload.h"
#include "rules/check_ban.h"
#include "search/thread.h"
#include "tests/support/engine_process.h"
#include "tests/support/picture.h"

namespace {

const std::string RESET = "\x1b[0m", PLAIN = "\x1b[47;37;1m.\x1b[37m \x1b[0m";

// A quiet game with `moves` played BLUE first: no hints, no marks, cursor top left.
void start(int size, int rule, const std::vector<std::pair<int, int>>& moves) {
    fresh_game(size, rule);
    for (const auto& m : moves)
        stonex[i] = m.first, stoney[i++] = m.second;
    ATARI();
    std::memset(bestx, 0, sizeof bestx);
    std::memset(besty, 0, sizeof besty);
    posx = 1, posy = size, playmode = 0;
}

// What `run` prints with `keys` typed; a game left waiting for more keys fails at once.
template <class Run>
std::string typed(const std::string& keys, Run run) {
    end_process_hook = [](int) { _exit(3); };
    std::istringstream in(keys);
    std::streambuf* const old = std::cin.rdbuf(in.rdbuf());
    testing::internal::CaptureStdout();
    run();
    std::cin.rdbuf(old);
    return testing::internal::GetCapturedStdout();
}

// The cell drawn for point (x, y), reset included; line 0 is the column header.
std::string cell(const std::string& screen, int x, int y) {
    size_t pos = 0;
    for (int k = 0; k <= BOARDSIZE - y; ++k)
        pos = screen.find('\n', pos) + 1;
    for (int k = 0; k < x; ++k)  // the row label and the cells before x
        pos = screen.find(RESET, pos) + RESET.size();
    return screen.substr(pos, screen.find(RESET, pos) + RESET.size() - pos);
}

}  // namespace

// Ranked points on row 1 and on the last moves; BLUE (5,5), RED (6,6), BLUE (7,7), RED (8,8).
TEST(Screen, EachCellIsDrawnByTheFirstRuleThatApplies) {
    struct Row {
        const char* why;
        int rule, hints, cx, cy, x, y;  // cursor at (cx, cy)
        std::string expect;
    };
    // clang-format off
    const Row rows[] = {
        {"plain empty, the engine's own choice", 4, 1, 9, 9, 3, 3, PLAIN},
        {"plain RED", 1, 0, 9, 9, 6, 6, "\x1b[47;31mo\x1b[37m \x1b[0m"},
        {"a stone on a ranked, marked point", 4, 1, 9, 9, 5, 5, "\x1b[47;34mx\x1b[37m \x1b[0m"},
        {"last move beats a hint", 4, 1, 9, 9, 8, 8, "\x1b[47;31;7mo\x1b[37m \x1b[0m"},
        {"cursor beats a hint", 4, 1, 9, 9, 9, 9, "\x1b[43;37;1m.\x1b[37;47m \x1b[0m"},
        {"cursor on BLUE", 4, 1, 5, 5, 5, 5, "\x1b[43;34mx\x1b[37;47m \x1b[0m"},
        {"cursor beats the last move", 4, 1, 8, 8, 8, 8, "\x1b[43;31mo\x1b[37;47m \x1b[0m"},
        {"rank 1", 1, 1, 9, 9, 1, 1, "\x1b[42;37;7m1\x1b[37m \x1b[0m"},
        {"rank 5", 1, 1, 9, 9, 2, 1, "\x1b[42;37;7m5\x1b[37m \x1b[0m"},
        {"rank 6 is a dot", 1, 1, 9, 9, 3, 1, "\x1b[42;37;7m.\x1b[37m \x1b[0m"},
        {"rank 60 is a dot", 1, 1, 9, 9, 4, 1, "\x1b[42;37;7m.\x1b[37m \x1b[0m"},
        {"rank 61 is not marked", 1, 1, 9, 9, 5, 1, PLAIN},
        {"forbidden beats a hint", 4, 1, 9, 9, 7, 1, "\x1b[47;30m!\x1b[37m \x1b[0m"},
        {"no forbidden mark outside renju", 1, 1, 9, 9, 7, 1, "\x1b[42;37;7m.\x1b[37m \x1b[0m"},
        {"hints off hide ranks and marks", 4, 0, 9, 9, 7, 1, PLAIN},
    };
    const int ranked[][3] = {{0, 3, 3}, {1, 1, 1}, {5, 2, 1}, {6, 3, 1}, {60, 4, 1}, {61, 5, 1},
                             {7, 7, 1}, {2, 5, 5}, {3, 8, 8}, {4, 9, 9}};
    // clang-format on
    for (const Row& row : rows)
    {
        start(15, row.rule, {{5, 5}, {6, 6}, {7, 7}, {8, 8}});
        for (const auto& r : ranked)
            bestx[r[0]] = r[1], besty[r[0]] = r[2];
        forbidden[7][1] = forbidden[5][5] = 1;
        posx = row.cx, posy = row.cy, playmode = row.hints;
        EXPECT_EQ(cell(typed("", OUTPUT), row.x, row.y), row.expect) << row.why;
    }
}

TEST(Screen, LabelsAndTextAroundTheBoard) {
    start(10, 1, {{3, 4}, {5, 6}, {2, 2}, {9, 10}});
    bestx[0] = 4, besty[0] = 4, jz[4][4] = 1234;
    bestx[1] = 7, besty[1] = 2, jz[7][2] = -56;
    bestx[3] = 1, besty[3] = 9, jz[1][9] = 8;  // a gap in the list is skipped
    bestx[15] = 9, besty[15] = 9;              // beyond the best line's fifteen entries
    SearchThread& t = main_thread;
    t.node = 100, t.mate_node = 7, t.node1 = 20, t.mate_node1 = 2, t.node2 = 3, t.mate_node2 = 1;
    t.break_depth = 6, t.break_depth1 = 9, t.break_depth2 = 4, situation = -1.0;
    const std::string screen = typed("", OUTPUT);
    EXPECT_EQ(cell(screen, 10, 1), PLAIN) << "ten cells in the bottom row";
    const std::string tail =
        "\x1b[45;36;7m 1\x1b[0m\n     \x1b[45;36;7m 1 2 3 4 5 6 7 8 910 \x1b[0m\n"
        "      BLUE: PLAYER     RED: PLAYER    \n"
        "     \x1b[7m RED ( 9 ,10 ) 4 step\x1b[0m\n      BLUE's turn\n"
        "\n Bestline:(4,4=1234) (7,2=-56) (1,9=8) "
        "\n search node: 100 (7 mate)\n quickkill node: 20 (2 mate)\n quickdefend node: 3 (1 mate)"
        "\n   Situation: Computer will lose\n"
        "\nMESSAGE Depth 6 (6-9-4)  Eval 1234  Node 123 (100+20+3)\n";
    EXPECT_EQ(screen.substr(screen.size() - std::min(screen.size(), tail.size())), tail);
    situation = 1.0;
    EXPECT_NE(typed("", OUTPUT).find("Situation: Computer will win\n"), std::string::npos);
}

// Marks are worked out afresh for each screen, for BLUE only: BLUE (x) has a double three at
// (9,8), RED (o) one at (5,3). A stale mark or a stale layer of the ban test must not show.
TEST(Play, RenjuMarksShowBluesForbiddenPointsOnly) {
    start(15, 4, {{7, 8}, {3, 3}, {8, 8}, {4, 3}, {9, 6}, {5, 4}, {9, 7}, {5, 5}});
    playmode = forbidden[12][12] = 1;
    std::memset(board_ban, 0, sizeof board_ban);
    const std::string screen = typed("5", PLAYER_TURN);
    EXPECT_EQ(cell(screen, 9, 8), "\x1b[47;30m!\x1b[37m \x1b[0m");
    EXPECT_EQ(screen.find("30m!"), screen.rfind("30m!")) << "one mark only";
}

// The engine on a pseudo-terminal, keys typed as a person types them, ahead of the screen.
TEST(PlayOnTerminal, AGameWithEngineMovesUndoSaveAndWin) {
    char dir[] = "/tmp/gravik-play-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    int pty         = -1;
    const pid_t pid = forkpty(&pty, nullptr, nullptr, nullptr);
    if (pid == 0)
    {
        if (chdir(dir) == 0)
            execl(GRAVIK_ENGINE_PATH, GRAVIK_ENGINE_PATH, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string out, got;
    // How often `part` has shown up so far.
    const auto seen = [&](const std::string& part) {
        int times = 0;
        for (size_t at = out.find(part); at != std::string::npos; at = out.find(part, at + 1))
            ++times;
        return times;
    };
    // Types `keys` and reads until `part` has shown up `times` times, false after 20 s of silence.
    const auto type = [&](const std::string& keys, const std::string& part, int times = 1) {
        char chunk[4096];
        ssize_t n = write(pty, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
        for (pollfd p{pty, POLLIN, 0}; n > 0 && seen(part) < times;)
            if ((n = poll(&p, 1, 20000) > 0 ? read(pty, chunk, sizeof chunk) : 0) > 0)
                out.append(chunk, static_cast<size_t>(n));
        return seen(part) >= times;
    };
    const auto cooked = [&] {  // echo and line input; the master side reads the settings
        termios t{};
        tcgetattr(pty, &t);
        return (t.c_lflag & ECHO) && (t.c_lflag & ICANON);
    };
    // The screen that shows `part`, from its screen clear on.
    const auto screen = [&](const char* part) {
        return out.substr(out.rfind("\x1b[2J", out.find(part)));
    };

    // The line end after the number is read as a key and only redraws, so the board is drawn
    // twice; keys are read in raw mode, entered just after the prompt is written (and left
    // between two keys, so the second drawing must be waited for).
    ASSERT_TRUE(cooked() && type("KOR1\r200\r", "1:hint 9:play mode(off) s:save", 2));
    for (int k = 0; k < 200 && cooked(); ++k)
        usleep(10000);
    EXPECT_FALSE(cooked()) << "raw while a key is awaited";
    // BLUE on the cursor's start (8,8); the engine plays RED, then BLUE.
    ASSERT_TRUE(type("5", "BLUE ( 8 ,8 ) 1 step") && type("1", " 2 step") && type("1", " 3 step"));
    EXPECT_NE(screen(" 2 step").find("\x1b[47;31;7mo"), std::string::npos) << "RED's last move";
    EXPECT_NE(screen(" 3 step").find("\x1b[47;34;7mx"), std::string::npos) << "BLUE's last move";
    // Both engine moves undone, RED picks (8,7); an undo on BLUE's turn takes it back, BLUE's
    // pick lands in RED's slot and RED is asked again: (9,7). BLUE then builds a row on y = 8,
    // RED one on y = 7, and a save comes before BLUE's fifth stone.
    const std::time_t before = std::time(nullptr);
    // clang-format off
    ASSERT_TRUE(type("0025" "05" "65" "85" "66425" "85" "625" "85" "625" "s" "85", "BLUE wins!"));
    // clang-format on
    EXPECT_NE(screen("BLUE wins!").find("BLUE ( 12 ,8 ) 9 step"), std::string::npos);
    EXPECT_NE(out.find("File was Successfully SAVED as \"REC "), std::string::npos);
    // The one record, named after the local time of the save.
    FILE* ls = popen(("cd " + std::string(dir) + " && ls && cat REC*").c_str(), "r");
    for (int ch; (ch = std::fgetc(ls)) != EOF;)
        got += static_cast<char>(ch);
    pclose(ls);
    const std::time_t after = std::time(nullptr) + 1;
    char lo[40], hi[40];
    std::strftime(lo, sizeof lo, "REC %Y%m%d-%H%M%S.psq\n", std::localtime(&before));
    std::strftime(hi, sizeof hi, "REC %Y%m%d-%H%M%S.psq\n", std::localtime(&after));
    EXPECT_TRUE(lo <= got && got < hi) << got;
    EXPECT_EQ(got.substr(got.find('\n') + 1), "15x15 result:-1\n8,8,0\n9,7,0\n9,8,0\n10,7,0\n"
                                              "10,8,0\n11,7,0\n11,8,0\n12,7,0\nPlayer\nPlayer");
    EXPECT_TRUE(cooked()) << "after the game";
    // Ctrl-Z at the command loop (no shell here to stop for) leaves the terminal as it is.
    ASSERT_TRUE(type("\032ABOUT\r", "name="));
    EXPECT_TRUE(cooked()) << "after Ctrl-Z";
    kill(pid, SIGKILL);  // not reaped before: the id is still the engine's
    waitpid(pid, nullptr, 0);
    std::system(("rm -rf " + std::string(dir)).c_str());
}

// A whole game typed through a pipe on a 10x10 board ends in a draw: colours by (x + 2y) mod 4
// make no five, and RED's (9,10) stays empty. BLUE's first stone goes to (10,10) past the top
// and right edges, RED's to (1,2) past the left and bottom ones; the first stone is never
// taken back; hints and test mode go on and off again. The end of input then ends the
// process with status 0.
TEST(PlayOnPipe, ADrawnGameThenTheEndOfInput) {
    std::vector<std::pair<int, int>> side[2] = {{{10, 10}}, {{1, 2}}};
    for (int x = 1; x <= 10; ++x)
        for (int y = 1; y <= 10; ++y)
            if (y < 10 ? x > 1 || y != 2 : x < 9)
                side[(x + 2 * y) % 4 < 2].push_back({x, y});
    // Up 3 and right 4 from (8,8), 5, 0, 9t; left 10, down 11, up 1, 5.
    std::string keys = "START 10\nkor1\n200\n8886666509t44444444442222222222285";
    for (int k = 2, x = 1, y = 2; k < 99; ++k)
    {
        const auto to = side[k % 2][k / 2];
        for (; x != to.first; x += x < to.first ? 1 : -1)
            keys += x < to.first ? '6' : '4';
        for (; y != to.second; y += y < to.second ? 1 : -1)
            keys += y < to.second ? '8' : '2';
        keys += k == 98 ? "9t5" : "5";
    }
    const EngineRun run = run_engine(keys, 20000);
    std::string all;
    for (const std::string& line : run.lines)
        all += line + "\n";
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(all.find("BLUE ( 10 ,10 ) 1 step"), std::string::npos);
    EXPECT_NE(all.find("RED ( 1 ,2 ) 2 step"), std::string::npos);
    EXPECT_NE(all.find("9:play mode(on)  s:save\x1b[0m\n    \x1b[40;37m t:test mode(on)"),
              std::string::npos);
    const std::string end = "mode(off) s:save\x1b[0m\n    \x1b[40;37m t:test mode(off) \x1b[0m\n\n"
                            "    \x1b[5m please move \x1b[0m\n\n    Draw!\n\n";
    EXPECT_NE(all.find(end), std::string::npos) << "both off again in the last screen";
}
