#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "shogi/move_map.h"
#include "shogi/test_boards.h"

namespace ixo {
namespace {

// Reachability asked the other way round: is the target on one of the piece's steps or
// lines, with every square strictly between them empty? Forward is toward row 0.
bool reachable(const Board& board, int piece, int column, int row, int toColumn, int toRow) {
    const int dc = toColumn - column, dr = toRow - row, adc = std::abs(dc), adr = std::abs(dr);
    const Cell target = board.cellAt(toColumn, toRow);
    if ((dc == 0 && dr == 0) || (target.piece != Empty && target.owner == 0)) {
        return false;
    }
    auto pathClear = [&] {
        const int distance = std::max(adc, adr);
        for (int k = 1; k < distance; ++k) {
            if (board.cellAt(column + dc / distance * k, row + dr / distance * k).piece != Empty) {
                return false;
            }
        }
        return true;
    };
    const bool neighbour = adc <= 1 && adr <= 1;
    const bool straight = (dc == 0) != (dr == 0), diagonal = adc == adr;
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
            return straight && pathClear();
        case Bishop:
            return diagonal && pathClear();
        case PromotedRook:
            return neighbour || (straight && pathClear());
        case PromotedBishop:
            return neighbour || (diagonal && pathClear());
        default:
            return neighbour && !(dr == 1 && adc == 1);  // gold and promoted minors
    }
}

TEST(DestinationsOnRandomBoards, MarkExactlyTheReachableSquaresWhoeverOwnsThePiece) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 400; ++round) {
        const Board board = randomBoard(random);
        for (int from = 0; from < kSquareCount; ++from) {
            const int column = from % kBoardSize, row = from / kBoardSize;
            const int piece = board.cells[from].piece;
            MoveMap map;
            map.computeDestinations(board, column, row);
            for (int to = 0; to < kSquareCount; ++to) {
                const bool expected = piece != Empty && reachable(board, piece, column, row,
                                                                  to % kBoardSize, to / kBoardSize);
                ASSERT_EQ(map.marks[to], expected ? 1 : 0) << piece << " " << from << "-" << to;
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
