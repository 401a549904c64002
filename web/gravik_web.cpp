// The engine inside a web page: a Web Worker calls these two functions of the WebAssembly
// module. Each call takes a batch of protocol lines and returns every line the engine wrote
// while serving them, so the worker never waits on input and the page never blocks.
#include <emscripten/emscripten.h>

#include <sstream>
#include <string>

#include "eval/pattern_tables.h"
#include "game/Main.h"
#include "game/engine_rand.h"
#include "protocol/gomocup_main.h"
#include "search/random_number.h"

namespace {

std::string output;  // the lines written during the current call

void collect(const char* text) { output += text; }

}  // namespace

extern "C" {

// Builds the tables, seeds the engine's generator and returns the greeting lines. Call once,
// before the first batch.
EMSCRIPTEN_KEEPALIVE const char* gravik_start(unsigned seed) {
    say_sink = collect;
    output.clear();
    BUILD_PATTERN_TABLES();
    engine_srand(seed);
    GENERATE_RANDOM_NUMBER();
    gomocup_start();
    return output.c_str();
}

// Serves the commands in `lines` and returns the replies. A command cut off by the end of the
// batch is dropped; END is answered like any other command, and the engine stays usable.
EMSCRIPTEN_KEEPALIVE const char* gravik_serve(const char* lines) {
    output.clear();
    std::istringstream in(lines);
    gomocup_serve(in);
    return output.c_str();
}

}  // extern "C"
