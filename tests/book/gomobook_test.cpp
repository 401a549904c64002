// Opening book: the first- and second-move shaping of jz, and the pattern book walked through
// every line it knows, under the eight symmetries of the board.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "book/gomobook.h"
#include "game/Main.h"
#include "game/engine_rand.h"
#include "tests/support/picture.h"

namespace {

using Hash = unsigned long long;

// Point (x, y) of a board under symmetry g of the 9 by 9 area (0 is the identity).
template <class Board>
int& at(Board board, int g, int x, int y) {
    const int u = g & 1 ? 10 - x : x, v = g & 2 ? 10 - y : y;
    return g & 4 ? board[v][u] : board[u][v];
}

// A hash of jz over [0, side) squared, read through symmetry g.
Hash hash_jz(int g, int side, Hash h = 0) {
    for (int p = 0; p < side * side; ++p)
        h = (h ^ static_cast<unsigned>(at(jz, g, p / side, p % side))) * 1099511628211u;
    return h;
}

// Walks the book on a 9 by 9 board, whose one window is centred on (5, 5): every first and
// second stone on the inner 7 by 7 (where book stones lie), then from every position where the
// book speaks each point there as the next stone. A book position must give the same answers
// under all eight symmetries, and every one of its stones must be needed. `print` hashes all
// the answers, in walk order.
std::vector<int> moves;  // points as 10 x + y, the first player's first
Hash print = 0;

// Lays the moves under symmetry g, stone `gone` in the corner where no book stone lies, and runs
// the book: a hash of the answers read back through g, 0 when there are none.
Hash book(int g, size_t gone = 99) {
    std::memset(qp, 0, sizeof qp);
    std::memset(jz, 0, sizeof jz);
    i = static_cast<int>(moves.size()) + 1;
    for (size_t k = 0; k < moves.size(); ++k)  // the engine's stones are 1
        at(qp, g, k == gone ? 1 : moves[k] / 10, k == gone ? 1 : moves[k] % 10) =
            (k % 2 == 0) == (i % 2 == 1) ? 1 : 2;
    engine_srand(7);
    SOLVER();
    return hash_jz(g, 10);
}

void visit() {
    for (int p = 22; p <= 88; ++p)
    {
        if (p % 10 < 2 || p % 10 > 8 || std::count(moves.begin(), moves.end(), p) != 0)
            continue;
        moves.push_back(p);
        const Hash sig = book(0);
        for (int g = 1; g < 8 && sig != 0 && i > 3; ++g)  // move 3 draws in window order
            ASSERT_EQ(book(g), sig) << "symmetry " << g << " on move " << i;
        for (size_t k = 0; k < moves.size() && sig != 0; ++k)
            ASSERT_EQ(book(0, k), 0u) << "the book speaks without " << moves[k] << " on move " << i;
        print = print * 31 + sig;
        if (sig != 0 || moves.size() < 2)
            visit();
        moves.pop_back();
    }
}

}  // namespace

// Every answer of every book line: a change to any row (a stone, an answer, a weight, a spread,
// the move it is for) shows in the hash. Print it to take a deliberate change; the move-3
// spreads make it depend on the engine's generator.
TEST(Gomobook, WalkThroughEveryBookLine) {
    fresh_game(9);
    visit();
    EXPECT_EQ(print, 0x866e55edbd491da2ull);
}

// Moves 1 and 2 on boards of 8, 11, 12 and 15: the first move (25 over the central block, 3 by
// 3 on odd sides and 4 by 4 on even), the second with no stone, then with the first stone on
// each point in turn. Well inside, its eight neighbours gain 1000, and 50 more on the side
// facing (8, 8) (all eight when it is (8, 8)); near the edge, the middle of the board gains
// 1000 + 13 per step nearer the centre and the 9 by 9 rectangle around the stone, clipped to
// the board, 1000 + 20 per step nearer the stone. The 8 by 8 board's only inner point is
// (4, 4). A hash of all of jz per board; print them to take a deliberate change.
TEST(Gomobook, FirstTwoMovesShapeTheBoard) {
    std::vector<Hash> boards;
    for (int n : {8, 11, 12, 15})
    {
        boards.push_back(0);
        for (int p = -2; p < n * n; ++p)
        {
            fresh_game(n);
            qp[1 + std::max(p, 0) / n][1 + std::max(p, 0) % n] = p < 0 ? 0 : 2;
            // p = -2 is the first move, p = -1 the second without a stone
            i = p == -2 ? 1 : 2;
            GOMOBOOK();
            boards.back() = hash_jz(0, JZ_SIDE, boards.back());
        }
    }
    EXPECT_EQ(boards, std::vector<Hash>({0x22c93571bb0b0e7a, 0x9f8b6e94de8d08fd, 0xdd7b111db6e06950,
                                         0x3e6dd3e53774a657}));
}
