// Program entry: build the tables, seed the generator, draw the keys, serve the manager.
#include <cstdlib>
#include <ctime>

#include "eval/pattern_tables.h"
#include "protocol/gomocup_main.h"
#include "search/random_number.h"

int main() {
    BUILD_PATTERN_TABLES();
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    GENERATE_RANDOM_NUMBER();
    gomocup();
}
