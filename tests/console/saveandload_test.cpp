// Game records: file name, header, move lines, names, and what happens when writing fails.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "console/saveandload.h"
#include "game/Main.h"
#include "tests/support/picture.h"

namespace {

// Runs each test in a fresh temporary working directory and goes back afterwards.
class Save : public testing::Test {
  protected:
    void SetUp() override {
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        home_          = here;
        char pattern[] = "/tmp/gravik-save-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ASSERT_EQ(chdir(dir_.c_str()), 0);
        fresh_game(15, 1);
        result = -1;
    }
    void TearDown() override {
        ASSERT_EQ(chdir(home_.c_str()), 0);
        std::system(("rm -rf '" + dir_ + "'").c_str());
        BOARDSIZE = 15;
    }

    std::vector<std::string> files() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(dir_.c_str()))
        {
            while (dirent* entry = readdir(dir))
                if (entry->d_name[0] != '.')
                    names.push_back(entry->d_name);
            closedir(dir);
        }
        return names;
    }

    // Saves and returns the one record written; its name goes to *name.
    std::string save_one(std::string* name = nullptr, std::string* said = nullptr) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(SAVE(), 0);
        const std::string out = testing::internal::GetCapturedStdout();
        if (said)
            *said = out;
        const std::vector<std::string> names = files();
        EXPECT_EQ(names.size(), 1u);
        if (names.empty())
            return "";
        if (name)
            *name = names[0];
        std::ifstream in(dir_ + "/" + names[0], std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string home_, dir_;
};

void add_moves(const std::vector<std::pair<int, int>>& moves) {
    for (const auto& m : moves)
    {
        stonex[i] = m.first;
        stoney[i] = m.second;
        ++i;
    }
    ATARI();
}

std::string stamp(std::time_t t) {
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", std::localtime(&t));
    return text;
}

}  // namespace

TEST_F(Save, NameCarriesTheLocalDateAndTime) {
    const std::time_t before = std::time(nullptr);
    std::string name, said;
    save_one(&name, &said);
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(std::regex_match(name, std::regex("REC [0-9]{8}-[0-9]{6}\\.psq"))) << name;
    EXPECT_TRUE(name == "REC " + stamp(before) + ".psq" || name == "REC " + stamp(after) + ".psq")
        << name;
    EXPECT_EQ(said, "\n\n     File was Successfully SAVED\n") << "the record itself is not printed";
    EXPECT_NE(std::string(save_report).find(name), std::string::npos);
}

TEST_F(Save, RecordsHoldHeaderMovesAndNames) {
    struct Case {
        const char* why;
        int size, outcome;
        std::vector<std::pair<int, int>> moves;
        int undone_slot;  // 0: none
        std::string expected;
    };
    // clang-format off
    const Case cases[] = {
        {"before any move", 15, -1, {}, 0, "15x15 result:-1\nPlayer\nPlayer"},
        {"moves in order, 1-based", 15, 2, {{8, 8}, {9, 7}, {1, 15}}, 0,
         "15x15 result:2\n8,8,0\n9,7,0\n1,15,0\nPlayer\nPlayer"},
        {"an undone slot is skipped", 15, 1, {{8, 8}, {9, 7}, {1, 15}}, 2,
         "15x15 result:1\n8,8,0\n1,15,0\nPlayer\nPlayer"},
        {"other sizes name their own size", 20, 0, {{20, 1}}, 0,
         "20x20 result:0\n20,1,0\nPlayer\nPlayer"},
        {"smallest board", 10, -1, {}, 0, "10x10 result:-1\nPlayer\nPlayer"},
    };
    // clang-format on
    for (const Case& tc : cases)
    {
        fresh_game(tc.size, 1);
        result = tc.outcome;
        add_moves(tc.moves);
        if (tc.undone_slot)
            stonex[tc.undone_slot] = stoney[tc.undone_slot] = 0;
        EXPECT_EQ(save_one(), tc.expected) << tc.why;
        for (const std::string& name : files())
            std::remove((dir_ + "/" + name).c_str());
    }
}

TEST_F(Save, SavingTwiceInOneSecondReplacesTheFile) {
    add_moves({{8, 8}, {9, 9}});
    testing::internal::CaptureStdout();
    SAVE();
    add_moves({{10, 10}});
    SAVE();
    testing::internal::GetCapturedStdout();
    const std::vector<std::string> names = files();
    if (names.size() == 2)
        GTEST_SKIP() << "the clock crossed a second between the saves";
    ASSERT_EQ(names.size(), 1u);
    std::ifstream in(dir_ + "/" + names[0]);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "15x15 result:-1\n8,8,0\n9,9,0\n10,10,0\nPlayer\nPlayer");
}

// Root ignores permission bits, so the directory is made to vanish instead.
TEST_F(Save, AFileThatCannotBeWrittenIsReportedAsSuch) {
    add_moves({{8, 8}});
    ASSERT_EQ(rmdir(dir_.c_str()), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(SAVE(), 0);
    std::printf("still here\n");  // stdout keeps working after a failed save
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said.find("Successfully"), std::string::npos) << said;
    EXPECT_NE(said.find("could NOT be saved"), std::string::npos) << said;
    EXPECT_NE(said.find("still here\n"), std::string::npos);
    EXPECT_NE(std::string(save_report).find("could NOT be saved"), std::string::npos);
    mkdir(dir_.c_str(), 0700);  // for TearDown
}
