// Kept positions: the incremental scores (the leaf score, the generators' window credits)
// remember the board they were computed for and update only the windows through the cells of
// `un` that changed since. This is the bookkeeping they share, and the board a search thread
// works on (SearchBoard), which carries the log they follow.
#pragma once

#include <cstdint>
#include <cstring>
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

#include "game/Main.h"

// A kept position is a copy of `un` plus a padded code board: cell (x, y) at padded(x, y), five
// cells of margin on every side holding OFF_BOARD (3), so the eleven cells of a line through any
// board cell can be read without bounds checks. A six-cell window starting at s along step st
// exists when its first five cells are on the board; its sixth cell may read 3.
constexpr int OFF_BOARD_CODE = 3;  // as OFF_BOARD of the window tables
constexpr int PAD_MARGIN     = 5;
constexpr int PAD_STRIDE     = 40;  // 5 + 25 + 5, rounded up
constexpr int PAD_CELLS      = PAD_STRIDE * PAD_STRIDE;
constexpr int padded(int x, int y) { return (x + PAD_MARGIN) * PAD_STRIDE + y + PAD_MARGIN; }
// Steps of the four window directions: along x, along y, diagonal, anti-diagonal.
constexpr int LINE_STEP[4] = {PAD_STRIDE, 1, PAD_STRIDE + 1, PAD_STRIDE - 1};
// Weight of window cell k (0..5) in the six-cell table index.
constexpr int CELL_WEIGHT[6] = {324, 108, 36, 12, 4, 1};

// Six-cell table index of the window starting at padded cell s along step st.
inline int padded_idx6(const char* code, int s, int st) {
    return code[s] * 324 + code[s + st] * 108 + code[s + 2 * st] * 36 + code[s + 3 * st] * 12 +
           code[s + 4 * st] * 4 + code[s + 5 * st];
}

// ---- The log of the searches' stones ----
//
// The searches put their stones on `un` and take them off through place_stone and lift_stone,
// which also log the cell. While a search runs (an UnLogSession is open), a kept position
// follows the cells logged since it was last brought up to date instead of comparing whole
// boards. Outside a session, or when a position has fallen too far behind, it compares boards
// as before; every session opening or closing starts a new epoch, so nothing logged in another
// one counts.
constexpr unsigned UN_LOG_SIZE = 1u << 12;  // cells the log remembers
struct UnLog {
    bool on        = false;
    unsigned epoch = 0;
    unsigned len   = 0;                // cells logged so far (the log wraps round)
    unsigned short cell[UN_LOG_SIZE];  // x * 256 + y
    // `un` as a padded code board (see padded()), kept in step while a session is open: lines
    // of the board can be read around any cell without testing the edges.
    char board[PAD_CELLS];
    // The same stones as bits, per side (code 1, 2) and direction (as LINE_STEP): the cells of
    // one line of the padded board are the bits of one word (see stone_line, stone_bit).
    uint64_t lines[3][4][2 * PAD_STRIDE];
};

// The board a search thread works on, with its log: the eval floor's part of the thread's
// state (search/thread.h holds the rest).
struct SearchBoard {
    // The searches' working copy of qp: 0 empty, 1 engine, 2 opponent.
    char un[JZ_SIDE][JZ_SIDE];
    UnLog un_log;
    // The cell the search last put a stone on. Only a hint for the incremental scores, which
    // follow `un` whatever it says: among the cells changed since their kept position, this
    // stone is the one best left out of it (its siblings come next).
    int newest_x = 0, newest_y = 0;
};

inline void note_new_stone(SearchBoard& b, int x, int y) {
    b.newest_x = x;
    b.newest_y = y;
}

