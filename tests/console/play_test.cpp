// The console game as a person meets it: the real engine on a pseudo-terminal, keys typed
// one at a time, and the same game fed through a pipe.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "console/play.h"
#include "game/Main.h"
#include "tests/support/engine_process.h"
#include "tests/support/picture.h"

namespace {

long long now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

size_t count_of(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The engine on the slave side of a pseudo-terminal, as its controlling terminal, working in
// its own temporary directory. The test keeps the slave open to read its settings.
class PtyEngine {
  public:
    PtyEngine() {
        char pattern[] = "/tmp/gravik-play-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        dir_    = pattern;
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            std::abort();
        const std::string slave_name = ptsname(master_);
        slave_                       = open(slave_name.c_str(), O_RDWR | O_NOCTTY);
        pid_                         = fork();
        if (pid_ == 0)
        {
            setsid();
            const int tty = open(slave_name.c_str(), O_RDWR);  // becomes the controlling tty
            dup2(tty, 0);
            dup2(tty, 1);
            dup2(tty, 2);
            if (chdir(dir_.c_str()) != 0)
                _exit(126);
            execl(GRAVIK_ENGINE_PATH, GRAVIK_ENGINE_PATH, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~PtyEngine() {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0)
        {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(master_);
        close(slave_);
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }

    void type(const std::string& keys) {
        if (write(master_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
            ADD_FAILURE() << "could not type " << keys;
    }

    // Collects output until `part` has appeared `times` times in all of it.
    bool wait_for(const std::string& part, size_t times, int timeout_ms = 15000) {
        const long long deadline = now_ms() + timeout_ms;
        while (count_of(screen_, part) < times)
        {
            if (now_ms() >= deadline || !pump(static_cast<int>(deadline - now_ms())))
                return false;
        }
        return true;
    }

    // Waits for the next prompt after the one already seen, i.e. for one more redraw.
    bool key(char k) {
        const size_t seen = count_of(screen_, "please move");
        type(std::string(1, k));
        return wait_for("please move", seen + 1);
    }

    termios settings() const {
        termios t{};
        tcgetattr(slave_, &t);
        return t;
    }

    bool echo_off_within(int timeout_ms) const {
        const long long deadline = now_ms() + timeout_ms;
        while (now_ms() < deadline)
        {
            if ((settings().c_lflag & ECHO) == 0)
                return true;
            usleep(5000);
        }
        return false;
    }

    int wait_exit(int timeout_ms) {
        const long long deadline = now_ms() + timeout_ms;
        while (now_ms() < deadline)
        {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_)
            {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            pump(10);
        }
        return -1;
    }

    // The output from the last screen clear on.
    std::string last_screen() const { return screen_.substr(screen_.rfind("\x1b[2J")); }
    const std::string& dir() const { return dir_; }

  private:
    bool pump(int timeout_ms) {
        pollfd pfd{master_, POLLIN, 0};
        if (poll(&pfd, 1, timeout_ms) <= 0)
            return false;
        char chunk[8192];
        const ssize_t n = read(master_, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        screen_.append(chunk, static_cast<size_t>(n));
        return true;
    }

    std::string dir_, screen_;
    int master_ = -1, slave_ = -1, pid_ = -1;
};

std::string only_record(const std::string& dir) {
    std::string text, name;
    int found = 0;
    if (DIR* d = opendir(dir.c_str()))
    {
        while (dirent* entry = readdir(d))
            if (std::string(entry->d_name).rfind("REC ", 0) == 0)
                name = entry->d_name, ++found;
        closedir(d);
    }
    if (found != 1)
        return "records found: " + std::to_string(found);
    std::ifstream in(dir + "/" + name);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

}  // namespace

TEST(PlayOnTerminal, ScriptedGameWithEngineMovesUndoSaveAndWin) {
    PtyEngine game;
    const termios before = game.settings();
    ASSERT_TRUE(before.c_lflag & ECHO);
    ASSERT_TRUE(before.c_lflag & ICANON);

    ASSERT_TRUE(game.wait_for("MESSAGE Gravik", 1));
    game.type("KOR1\r");
    ASSERT_TRUE(game.wait_for("key in time limit for AI(ms)", 1));
    game.type("200\r");
    // The line end after the number is read as a key and only redraws.
    ASSERT_TRUE(game.wait_for("please move", 2));
    EXPECT_TRUE(game.echo_off_within(2000)) << "keys are read in raw mode";
    EXPECT_NE(game.last_screen().find("RED ( 0 ,0 ) 0 step"), std::string::npos);
    EXPECT_NE(game.last_screen().find("1:hint 9:play mode(off) s:save"), std::string::npos);

    // BLUE on the cursor's start (8,8), then the engine plays RED and then BLUE.
    ASSERT_TRUE(game.key('5'));
    EXPECT_NE(game.last_screen().find("BLUE ( 8 ,8 ) 1 step"), std::string::npos);
    ASSERT_TRUE(game.key('1'));
    EXPECT_NE(game.last_screen().find(" 2 step"), std::string::npos);
    EXPECT_NE(game.last_screen().find("\x1b[47;31;7mo"), std::string::npos) << "RED's last move";
    ASSERT_TRUE(game.key('1'));
    EXPECT_NE(game.last_screen().find(" 3 step"), std::string::npos);
    EXPECT_NE(game.last_screen().find("\x1b[47;34;7mx"), std::string::npos)
        << "the engine's move on BLUE's turn is drawn as BLUE's";

    // Undo both engine moves, then RED plays (8,1) by hand.
    ASSERT_TRUE(game.key('0'));
    ASSERT_TRUE(game.key('0'));
    EXPECT_NE(game.last_screen().find("BLUE ( 8 ,8 ) 1 step"), std::string::npos);
    for (int k = 0; k < 7; ++k)
        ASSERT_TRUE(game.key('2'));
    ASSERT_TRUE(game.key('5'));

    // BLUE builds a row along y = 8, RED answers along y = 1; save before the last move.
    for (int x = 9; x <= 11; ++x)
    {
        for (int k = 0; k < 7; ++k)
            ASSERT_TRUE(game.key('8'));
        ASSERT_TRUE(game.key('6'));
        ASSERT_TRUE(game.key('5'));
        for (int k = 0; k < 7; ++k)
            ASSERT_TRUE(game.key('2'));
        ASSERT_TRUE(game.key('5'));
    }
    ASSERT_TRUE(game.key('s'));
    EXPECT_NE(game.last_screen().find("File was Successfully SAVED"), std::string::npos);
    for (int k = 0; k < 7; ++k)
        ASSERT_TRUE(game.key('8'));
    ASSERT_TRUE(game.key('6'));
    game.type("5");
    ASSERT_TRUE(game.wait_for("key in any valid command to continue...", 1));

    const std::string last = game.last_screen();
    EXPECT_NE(last.find("BLUE ( 12 ,8 ) 9 step"), std::string::npos);
    EXPECT_NE(last.find("\r\n\r\n    BLUE wins!"), std::string::npos);
    EXPECT_EQ(only_record(game.dir()),
              "15x15 result:-1\n8,8,0\n8,1,0\n9,8,0\n9,1,0\n10,8,0\n10,1,0\n11,8,0\n11,1,0\n"
              "Player\nPlayer");

    const termios after = game.settings();
    EXPECT_TRUE(after.c_lflag & ECHO) << "echo is back after the game";
    EXPECT_TRUE(after.c_lflag & ICANON) << "line input is back after the game";
    game.type("END\r");
    EXPECT_EQ(game.wait_exit(5000), 0);
}

TEST(PlayOnTerminal, InterruptRestoresTheTerminal) {
    PtyEngine game;
    ASSERT_TRUE(game.wait_for("MESSAGE Gravik", 1));
    game.type("KOR\r200\r");
    ASSERT_TRUE(game.wait_for("please move", 2));
    ASSERT_TRUE(game.echo_off_within(2000));
    game.type("\x03");  // Ctrl-C
    EXPECT_EQ(game.wait_exit(5000), 128 + SIGINT);
    EXPECT_TRUE(game.settings().c_lflag & ECHO);
    EXPECT_TRUE(game.settings().c_lflag & ICANON);
}

TEST(PlayOnPipe, KeysAreBytesAndEndOfInputEndsTheProcess) {
    // Eight steps up from row 8 stop at the top row; the first stone cannot be undone.
    const long long start = now_ms();
    EngineRun run         = run_engine("kor1\n200\n88888888"
                                               "5"
                                               "0"
                                               "9t");
    std::string all;
    for (const std::string& line : run.lines)
        all += line + "\n";
    EXPECT_EQ(run.status, 0);
    EXPECT_LT(now_ms() - start, 10000);
    const std::string last = all.substr(all.rfind("\x1b[2J"));
    EXPECT_NE(last.find("BLUE ( 8 ,15 ) 1 step"), std::string::npos) << last;
    EXPECT_NE(last.find("9:play mode(on)  s:save"), std::string::npos) << "9 turned hints on";
    EXPECT_NE(last.find("t:test mode(on)  \x1b[0m"), std::string::npos) << "t turned test mode on";
    EXPECT_EQ(all.find("wins!"), std::string::npos);
}

namespace {

bool playing = false;

// Keys that run out end the process with status 0, which would read as a pass.
void fail_if_still_playing() {
    if (playing)
    {
        std::fprintf(stderr, "the game ran out of keys\n");
        _exit(1);
    }
}

// Runs PLAY in this process on the keys given; the game must end before they run out.
std::string play_in_process(const std::string& keys) {
    static const int registered = std::atexit(fail_if_still_playing);
    (void)registered;
    std::istringstream typed(keys);
    std::streambuf* const old = std::cin.rdbuf(typed.rdbuf());
    testing::internal::CaptureStdout();
    playing = true;
    PLAY();
    playing               = false;
    const std::string out = testing::internal::GetCapturedStdout();
    std::cin.rdbuf(old);
    return out;
}

void set_moves(const std::vector<std::pair<int, int>>& moves) {
    for (const auto& m : moves)
    {
        stonex[i] = m.first;
        stoney[i] = m.second;
        ++i;
    }
}

}  // namespace

TEST(Play, UndoOnBluesTurnAsksRedAgainForTheSameSlot) {
    fresh_game(15, 1);
    playmode = 0;
    // BLUE holds four on row 8; RED's last stone (slot 8) is taken back on BLUE's turn.
    set_moves({{1, 8}, {1, 1}, {2, 8}, {2, 1}, {3, 8}, {3, 1}, {4, 8}, {10, 10}});
    posx = posy = 12;
    // Undo; a pick at (12,12) that RED's turn then replaces with (13,12); BLUE completes five.
    const std::string out = play_in_process("0"
                                            "5"
                                            "65"
                                            "44444444"
                                            "2222"
                                            "5");
    EXPECT_EQ(stonex[8], 13);
    EXPECT_EQ(stoney[8], 12);
    EXPECT_EQ(stonex[9], 5);
    EXPECT_EQ(i, 10);
    EXPECT_EQ(result, 2);
    const std::string tail = "     \x1b[7m BLUE ( 5 ,8 ) 9 step\x1b[0m\n      RED's turn\n";
    EXPECT_NE(out.find(tail), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 16), "\n\n    BLUE wins!");
}

TEST(Play, AnAllButFullBoardIsADrawAndTheCursorStaysOnIt) {
    fresh_game(10, 1);
    playmode = 0;
    // Colour by (x + 2y) mod 4 leaves no five in any direction; (10,10) stays for BLUE's last
    // move and (9,10), RED's, stays empty when the game ends.
    std::vector<std::pair<int, int>> blue, red;
    for (int x = 1; x <= 10; ++x)
        for (int y = 1; y <= 10; ++y)
            if (!(y == 10 && (x == 9 || x == 10)))
                ((x + 2 * y) % 4 < 2 ? red : blue).push_back({x, y});
    ASSERT_EQ(blue.size(), 49u);
    ASSERT_EQ(red.size(), 49u);
    for (size_t k = 0; k < 49; ++k)
        set_moves({blue[k], red[k]});
    posx = posy           = 20;  // left there by a game on a larger board: brought onto this one
    const std::string out = play_in_process("5");
    EXPECT_EQ(stonex[99], 10);
    EXPECT_EQ(stoney[99], 10);
    EXPECT_EQ(i, 100);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(qp[9][10], 0);
    EXPECT_EQ(out.substr(out.size() - 11), "\n\n    Draw!");
    BOARDSIZE = 15;
}
