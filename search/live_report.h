// Live lines for analysis boards while the engine thinks: the alpha-beta root's progress as
// MESSAGE REALTIME lines, and a block of INFO lines after each completed iteration. Every line
// goes out through say(); nothing is printed while SHOW_DETAIL is 0.
#pragma once

struct SearchThread;

extern int SHOW_DETAIL;  // 0 nothing, 1 realtime lines, 2 detail blocks, 3 both
extern int DETAIL_PVS;   // PV blocks per iteration: 1, or the count of YXNBEST

// A root candidate the alpha-beta search scored exactly in the running iteration.
struct RootScore {
    int x, y, value;
};

void live_move_start();        // a new move decision: no losses known, nothing shown yet
void live_lost(int x, int y);  // the threat defence search proved this root candidate lost
void live_lost_done();         // its list is complete: show it

void live_iteration_start();
void live_root_pos(int x, int y);   // the root starts searching (x, y)
void live_root_done(int x, int y);  // and has finished it
void live_root_best(int x, int y);  // the root's best move changed
// A completed iteration of thread t: its best move, and the exactly scored candidates in the
// order found.
void live_iteration_end(const SearchThread& t, int best_x, int best_y, const RootScore* scored,
                        int count);