// Of `changes` changed cells (at most `few` listed), the new stone to leave out of a kept
// position: the newest stone when it is among them, else the only new stone; -1 for none.
inline int stone_to_leave_out(const SearchBoard& b, const int* cx, const int* cy, const int* was,
                              int changes, int few) {
    if (changes > few)
        return -1;
    int placed = -1, placements = 0;
    for (int ch = 0; ch < changes; ++ch)
        if (was[ch] == 0)
        {
            if (cx[ch] == b.newest_x && cy[ch] == b.newest_y)
                return ch;
            placed = ch;
            ++placements;
        }
    return placements == 1 ? placed : -1;
}

// Word and bit of padded cell (px, py) = (x + PAD_MARGIN, y + PAD_MARGIN) in direction dir.
inline int stone_line(int px, int py, int dir) {
    return dir == 0 ? py : dir == 1 ? px : dir == 2 ? px - py + PAD_STRIDE : px + py;
}
inline int stone_bit(int px, int py, int dir) { return dir == 1 ? py : px; }
inline void flip_stone_bits(UnLog& log, int x, int y, int code) {
    const int px = x + PAD_MARGIN, py = y + PAD_MARGIN;
    for (int dir = 0; dir < 4; ++dir)
        log.lines[code][dir][stone_line(px, py, dir)] ^= uint64_t{1} << stone_bit(px, py, dir);
}
inline void log_cell(UnLog& log, int x, int y) {
    log.cell[log.len++ & (UN_LOG_SIZE - 1)] = static_cast<unsigned short>(x << 8 | y);
}
inline void place_stone(SearchBoard& b, int x, int y, char code) {
    b.un[x][y]                   = code;
    b.un_log.board[padded(x, y)] = code;
    flip_stone_bits(b.un_log, x, y, code);
    log_cell(b.un_log, x, y);
    note_new_stone(b, x, y);
}
inline void lift_stone(SearchBoard& b, int x, int y) {
    flip_stone_bits(b.un_log, x, y, b.un[x][y]);
    b.un[x][y]                   = 0;
    b.un_log.board[padded(x, y)] = 0;
    log_cell(b.un_log, x, y);
}
void fill_padded_codes(const SearchBoard& b, char* code);
// Sets the stone bits of b's log from its `un`.
void fill_stone_bits(SearchBoard& b);
// Opens a session on a thread's board for as long as it lives.
struct UnLogSession {
    SearchBoard& b;
    explicit UnLogSession(SearchBoard& board) : b(board) {
        ++b.un_log.epoch;
        b.un_log.on = true;
        fill_padded_codes(b, b.un_log.board);
        fill_stone_bits(b);
    }
    ~UnLogSession() {
        ++b.un_log.epoch;
        b.un_log.on = false;
    }
    UnLogSession(const UnLogSession&)            = delete;
    UnLogSession& operator=(const UnLogSession&) = delete;
};
// Where in the log a kept position stands, and the cell of the stone it left out (see
// sync_kept_position), which differs from `un` without being logged again; -1 for none.
struct LogMark {
    unsigned epoch = ~0u;
    unsigned pos   = 0;
    int held       = -1;
};
inline LogMark log_now(const SearchBoard& b) { return LogMark{b.un_log.epoch, b.un_log.len, -1}; }

// Sets the padded code board from b's `un`: board cells copied, everything else OFF_BOARD.

