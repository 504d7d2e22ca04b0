#include <gtest/gtest.h>

#include "shogi/board.h"

namespace ixo {
namespace {

TEST(Board, StartPositionGivesEachCampTwentyPiecesOnCellsThatKnowTheirSquare) {
    Board board;
    board.reset();
    int pieces[2] = {0, 0};
    for (int square = 0; square < kSquareCount; ++square) {
        const int column = square % kBoardSize, row = square / kBoardSize;
        const Cell cell = board.cellAt(column, row);
        EXPECT_EQ(cell.column, column);
        EXPECT_EQ(cell.row, row);
        EXPECT_EQ(cell.owner, (cell.piece != Empty && row <= 2) ? 1 : 0);
        EXPECT_EQ(board.isOwnPiece(column, row), cell.piece != Empty && row >= 6);
        pieces[cell.owner] += cell.piece != Empty ? 1 : 0;
    }
    EXPECT_EQ(pieces[0], 20);
    EXPECT_EQ(pieces[1], 20);
    // Each side has its rook on its own right.
    EXPECT_EQ(board.cellAt(7, 7).piece, Rook);
    EXPECT_EQ(board.cellAt(1, 1).piece, Rook);
}

TEST(Board, OffBoardSquaresReadAsNothingAndRefuseAPiece) {
    Board board;
    board.reset();
    const Board before = board;
    for (const auto& [column, row] : {std::pair{-1, 0}, {9, 9}, {9, 0}, {0, -1}, {4, 9}}) {
        EXPECT_EQ(board.cellAt(column, row), (Cell{0, 0, -1, -1}));
        EXPECT_FALSE(board.isOwnPiece(column, row));
        EXPECT_FALSE(board.place(column, row, Rook, 0));
    }
    EXPECT_EQ(board, before);
}

TEST(Board, PlacePromotesOnlyPromotableCodesInTheZoneOfTheirOwner) {
    const struct {
        int column, row, piece, owner, stored;
    } cases[] = {
        {4, 2, Pawn, 0, PromotedPawn}, {4, 3, Pawn, 0, Pawn},  {4, 6, Pawn, 1, PromotedPawn},
        {4, 5, Pawn, 1, Pawn},         {0, 0, Silver, 0, 12},  {2, 0, Lance, 1, Lance},
        {1, 1, Gold, 0, Gold},         {1, 7, King, 1, King},  {3, 7, 4, 1, 4},
        {0, 0, Pawn, 2, Pawn},         {0, 8, Rook, -1, Rook}, {5, 0, Empty, 0, Empty},
    };
    for (const auto& c : cases) {
        Board board;
        board.reset();
        ASSERT_TRUE(board.place(c.column, c.row, c.piece, c.owner));
        const Cell expected{static_cast<std::int8_t>(c.stored), static_cast<std::int8_t>(c.owner),
                            c.column, c.row};
        EXPECT_EQ(board.cellAt(c.column, c.row), expected) << c.column << "," << c.row;
    }
}

TEST(Board, FlipMirrorsRowsSwapsOwnersAndUndoesItself) {
    Board start;
    start.reset();
    const Board flipped = start.flipped();
    // Columns keep their numbers, so each side's rook and bishop trade wings.
    EXPECT_EQ(flipped.cellAt(1, 7), (Cell{Rook, 0, 1, 7}));
    EXPECT_EQ(flipped.cellAt(7, 1), (Cell{Rook, 1, 7, 1}));
    EXPECT_EQ(flipped.cellAt(4, 4), (Cell{Empty, 0, 4, 4}));
    EXPECT_EQ(flipped.flipped(), start);

    start.place(3, 4, Pawn, 5);
    EXPECT_EQ(start.flipped().cellAt(3, 4).owner, 0);
    EXPECT_EQ(start.flipped().flipped().cellAt(3, 4).owner, 1);
}

}  // namespace
}  // namespace ixo
