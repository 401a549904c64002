// Program entry: build the tables, seed the generator, draw the keys, serve the manager.
#include <ctime>

#include "eval/pattern_tables.h"
#include "game/engine_rand.h"
#include "protocol/gomocup_main.h"
#include "search/random_number.h"

int main() {
    BUILD_PATTERN_TABLES();
    engine_srand(static_cast<unsigned>(std::time(nullptr)));
    GENERATE_RANDOM_NUMBER();
    gomocup();
}
