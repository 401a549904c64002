// The one printer of live lines. Realtime lines wait until the move has run QUIET_MS, so the
// first quick iterations show nothing, and the POS and DONE pairs are rationed to about
// LINES_PER_SECOND; REFRESH, BEST and LOST are few by nature and always go out once awake.
#include "search/live_report.h"

#include <cstdio>

#include "game/Main.h"
#include "game/timer.h"
#include "search/ai.h"
#include "search/thread.h"

int SHOW_DETAIL = 0;
int DETAIL_PVS  = 1;

namespace {

constexpr int QUIET_MS         = 50;
constexpr int LINES_PER_SECOND = 200;  // POS and DONE lines together
constexpr int BURST            = 20;   // lines that may go out at once after a quiet spell
constexpr int LOST_SLOTS       = 200;

bool refreshed = false;  // REFRESH went out for the running iteration
bool pos_shown = false;  // POS went out for the candidate being searched
int ration_ms  = 0;      // clock reading up to which POS/DONE lines were paid for
int lost_x[LOST_SLOTS], lost_y[LOST_SLOTS];
int lost_nb = 0;

bool realtime() { return (SHOW_DETAIL & 1) != 0; }

void say_point(const char* what, int x, int y) {
    say("MESSAGE REALTIME %s %d,%d\n", what, x - 1, y - 1);
}

// True once the move has run long enough to be worth showing; the first line of an iteration
// brings its REFRESH and the losses known so far.
bool awake() {
    if (TIMER(2) < QUIET_MS)
        return false;
    if (!refreshed)
    {
        refreshed = true;
        say("MESSAGE REALTIME REFRESH\n");
        for (int k = 0; k < lost_nb; ++k)
            say_point("LOST", lost_x[k], lost_y[k]);
    }
    return true;
}

// One POS/DONE line may go out: the budget refills at LINES_PER_SECOND, up to BURST lines.
bool rationed() {
    const int now   = TIMER(2);
    const int spend = 1000 / LINES_PER_SECOND;
    if (ration_ms < now - BURST * spend)
        ration_ms = now - BURST * spend;
    if (ration_ms + spend > now)
        return false;
    ration_ms += spend;
    return true;
}

// Writes the points of `count` moves as " x,y" each.
void say_line(const char* head, const int* xs, const int* ys, int count) {
    char text[16 + 8 * STORED_LINE_MAX];
    int used = std::snprintf(text, sizeof text, "%s", head);
    for (int k = 0; k < count && used < static_cast<int>(sizeof text); ++k)
        used += std::snprintf(text + used, sizeof text - used, " %d,%d", xs[k] - 1, ys[k] - 1);
    say("%s\n", text);
}

void say_block(const SearchThread& t, int pv, int pvs, int x, int y, int score) {
    const int ms          = TIMER(2);
    const int total       = t.node + t.node1 + t.node2;
    const long long speed = static_cast<long long>(total) * 1000 / (ms > 0 ? ms : 1);
    say("INFO PV %d\nINFO NUMPV %d\nINFO DEPTH %d\nINFO SELDEPTH %d\nINFO NODES %d\n"
        "INFO TOTALNODES %d\nINFO TOTALTIME %d\nINFO SPEED %lld\nINFO EVAL %d\n",
        pv, pvs, t.LAYER, t.LAYER, t.node, total, ms, speed, score);
    int xs[STORED_LINE_MAX], ys[STORED_LINE_MAX];
    const int length = stored_line(t, x, y, t.LAYER, xs, ys);
    say_line("INFO BESTLINE", xs, ys, length);
}

}  // namespace

void live_move_start() {
    lost_nb   = 0;
    refreshed = false;
    pos_shown = false;
    ration_ms = 0;
}

void live_lost(int x, int y) {
    if (lost_nb < LOST_SLOTS)
    {
        lost_x[lost_nb] = x;
        lost_y[lost_nb] = y;
        ++lost_nb;
    }
}

void live_lost_done() {
    if (!realtime() || lost_nb == 0)
        return;
    // A REFRESH printed now carries the losses; after an earlier one they follow on their own.
    const bool shown_before = refreshed;
    if (awake() && shown_before)
        for (int k = 0; k < lost_nb; ++k)
            say_point("LOST", lost_x[k], lost_y[k]);
}

void live_iteration_start() {
    refreshed = false;
    pos_shown = false;
}

void live_root_pos(int x, int y) {
    pos_shown = realtime() && awake() && rationed();
    if (pos_shown)
        say_point("POS", x, y);
}

void live_root_done(int x, int y) {
    if (pos_shown)
        say_point("DONE", x, y);
    pos_shown = false;
}

void live_root_best(int x, int y) {
    if (realtime() && awake())
        say_point("BEST", x, y);
}

void live_iteration_end(const SearchThread& t, int best_x, int best_y, const RootScore* scored,
                        int count) {
    if (best_x != 0)
        live_root_best(best_x, best_y);
    if ((SHOW_DETAIL & 2) == 0 || count == 0)
        return;
    // Best first; among equal scores the one found first.
    int order[200];
    int shown      = 0;
    const int pvs  = DETAIL_PVS < count ? DETAIL_PVS : count;
    bool used[200] = {};
    for (; shown < pvs; ++shown)
    {
        int pick = -1;
        for (int k = 0; k < count; ++k)
            if (!used[k] && (pick < 0 || scored[k].value > scored[pick].value))
                pick = k;
        used[pick]   = true;
        order[shown] = pick;
    }
    for (int k = 0; k < shown; ++k)
    {
        const RootScore& s = scored[order[k]];
        say_block(t, k, shown, s.x, s.y, s.value);
    }
    say("INFO PV DONE\n");
}
