// The search threads: the main thread's state, and the helpers of a threaded decision.
//
// With more than one thread, the helpers run the alpha-beta search on boards of their own from
// the moment the decision's searches start, sharing the three hash tables with the main thread
// (which runs the threat searches and then the alpha-beta search as always). What a helper
// proves lands in the tables, where the main thread's deeper iterations find it. The helpers
// are started once and wait between decisions; nothing is allocated while one runs.
#include "search/thread.h"

#include <cstring>

#include "search/quickdefend.h"
#include "search/quickkill.h"
#include "search/slowsearch.h"

#if !defined(__EMSCRIPTEN__)
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>
#endif

SearchThread main_thread;
std::atomic<bool> halt_helpers{false};
std::atomic<int> main_layer{0};
std::atomic<bool> threats_won{false};
void (*iteration_done)(const SearchThread& t) = nullptr;

#if defined(__EMSCRIPTEN__)

// The browser's engine runs in one worker: no helpers.
int max_search_threads() { return 1; }
int search_threads() { return 1; }
void set_search_threads(int) {}
bool helpers_start(bool) { return false; }
HelperReport helpers_finish() { return {}; }

#else

namespace {

struct Helper {
    SearchThread* t = nullptr;
    std::thread thread;
};

// The pool. `generation` counts decisions: a helper works once per new value. `busy` counts
// the helpers still working on the current one.
struct Pool {
    std::mutex lock;
    std::condition_variable wake, idle;
    long generation = 0;
    int busy        = 0;
    bool quit       = false;
    bool running    = false;  // helpers_start was called and helpers_finish not yet
    std::vector<Helper> helpers;
    // Every helper's block, kept for the next change of the count: at most one per thread.
    std::vector<SearchThread*> blocks;
};

// Never destroyed: the process may end (END, end of input) with the helpers waiting.
Pool& pool = *new Pool;

// `seen` is the generation when the helper was made: a decision started before the thread
// first runs is still new to it.
void helper_loop(SearchThread* t, long seen) {
    for (;;)
    {
        {
            std::unique_lock<std::mutex> hold(pool.lock);
            pool.wake.wait(hold, [&] { return pool.quit || pool.generation != seen; });
            if (pool.quit)
                return;
            seen = pool.generation;
        }
        if (t->threats)
        {
            t->node1 = t->node2 = t->mate_node1 = t->mate_node2 = 0;
            t->break_depth1 = t->break_depth2 = 0;
            // As the main thread runs them alone; the alpha-beta search beside them stops
            // when the attack proves a win.
            if (switch_quickkill == 1)
                QUICKKILL(*t);
            if (situation == 1.0)
                threats_won.store(true, std::memory_order_relaxed);
            else if (switch_quickdefend == 1)
                QUICKDEFEND(*t);
        }
        helper_search(*t);
        std::lock_guard<std::mutex> hold(pool.lock);
        if (--pool.busy == 0)
            pool.idle.notify_all();
    }
}

void stop_all() {
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        pool.quit = true;
    }
    pool.wake.notify_all();
    for (Helper& h : pool.helpers)
        h.thread.join();
    pool.quit = false;
}

}  // namespace

int max_search_threads() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n > MAX_SEARCH_THREADS ? MAX_SEARCH_THREADS : static_cast<int>(n);
}

int search_threads() { return static_cast<int>(pool.helpers.size()) + 1; }

void set_search_threads(int n) {
    const int most = max_search_threads();
    n              = n < 1 ? 1 : n > most ? most : n;
    if (n == search_threads())
        return;
    stop_all();
    while (static_cast<int>(pool.blocks.size()) < n - 1)
        pool.blocks.push_back(new SearchThread);
    pool.helpers = std::vector<Helper>(n - 1);
    for (int k = 0; k < n - 1; ++k)
    {
        Helper& h   = pool.helpers[k];
        h.t         = pool.blocks[k];
        h.t->helper = true;
        // Each helper starts its walk of the root candidates at another one.
        h.t->rotation = k + 1;
        h.thread      = std::thread(helper_loop, h.t, pool.generation);
    }
}

bool helpers_start(bool threats) {
    if (pool.helpers.empty())
        return false;
    halt_helpers.store(false, std::memory_order_relaxed);
    main_layer.store(0, std::memory_order_relaxed);
    threats_won.store(false, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        std::memcpy(main_thread.root_jz, jz, sizeof jz);
        for (Helper& h : pool.helpers)
        {
            std::memcpy(h.t->root_jz, jz, sizeof jz);
            h.t->threats      = threats && &h == &pool.helpers[0];
            h.t->threat_share = 2;
        }
        pool.busy    = static_cast<int>(pool.helpers.size());
        pool.running = true;
        ++pool.generation;
    }
    pool.wake.notify_all();
    return threats;
}

HelperReport helpers_finish() {
    HelperReport report;
    if (!pool.running)
        return report;
    halt_helpers.store(true, std::memory_order_relaxed);
    std::unique_lock<std::mutex> hold(pool.lock);
    pool.idle.wait(hold, [] { return pool.busy == 0; });
    pool.running = false;
    for (const Helper& h : pool.helpers)
    {
        const SearchThread& t = *h.t;
        if (t.threats)
            report.threats = &t;
        report.nodes += t.node;
        if (t.break_depth > report.depth)
            report.depth = t.break_depth;
        if (t.best_x != 0 && t.best_value >= FORCED_WIN_SCORE && t.best_value > report.win_value)
        {
            report.win_x     = t.best_x;
            report.win_y     = t.best_y;
            report.win_value = t.best_value;
        }
    }
    return report;
}

#endif
