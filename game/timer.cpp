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

int TIMER(int timer_command) {
    if (timer_command == 1)
    {
        t_start = now_ms();
        return 0;
    }
    if (timer_command == 2)
    {
        t_end   = now_ms();
        t_delta = static_cast<int>(t_end - t_start);
        return t_delta;
    }
    return 0;
}
