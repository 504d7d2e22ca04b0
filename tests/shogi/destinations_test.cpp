#include <gtest/gtest.h>

#include "shogi/move_map.h"
#include "shogi/test_boards.h"

namespace ixo {
namespace {

int destinationCount(const Board& board, int column, int row) {
    MoveMap map;
    map.computeDestinations(board, column, row);
    return map.count();
}

int countAlone(int piece, int column, int row) {
    Board board = emptyBoard();
    board.cells[row * kBoardSize + column].piece = static_cast<std::int8_t>(piece);
    return destinationCount(board, column, row);
}

TEST(Destinations, EveryPieceOnAnEmptyBoardReachesItsKnownNumberOfSquares) {
    const struct {
        int piece, column, row, count;
    } cases[] = {
        {Rook, 4, 4, 16},
        {Rook, 0, 0, 16},
        {Bishop, 4, 4, 16},
        {Bishop, 0, 0, 8},
        {PromotedRook, 4, 4, 20},
        {PromotedRook, 0, 0, 17},
        {PromotedBishop, 4, 4, 20},
        {PromotedBishop, 0, 0, 10},
        {King, 4, 4, 8},
        {King, 8, 0, 3},
        {Gold, 4, 4, 6},
        {Gold, 0, 0, 2},
        {Gold, 8, 8, 3},
        {Silver, 4, 4, 5},
        {Silver, 0, 8, 2},
        {Knight, 4, 4, 2},
        {Knight, 0, 4, 1},
        {Knight, 4, 1, 0},
        {Lance, 4, 8, 8},
        {Lance, 4, 0, 0},
        {Pawn, 4, 4, 1},
        {Pawn, 4, 0, 0},
        {PromotedPawn, 4, 4, 6},
        {PromotedLance, 0, 0, 2},
        {PromotedKnight, 4, 4, 6},
        {PromotedSilver, 8, 8, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(countAlone(c.piece, c.column, c.row), c.count)
            << "code " << c.piece << " at " << c.column << "," << c.row;
    }
}

TEST(Destinations, StartPositionGivesTheSideToMoveItsOpeningMovesOnEitherBoard) {
    Board blue;
    blue.reset();
    const Board red = blue.flipped();
    // Rows 6 to 8 of the side to move; the flip moves the rook to the other wing.
    const int blueCounts[3][9] = {
        {1, 1, 1, 1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0, 0, 6, 0}, {1, 0, 2, 3, 3, 3, 2, 0, 1}};
    for (int row = 6; row <= 8; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            const int mirrored = row == 7 ? 8 - column : column;
            EXPECT_EQ(destinationCount(blue, column, row), blueCounts[row - 6][column]);
            EXPECT_EQ(destinationCount(red, column, row), blueCounts[row - 6][mirrored]);
        }
    }
    MoveMap rook;
    rook.computeDestinations(blue, 7, 7);
    for (int column : {2, 3, 4, 5, 6, 8}) {
        EXPECT_TRUE(rook.isMarked(column, 7));
    }
}

TEST(Destinations, SlidesStopAtPiecesWhileKnightsAndStepsAreJudgedAlone) {
    Board board = emptyBoard();
    board.place(4, 4, Rook, 0);
    board.place(4, 2, Pawn, 1);
    board.place(4, 6, Pawn, 0);
    EXPECT_EQ(destinationCount(board, 4, 4), 8 + 2 + 1);

    board = emptyBoard();
    board.place(4, 4, Knight, 0);
    for (int column = 3; column <= 5; ++column) {
        board.place(column, 3, Pawn, 0);
    }
    board.place(5, 2, Pawn, 1);
    EXPECT_EQ(destinationCount(board, 4, 4), 2);
    board.place(3, 2, Pawn, 0);
    MoveMap map;
    map.computeDestinations(board, 4, 4);
    EXPECT_EQ(map.count(), 1);
    EXPECT_TRUE(map.isMarked(5, 2));

    // The promoted bishop's orthogonal steps do not depend on its blocked diagonals.
    board = emptyBoard();
    board.place(4, 4, PromotedBishop, 0);
    for (const auto& [column, row] : {std::pair{3, 3}, {5, 3}, {3, 5}, {5, 5}}) {
        board.place(column, row, Pawn, 0);
    }
    EXPECT_EQ(destinationCount(board, 4, 4), 4);
}

TEST(Destinations, TheOwnerOfTheMovingPieceDoesNotMatter) {
    Board board = emptyBoard();
    board.cells[4 * 9 + 4] = Cell{Pawn, 1, 4, 4};
    MoveMap map;
    map.computeDestinations(board, 4, 4);
    EXPECT_EQ(map.count(), 1);
    EXPECT_TRUE(map.isMarked(4, 3));
}

TEST(Destinations, EmptyOffBoardOrUnknownSquaresLeaveNoMarkEvenOverAStaleMap) {
    Board board = emptyBoard();
    MoveMap map;
    for (const auto& [column, row] : {std::pair{-1, 4}, {9, 4}, {4, -1}, {4, 9}, {4, 4}}) {
        map.marks.fill(1);
        map.computeDestinations(board, column, row);
        EXPECT_EQ(map.count(), 0);
    }
    for (int code : {-1, 15, 127, -128}) {
        board.cells[4 * 9 + 4].piece = static_cast<std::int8_t>(code);
        map.marks.fill(1);
        map.computeDestinations(board, 4, 4);
        EXPECT_EQ(map.count(), 0) << code;
    }
    board.cells[4 * 9 + 4].piece = Pawn;
    map.marks.fill(1);
    map.computeDestinations(board, 4, 4);
    EXPECT_EQ(map.count(), 1);
}

}  // namespace
}  // namespace ixo
