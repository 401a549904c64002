// Test entry: the tables are built once and every random draw starts from a fixed seed.
#include <gtest/gtest.h>

#include "eval/pattern_tables.h"
#include "search/random_number.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    BUILD_PATTERN_TABLES();
    fill_random_numbers(12345);
    return RUN_ALL_TESTS();
}
