#include "shogi/move.h"

#include "shogi/move_map.h"

namespace ixo {

bool playMove(Board& board, int side, int fromColumn, int fromRow, int toColumn, int toRow,
              Move* made) {
    if (!Board::inBounds(fromColumn, fromRow) || !Board::inBounds(toColumn, toRow)) {
        return false;
    }
    const Cell moving = board.cellAt(fromColumn, fromRow);
    if (moving.piece == Empty || moving.owner != side) {
        return false;
    }
    // Red's moves are judged on the mirrored board, where Red is owner 0 moving toward row 0,
    // so the one movement table serves both sides. Columns are shared by both frames.
    const bool mirrored = side != 0;
    const auto frameRow = [mirrored](int row) { return mirrored ? kBoardSize - 1 - row : row; };
    MoveMap destinations;
    destinations.computeDestinations(mirrored ? board.flipped() : board, fromColumn,
                                     frameRow(fromRow));
    if (!destinations.isMarked(toColumn, frameRow(toRow))) {
        return false;
    }
    const Cell target = board.cellAt(toColumn, toRow);
    board.place(toColumn, toRow, moving.piece, moving.owner);
    board.place(fromColumn, fromRow, Empty, 0);
    if (made) {
        made->fromColumn = fromColumn;
        made->fromRow = fromRow;
        made->toColumn = toColumn;
        made->toRow = toRow;
        made->piece = moving.piece;
        made->owner = moving.owner;
        made->captured = target.piece;
        made->capturedOwner = target.piece != Empty ? target.owner : 0;
        made->promoted = board.cellAt(toColumn, toRow).piece != moving.piece;
    }
    return true;
}

void takeBackMove(Board& board, const Move& move) {
    // Written whole rather than through place(), which would promote a piece put back into
    // its zone; the origin held it exactly as recorded.
    if (!Board::inBounds(move.fromColumn, move.fromRow) ||
        !Board::inBounds(move.toColumn, move.toRow)) {
        return;
    }
    board.cells[move.fromRow * kBoardSize + move.fromColumn] =
        Cell{move.piece, move.owner, move.fromColumn, move.fromRow};
    board.cells[move.toRow * kBoardSize + move.toColumn] =
        Cell{move.captured, move.captured != Empty ? move.capturedOwner : std::int8_t{0},
             move.toColumn, move.toRow};
}

}  // namespace ixo
