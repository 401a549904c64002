// The drawn screen: which rule draws a cell, and the text lines under the board.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "console/output.h"
#include "game/Main.h"
#include "tests/support/picture.h"

namespace {

const std::string RESET = "\x1b[0m";

// A quiet 15x15 game: cursor parked in a corner, no hints, no counters.
void fresh_screen(int rule = 1) {
    fresh_game(15, rule);
    std::memset(bestx, 0, sizeof bestx);
    std::memset(besty, 0, sizeof besty);
    std::memset(forbidden, 0, sizeof forbidden);
    posx = posy = 1;
    playmode    = 0;
    node = node1 = node2 = mate_node = mate_node1 = mate_node2 = 0;
    break_depth = break_depth1 = break_depth2 = 0;
    situation                                 = 0.0;
}

// Puts the moves on the list (BLUE first) and the board, as the game would.
void play_moves(std::initializer_list<std::pair<int, int>> moves) {
    for (const auto& m : moves)
    {
        stonex[i] = m.first;
        stoney[i] = m.second;
        ++i;
    }
    ATARI();
}

std::string draw() {
    testing::internal::CaptureStdout();
    OUTPUT();
    return testing::internal::GetCapturedStdout();
}

// The cell drawn for point (x, y), reset included.
std::string cell(const std::string& screen, int x, int y) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t eol; (eol = screen.find('\n', start)) != std::string::npos; start = eol + 1)
        lines.push_back(screen.substr(start, eol - start));
    const std::string& row = lines.at(1 + BOARDSIZE - y);  // line 0 is the column header
    size_t pos             = 0;
    for (int k = 0; k < x; ++k)  // skip the left label and the cells before x
        pos = row.find(RESET, pos) + RESET.size();
    return row.substr(pos, row.find(RESET, pos) + RESET.size() - pos);
}

}  // namespace

