// The engine inside a web page: a Web Worker calls these functions of the WebAssembly module.
// Each batch of protocol lines returns every line the engine wrote while serving it, and each
// line also goes to the worker the moment it is written, so the page can show a long think as
// it goes. A stop cannot arrive as a message while the engine computes (the worker's thread is
// busy), so where the page shares memory with the worker the searches read a stop flag there.
#include <emscripten/emscripten.h>

#include <sstream>
#include <string>

#include "eval/pattern_tables.h"
#include "game/Main.h"
#include "game/engine_rand.h"
#include "game/timer.h"
#include "protocol/gomocup_main.h"
#include "search/random_number.h"

// Hands one finished line (without its line end) to the worker's Module.onLine, if it set one.
EM_JS(void, web_said_line, (const char* text, int length), {
    var onLine = Module["onLine"];
    if (onLine)
        onLine(UTF8ToString(text, length));
});

// The request id the page last asked to stop, read from the memory it shares with the worker.
// It runs at every clock read of a search: one property read and one atomic load.
EM_JS(int, web_stop_mark, (), { return Atomics.load(Module["stopMark"], 0); });

namespace {

std::string output;  // the lines written during the current call
size_t line_start;   // where the line being written begins in `output`
int serving;         // the id of the request being served; 0 for one without an id

void collect(const char* text) {
    output += text;
    for (size_t end = output.find('\n', line_start); end != std::string::npos;
         end        = output.find('\n', line_start))
    {
        size_t length = end - line_start;
        if (length > 0 && output[end - 1] == '\r')
            --length;
        web_said_line(output.data() + line_start, static_cast<int>(length));
        line_start = end + 1;
    }
}

void begin_call() {
    output.clear();
    line_start = 0;
}

// A stop written for this request or a later one; requests without an id are never stopped.
// The look crosses into JavaScript, so only every STOP_STRIDE-th call looks, as only every few
// clock readings read the clock; once seen, a stop stays.
constexpr int STOP_STRIDE = 8;
int stop_calls            = 0;
bool stop_seen            = false;

bool stop_asked() {
    if (serving <= 0)
        return false;
    if (!stop_seen && stop_calls++ % STOP_STRIDE == 0)
        stop_seen = web_stop_mark() >= serving;
    return stop_seen;
}

}  // namespace

extern "C" {

// Builds the tables, seeds the engine's generator and returns the greeting lines. Call once,
// before the first batch.
EMSCRIPTEN_KEEPALIVE const char* gravik_start(unsigned seed) {
    say_sink = collect;
    begin_call();
    BUILD_PATTERN_TABLES();
    engine_srand(seed);
    GENERATE_RANDOM_NUMBER();
    gomocup_start();
    return output.c_str();
}

// From now on the searches stop when Module.stopMark[0] (an Int32Array over shared memory)
// holds the id of the request being served or a later one.
EMSCRIPTEN_KEEPALIVE void gravik_watch_stop() { stop_poll = stop_asked; }

// Serves the commands in `lines` as request `id` and returns the replies. A command cut off by
// the end of the batch is dropped; END is answered like any other command, and the engine stays
// usable.
EMSCRIPTEN_KEEPALIVE const char* gravik_serve(const char* lines, int id) {
    begin_call();
    serving    = id;
    stop_calls = 0;
    stop_seen  = false;
    std::istringstream in(lines);
    gomocup_serve(in);
    serving = 0;
    return output.c_str();
}

}  // extern "C"
