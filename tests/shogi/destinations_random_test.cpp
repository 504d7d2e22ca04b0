#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "shogi/move_map.h"
#include "shogi/test_boards.h"

namespace ixo {
namespace {

// Reachability asked the other way round: given a target, is it on one of the piece's lines
// or steps, with every square strictly between them empty? Forward is toward row 0.
bool reachable(const Board& board, int piece, int column, int row, int toColumn, int toRow) {
    const int dc = toColumn - column, dr = toRow - row;
    const int adc = std::abs(dc), adr = std::abs(dr);
    const Cell target = board.cellAt(toColumn, toRow);
    if ((dc == 0 && dr == 0) || (target.piece != Empty && target.owner == 0)) {
        return false;
    }
    auto pathClear = [&] {
        const int steps = adc > adr ? adc : adr;
        for (int k = 1; k < steps; ++k) {
            if (board.cellAt(column + dc / steps * k, row + dr / steps * k).piece != Empty) {
                return false;
            }
        }
        return true;
    };
    const bool neighbour = adc <= 1 && adr <= 1;
    const bool gold = neighbour && !(dr == 1 && adc == 1);
    const bool orthogonalLine = (dc == 0) != (dr == 0);
    const bool diagonalLine = adc == adr;
    switch (piece) {
        case Pawn:
            return dc == 0 && dr == -1;
        case Lance:
            return dc == 0 && dr < 0 && pathClear();
        case Knight:
            return adc == 1 && dr == -2;
        case Silver:
            return neighbour && dr != 0 && !(dr == 1 && dc == 0);
        case King:
            return neighbour;
        case Rook:
            return orthogonalLine && pathClear();
        case Bishop:
            return diagonalLine && pathClear();
        case PromotedRook:
            return neighbour || (orthogonalLine && pathClear());
        case PromotedBishop:
            return neighbour || (diagonalLine && pathClear());
        default:
            return gold;  // the gold and every promoted minor piece
    }
}

TEST(DestinationsOnRandomBoards, MarkExactlyTheSquaresOnTheMovesLinesWhoeverOwnsThePiece) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 400; ++round) {
        Board board = randomBoard(random);
        for (int from = 0; from < kSquareCount; ++from) {
            const int column = from % kBoardSize, row = from / kBoardSize;
            const int piece = board.cells[from].piece;
            if (piece == Empty) {
                continue;
            }
            MoveMap map;
            map.computeDestinations(board, column, row);
            for (int to = 0; to < kSquareCount; ++to) {
                const bool expected =
                    reachable(board, piece, column, row, to % kBoardSize, to / kBoardSize);
                ASSERT_EQ(map.marks[to], expected ? 1 : 0)
                    << "code " << piece << " from " << from << " to " << to;
            }
            Board otherOwner = board;
            otherOwner.cells[from].owner ^= 1;
            MoveMap again;
            again.computeDestinations(otherOwner, column, row);
            ASSERT_EQ(again, map);
        }
    }
}

}  // namespace
}  // namespace ixo
