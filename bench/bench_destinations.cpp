// How long one selection click costs the rules: computeDestinations for a single piece.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "shogi/move_map.h"

namespace {

using ixo::Board;
using ixo::MoveMap;

struct Selection {
    const Board* board;
    int column;
    int row;
};

std::vector<Selection> occupiedSquares(const std::vector<Board>& boards) {
    std::vector<Selection> selections;
    for (const Board& board : boards) {
        for (const ixo::Cell& cell : board.cells) {
            if (cell.piece != ixo::Empty) {
                selections.push_back({&board, cell.column, cell.row});
            }
        }
    }
    return selections;
}

// Positions such as a game reaches after some trading: 14 to 30 pieces of either side,
// promoted ones among them, scattered over the board.
std::vector<Board> midGameBoards(int count) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pieceCount(14, 30), square(0, ixo::kSquareCount - 1),
        code(ixo::Pawn, ixo::King), owner(0, 1);
    std::vector<Board> boards(count);
    for (Board& board : boards) {
        for (int index = 0; index < ixo::kSquareCount; ++index) {
            board.cells[index] = {ixo::Empty, 0, index % ixo::kBoardSize, index / ixo::kBoardSize};
        }
        for (int placed = pieceCount(random); placed > 0; --placed) {
            const int index = square(random);
            board.place(index % ixo::kBoardSize, index / ixo::kBoardSize, code(random),
                        owner(random));
        }
    }
    return boards;
}

void runSelections(benchmark::State& state, const std::vector<Selection>& selections) {
    MoveMap map;
    std::size_t next = 0;
    for (auto _ : state) {
        const Selection& selection = selections[next];
        map.computeDestinations(*selection.board, selection.column, selection.row);
        benchmark::DoNotOptimize(map.marks.data());
        benchmark::ClobberMemory();
        next = next + 1 == selections.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}

void startPosition(benchmark::State& state) {
    std::vector<Board> boards(1);
    boards[0].reset();
    runSelections(state, occupiedSquares(boards));
}
BENCHMARK(startPosition);

// A game judges one board that stays in cache, so the set is kept small enough to stay
// there too; otherwise the figure measures memory rather than the rules.
void midGame(benchmark::State& state) {
    const std::vector<Board> boards = midGameBoards(32);
    runSelections(state, occupiedSquares(boards));
}
BENCHMARK(midGame);

}  // namespace

BENCHMARK_MAIN();
