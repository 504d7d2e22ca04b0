#include <gtest/gtest.h>

#include "shogi/board.h"

namespace ixo {
namespace {

Board startBoard() {
    Board board;
    board.reset();
    return board;
}

TEST(Board, StartPositionGivesEachCampTwentyPiecesAndKeepsCellsOnTheirSquares) {
    const Board board = startBoard();
    int pieces[2] = {0, 0};
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            const Cell cell = board.cellAt(column, row);
            EXPECT_EQ(cell.column, column);
            EXPECT_EQ(cell.row, row);
            EXPECT_EQ(cell.owner, (cell.piece != Empty && row <= 2) ? 1 : 0) << column << row;
            EXPECT_EQ(board.isOwnPiece(column, row), cell.piece != Empty && row >= 6);
            if (cell.piece != Empty) {
                ++pieces[cell.owner];
            }
        }
    }
    EXPECT_EQ(pieces[0], 20);
    EXPECT_EQ(pieces[1], 20);
    EXPECT_EQ(board.cellAt(7, 7).piece, Rook);
    EXPECT_EQ(board.cellAt(1, 1).piece, Rook);
    EXPECT_EQ(board.cellAt(4, 8).piece, King);
}

TEST(Board, OffBoardSquaresReadAsNothingAndAreNeverOwn) {
    const Board board = startBoard();
    for (const auto& [column, row] : {std::pair{-1, 0}, {9, 9}, {0, 9}, {9, 8}, {-5, -5}}) {
        EXPECT_EQ(board.cellAt(column, row), (Cell{0, 0, -1, -1}));
        EXPECT_FALSE(board.isOwnPiece(column, row));
        EXPECT_FALSE(Board::inBounds(column, row));
    }
}

TEST(Board, PlacePromotesOnlyInTheZoneOfTheOwnerAndOnlyPromotableCodes) {
    struct Case {
        int column, row, piece, owner, stored;
    };
    const Case cases[] = {
        {4, 2, Pawn, 0, PromotedPawn}, {4, 3, Pawn, 0, Pawn},     {4, 6, Pawn, 1, PromotedPawn},
        {4, 5, Pawn, 1, Pawn},         {0, 0, Silver, 0, 12},     {8, 8, Knight, 1, 10},
        {2, 0, Lance, 1, Lance},       {0, 8, Bishop, 0, Bishop}, {1, 1, Gold, 0, Gold},
        {1, 7, King, 1, King},         {0, 0, 6, 0, 6},           {3, 7, 4, 1, 4},
        {0, 0, Pawn, 2, Pawn},         {0, 8, Rook, -1, Rook},    {5, 0, Empty, 0, Empty},
    };
    for (const Case& c : cases) {
        Board board = startBoard();
        ASSERT_TRUE(board.place(c.column, c.row, c.piece, c.owner));
        const Cell expected{static_cast<std::int8_t>(c.stored), static_cast<std::int8_t>(c.owner),
                            c.column, c.row};
        EXPECT_EQ(board.cellAt(c.column, c.row), expected) << c.column << "," << c.row;
    }
}

TEST(Board, PlaceOffTheBoardIsRefusedAndChangesNothing) {
    for (const auto& [column, row] : {std::pair{9, 0}, {0, -1}, {-1, 4}, {4, 9}}) {
        Board board = startBoard();
        EXPECT_FALSE(board.place(column, row, Rook, 0));
        EXPECT_EQ(board, startBoard());
    }
}

TEST(Board, FlipMirrorsRowsSwapsOwnersAndUndoesItself) {
    const Board start = startBoard();
    const Board flipped = start.flipped();
    // Rows mirror but columns do not: each side's rook and bishop change sides.
    EXPECT_EQ(flipped.cellAt(1, 7), (Cell{Rook, 0, 1, 7}));
    EXPECT_EQ(flipped.cellAt(7, 7), (Cell{Bishop, 0, 7, 7}));
    EXPECT_EQ(flipped.cellAt(1, 1), (Cell{Bishop, 1, 1, 1}));
    EXPECT_EQ(flipped.cellAt(7, 1), (Cell{Rook, 1, 7, 1}));
    EXPECT_EQ(flipped.cellAt(4, 4), (Cell{Empty, 0, 4, 4}));
    EXPECT_EQ(flipped.flipped(), start);

    Board odd = start;
    odd.place(3, 4, Pawn, 5);
    EXPECT_EQ(odd.flipped().cellAt(3, 4).owner, 0);
    EXPECT_EQ(odd.flipped().flipped().cellAt(3, 4), (Cell{Pawn, 1, 3, 4}));
}

}  // namespace
}  // namespace ixo