TEST(Output, EachCellIsDrawnByTheFirstRuleThatApplies) {
    struct Case {
        const char* why;
        int rule, hints, hint_rank, forbidden_mark;
        int x, y;
        std::string expected;
    };
    // Moves: BLUE (5,5), RED (6,6), BLUE (7,7) last; the cursor sits on (9,9) unless moved.
    // clang-format off
    const Case cases[] = {
        {"plain empty", 1, 0, 0, 0, 3, 3, "\x1b[47;37;1m.\x1b[37m \x1b[0m"},
        {"plain BLUE", 1, 0, 0, 0, 5, 5, "\x1b[47;34mx\x1b[37m \x1b[0m"},
        {"plain RED", 1, 0, 0, 0, 6, 6, "\x1b[47;31mo\x1b[37m \x1b[0m"},
        {"last move BLUE", 1, 0, 0, 0, 7, 7, "\x1b[47;34;7mx\x1b[37m \x1b[0m"},
        {"cursor on empty", 1, 0, 0, 0, 9, 9, "\x1b[43;37;1m.\x1b[37;47m \x1b[0m"},
        {"hint rank 1", 1, 1, 1, 0, 3, 3, "\x1b[42;37;7m1\x1b[37m \x1b[0m"},
        {"hint rank 3", 1, 1, 3, 0, 3, 3, "\x1b[42;37;7m3\x1b[37m \x1b[0m"},
        {"hint rank 5", 1, 1, 5, 0, 3, 3, "\x1b[42;37;7m5\x1b[37m \x1b[0m"},
        {"hint rank 6 is a dot", 1, 1, 6, 0, 3, 3, "\x1b[42;37;7m.\x1b[37m \x1b[0m"},
        {"hint rank 60 is a dot", 1, 1, 60, 0, 3, 3, "\x1b[42;37;7m.\x1b[37m \x1b[0m"},
        {"rank 61 is never marked", 1, 1, 61, 0, 3, 3, "\x1b[47;37;1m.\x1b[37m \x1b[0m"},
        {"the engine's choice is unmarked", 1, 1, 0, 0, 3, 3, "\x1b[47;37;1m.\x1b[37m \x1b[0m"},
        {"hints off hide ranks", 1, 0, 2, 0, 3, 3, "\x1b[47;37;1m.\x1b[37m \x1b[0m"},
        {"forbidden under renju", 4, 1, 2, 1, 3, 3, "\x1b[47;30m!\x1b[37m \x1b[0m"},
        {"no forbidden mark outside renju", 1, 1, 0, 1, 3, 3, "\x1b[47;37;1m.\x1b[37m \x1b[0m"},
        {"no forbidden mark with hints off", 4, 0, 0, 1, 3, 3, "\x1b[47;37;1m.\x1b[37m \x1b[0m"},
        {"a stone on a ranked point stays visible", 1, 1, 2, 0, 5, 5,
         "\x1b[47;34mx\x1b[37m \x1b[0m"},
        {"last move beats a hint", 1, 1, 2, 0, 7, 7, "\x1b[47;34;7mx\x1b[37m \x1b[0m"},
        {"cursor beats a hint", 1, 1, 2, 0, 9, 9, "\x1b[43;37;1m.\x1b[37;47m \x1b[0m"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        fresh_screen(tc.rule);
        play_moves({{5, 5}, {6, 6}, {7, 7}});
        posx = posy = 9;
        playmode    = tc.hints;
        bestx[0]    = 3;  // the engine's own choice; a rank below overrides it for the point
        besty[0]    = 3;
        if (tc.hint_rank > 0)
        {
            bestx[tc.hint_rank] = tc.x;
            besty[tc.hint_rank] = tc.y;
        }
        forbidden[tc.x][tc.y] = tc.forbidden_mark;
        EXPECT_EQ(cell(draw(), tc.x, tc.y), tc.expected) << tc.why;
    }
}

TEST(Output, CursorOverTheLastMoveIsDrawnAsCursor) {
    struct Case {
        const char* why;
        int moves;
        std::string expected;
    };
    // clang-format off
    const Case cases[] = {
        {"RED's last stone", 2, "\x1b[43;31mo\x1b[37;47m \x1b[0m"},
        {"BLUE's last stone", 3, "\x1b[43;34mx\x1b[37;47m \x1b[0m"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        fresh_screen();
        play_moves({{4, 4}, {5, 5}, {4, 5}});
        i = tc.moves + 1;  // drop the moves after the one under the cursor
        for (int k = i; k <= 3; ++k)
            stonex[k] = stoney[k] = 0;
        ATARI();
        posx                     = stonex[i - 1];
        posy                     = stoney[i - 1];
        const std::string screen = draw();
        EXPECT_EQ(cell(screen, posx, posy), tc.expected) << tc.why;
        EXPECT_EQ(screen.find(";7mo"), std::string::npos) << tc.why << ": no inverse stone";
        EXPECT_EQ(screen.find(";7mx"), std::string::npos) << tc.why << ": no inverse stone";
    }
}

TEST(Output, StartOfGameShowsRedZeroAndNoLastMove) {
    fresh_screen();
    posx = posy              = 8;
    const std::string screen = draw();
    EXPECT_EQ(screen.rfind("\x1b[H\x1b[2J", 0), 0u) << "the screen is cleared first";
    EXPECT_NE(screen.find("     \x1b[7m RED ( 0 ,0 ) 0 step\x1b[0m\n      BLUE's turn\n"),
              std::string::npos);
    EXPECT_EQ(screen.find("\x1b[45;37;1m."), std::string::npos) << "no empty last-move cell";
    EXPECT_EQ(cell(screen, 1, 1), "\x1b[47;37;1m.\x1b[37m \x1b[0m");
}

TEST(Output, LabelsAndTextBelowTheBoard) {
    fresh_game(10, 1);
    std::memset(bestx, 0, sizeof bestx);
    std::memset(besty, 0, sizeof besty);
    posx = posy = 1;
    play_moves({{3, 4}, {5, 6}, {2, 2}, {9, 10}});
    bestx[0] = 4, besty[0] = 4, jz[4][4] = 1234;
    bestx[1] = 7, besty[1] = 2, jz[7][2] = -56;
    bestx[3] = 1, besty[3] = 9, jz[1][9] = 8;  // a gap in the list is skipped
    bestx[15] = 9, besty[15] = 9;              // beyond the best line's fifteen entries
    node = 100, mate_node = 7, node1 = 20, mate_node1 = 2, node2 = 3, mate_node2 = 1;
    break_depth = 6, break_depth1 = 9, break_depth2 = 4;
    situation                = -1.0;
    const std::string screen = draw();

    const std::string labels = "     \x1b[45;36;7m 1 2 3 4 5 6 7 8 910 \x1b[0m\n";
    EXPECT_EQ(screen.substr(7, labels.size()), labels) << "column header after the clear";
    EXPECT_NE(screen.find("\n" + labels + "      BLUE: PLAYER     RED: PLAYER    \n"),
              std::string::npos)
        << "footer, then the players";
    EXPECT_NE(screen.find("\n   \x1b[45;36;7m10\x1b[37;47m \x1b[0m"), std::string::npos)
        << "top row";
    EXPECT_NE(screen.find("\x1b[45;36;7m 1\x1b[0m\n"), std::string::npos) << "right label";

    const std::string tail =
        "     \x1b[7m RED ( 9 ,10 ) 4 step\x1b[0m\n      BLUE's turn\n"
        "\n Bestline:(4,4=1234) (7,2=-56) (1,9=8) "
        "\n search node: 100 (7 mate)\n quickkill node: 20 (2 mate)\n quickdefend node: 3 (1 mate)"
        "\n   Situation: Computer will lose\n"
        "\nMESSAGE Depth 6 (6-9-4)  Eval 1234  Node 123 (100+20+3)\n";
    ASSERT_GE(screen.size(), tail.size());
    EXPECT_EQ(screen.substr(screen.size() - tail.size()), tail);
}

TEST(Output, AssessmentFollowsTheThreatSearches) {
    struct Case {
        double value;
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {1.0, "Computer will win"}, {0.99, "Unknown"}, {0.0, "Unknown"},
        {-0.5, "Unknown"}, {-1.0, "Computer will lose"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        fresh_screen();
        situation = tc.value;
        EXPECT_NE(draw().find(std::string("\n   Situation: ") + tc.text + "\n"), std::string::npos)
            << tc.value;
    }
    situation = 0.0;
}
