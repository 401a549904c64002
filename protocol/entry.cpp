// The native engine: set the streams up, build the tables, seed the generator, draw the keys,
// and serve the manager on stdin/stdout, with the console game behind the private commands.
// A reader thread takes stdin meanwhile, so a stop reaches the engine while it thinks.
#include <ctime>

#include "console/play.h"
#include "eval/pattern_tables.h"
#include "game/engine_rand.h"
#include "platform/platform.h"
#include "protocol/gomocup_main.h"
#include "protocol/input_reader.h"
#include "search/random_number.h"

int main() {
    prepare_standard_streams();
    BUILD_PATTERN_TABLES();
    engine_srand(static_cast<unsigned>(std::time(nullptr)));
    GENERATE_RANDOM_NUMBER();
    console_game_runner = PLAY;
    start_input_reader();
    gomocup();
}
