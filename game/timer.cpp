// The move's stopwatch. A steady wall clock stands behind it: the process clock would count
// CPU time, not the time a manager waits for the reply.
#include "game/timer.h"

#include <chrono>

int64_t t_start = 0, t_end = 0;
int t_delta = 0;

std::atomic<bool> stop_thinking{false};
bool (*stop_poll)() = nullptr;

static int64_t now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

#if defined(__EMSCRIPTEN__)
// In WebAssembly a clock reading crosses into JavaScript and costs as much as a search node, so
// of the searches' many readings only every CLOCK_STRIDE-th reads the clock; the others repeat
// it. They come a few microseconds of search apart, so a time limit is still kept to the ms.
constexpr int CLOCK_STRIDE = 8;
static int clock_reads     = 0;

static int64_t last_reading = 0;

static int64_t reading_ms() {
    if (clock_reads++ % CLOCK_STRIDE == 0)
        last_reading = now_ms();
    return last_reading;
}
#else
static int64_t reading_ms() { return now_ms(); }
#endif

int elapsed_ms() { return static_cast<int>(reading_ms() - t_start); }

int TIMER(int timer_command) {
    if (timer_command == 1)
    {
        t_start = now_ms();
#if defined(__EMSCRIPTEN__)
        clock_reads = 0;  // the first reading after a start is a fresh one
#endif
        return 0;
    }
    if (timer_command == 2)
    {
        t_end   = reading_ms();
        t_delta = static_cast<int>(t_end - t_start);
        return t_delta;
    }
    return 0;
}