// Calls change(x, y, old, now) for every board cell where `un` differs from `seen`, then makes
// `seen` equal to `un` (board and frame alike) and `mark` the log's present. Within a session
// only the logged cells are looked at; otherwise the boards are compared sixteen bytes at a
// time.
template <class Change>
inline void for_changed_cells(const SearchBoard& board, char (&seen)[JZ_SIDE][JZ_SIDE],
                              LogMark& mark, Change change) {
    const UnLog& un_log = board.un_log;
    const auto& un      = board.un;
    if (un_log.on && mark.epoch == un_log.epoch && un_log.len - mark.pos <= UN_LOG_SIZE)
    {
        const auto visit = [&seen, &change, &un](int xy) {
            const int x = xy >> 8, y = xy & 255;
            const int was = seen[x][y], now = un[x][y];
            if (was != now)
            {
                change(x, y, was, now);
                seen[x][y] = static_cast<char>(now);
            }
        };
        if (mark.held >= 0)
            visit(mark.held);
        for (unsigned p = mark.pos; p != un_log.len; ++p)
            visit(un_log.cell[p & (UN_LOG_SIZE - 1)]);
        mark.pos  = un_log.len;
        mark.held = -1;
        return;
    }
    mark            = log_now(board);
    const int n     = BOARDSIZE < JZ_SIDE - 2 ? BOARDSIZE : JZ_SIDE - 2;  // at most 28
    const int first = JZ_SIDE;                                            // byte of un[1][0]
    const int end   = JZ_SIDE * (n + 1);  // byte after un[n][JZ_SIDE - 1]
    const char* now = &un[0][0];
    char* was       = reinterpret_cast<char*>(&seen);  // the whole board, row after row
    for (int off = first; off < end; off += 16)
    {
        // One bit per byte of the sixteen that differs.
        unsigned diff;
#if defined(__SSE2__)
        using Bytes = char __attribute__((vector_size(16)));
        Bytes a, b;
        std::memcpy(&a, now + off, 16);
        std::memcpy(&b, was + off, 16);
        diff = ~static_cast<unsigned>(__builtin_ia32_pmovmskb128(a == b)) & 0xffffu;
        if (diff == 0)
            continue;
#elif defined(__wasm_simd128__)
        diff = ~static_cast<unsigned>(wasm_i8x16_bitmask(
                   wasm_i8x16_eq(wasm_v128_load(now + off), wasm_v128_load(was + off)))) &
               0xffffu;
        if (diff == 0)
            continue;
#else
        uint64_t a[2], b[2];
        std::memcpy(a, now + off, 16);
        std::memcpy(b, was + off, 16);
        if (((a[0] ^ b[0]) | (a[1] ^ b[1])) == 0)
            continue;
        diff = 0;
        for (int k = 0; k < 16; ++k)
            diff |= static_cast<unsigned>(now[off + k] != was[off + k]) << k;
#endif
        for (; diff != 0; diff &= diff - 1)
        {
            const int k = off + __builtin_ctz(diff);
            const int x = k / JZ_SIDE, y = k % JZ_SIDE;
            if (x >= 1 && x <= n && y >= 1 && y <= n)
                change(x, y, static_cast<int>(was[k]), static_cast<int>(now[k]));
            was[k] = now[k];
        }
    }
}

// A new stone left out of a kept position: its cell and code; x = 0 when there is none.
struct LeftOutStone {
    int x = 0, y = 0, code = 0;
};

// Brings a kept position (its copy of the board in `seen`) up to `un` through commit(x, y, old,
// now) for every changed cell, except one new stone, which is returned instead and left empty
// in `seen`: between the children of one node the kept position then stays at the parent.
template <class Commit>
inline LeftOutStone sync_kept_position(const SearchBoard& b, char (&seen)[JZ_SIDE][JZ_SIDE],
                                       LogMark& mark, Commit commit) {
    constexpr int FEW = 8;
    int cx[FEW], cy[FEW], was[FEW], now[FEW];
    int changes = 0;
    for_changed_cells(b, seen, mark, [&](int x, int y, int old, int cur) {
        if (changes < FEW)
        {
            cx[changes]  = x;
            cy[changes]  = y;
            was[changes] = old;
            now[changes] = cur;
        }
        else
            commit(x, y, old, cur);
        ++changes;
    });
    const int placed = stone_to_leave_out(b, cx, cy, was, changes, FEW);
    for (int ch = 0; ch < changes && ch < FEW; ++ch)
        if (ch != placed)
            commit(cx[ch], cy[ch], was[ch], now[ch]);
    LeftOutStone out;
    if (placed >= 0)
    {
        seen[cx[placed]][cy[placed]] = 0;
        mark.held                    = cx[placed] << 8 | cy[placed];
        out                          = {cx[placed], cy[placed], now[placed]};
    }
    return out;
}
