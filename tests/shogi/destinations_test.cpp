#include <gtest/gtest.h>

#include "shogi/move_map.h"
#include "shogi/test_boards.h"

namespace ixo {
namespace {

int destinationCount(const Board& board, int column, int row) {
    MoveMap map;
    map.marks.fill(1);  // stale marks from an earlier selection must not survive
    map.computeDestinations(board, column, row);
    return map.count();
}

TEST(Destinations, EveryPieceAloneOnTheBoardReachesItsKnownNumberOfSquares) {
    const struct {
        int piece, column, row, count;
    } cases[] = {
        {Rook, 4, 4, 16},  {Rook, 0, 0, 16},  {Bishop, 4, 4, 16}, {Bishop, 0, 0, 8},
        {6, 4, 4, 20},     {6, 0, 0, 17},     {4, 4, 4, 20},      {4, 0, 0, 10},
        {King, 4, 4, 8},   {King, 8, 0, 3},   {Gold, 4, 4, 6},    {Gold, 0, 0, 2},
        {Gold, 8, 8, 3},   {Silver, 4, 4, 5}, {Silver, 0, 8, 2},  {Knight, 4, 4, 2},
        {Knight, 0, 4, 1}, {Knight, 4, 1, 0}, {Lance, 4, 8, 8},   {Lance, 4, 0, 0},
        {Pawn, 4, 4, 1},   {Pawn, 4, 0, 0},   {2, 4, 4, 6},       {8, 0, 0, 2},
        {10, 8, 8, 3},     {12, 4, 4, 6},
    };
    for (const auto& c : cases) {
        Board board = emptyBoard();
        board.place(c.column, c.row, c.piece, 2);  // no side's zone, so the code stays
        EXPECT_EQ(destinationCount(board, c.column, c.row), c.count)
            << "code " << c.piece << " at " << c.column << "," << c.row;
    }
}

TEST(Destinations, EmptyOffBoardAndUnknownSquaresGiveAnEmptyMap) {
    Board board = emptyBoard();
    for (const auto& [column, row] : {std::pair{-1, 4}, {9, 4}, {4, -1}, {4, 9}, {4, 4}}) {
        EXPECT_EQ(destinationCount(board, column, row), 0);
    }
    for (int code : {-1, 15, 127, -128}) {
        board.cells[4 * 9 + 4].piece = static_cast<std::int8_t>(code);
        EXPECT_EQ(destinationCount(board, 4, 4), 0) << code;
    }
}

}  // namespace
}  // namespace ixo
