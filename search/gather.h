// Gathering the points of jiazhi that reach a threshold, and selecting the best of them, for
// the candidate lists of the move generators (the public calls are in search/movegen.h).
#pragma once

#include <cstdint>

struct SearchThread;

// Points gathered for selection (SearchThread::gathered), each packed in one key that orders them
// as the stable sort does: the score in the high half (sign flipped so unsigned order is score
// order), and below it the complement of (y, x), so that on equal scores the lower cell number is
// the larger key.
constexpr uint64_t SCORE_BIAS = 0x80000000u;
constexpr int ORDER_MASK      = 0xffff;
inline uint64_t pack(int x, int y, int v) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(v) ^ SCORE_BIAS) << 32) |
           static_cast<uint64_t>(ORDER_MASK - (y * 32 + x));
}
inline int packed_score(uint64_t key) {
    return static_cast<int>(static_cast<uint32_t>(key >> 32) ^ SCORE_BIAS);
}
inline int packed_x(uint64_t key) { return (ORDER_MASK - static_cast<int>(key & ORDER_MASK)) & 31; }
inline int packed_y(uint64_t key) { return (ORDER_MASK - static_cast<int>(key & ORDER_MASK)) >> 5; }

constexpr int RANKED_SELECTION = 32;  // at most this many points are placed by counting

// A lower bound of the wanted-th highest score of the gathered points (at least `wanted` of
// them): the lowest score of the size class it falls in.
int wanted_floor(SearchThread& t, int wanted);
