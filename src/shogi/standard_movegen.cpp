#include "shogi/standard_movegen.h"

namespace ixo {
namespace standard {

Move makeMove(Position& position, const MoveRequest& request) {
    const int side = position.sideToMove;
    Move move;
    move.owner = static_cast<std::int8_t>(side);
    move.toColumn = request.toColumn;
    move.toRow = request.toRow;
    Cell& target = position.board.cells[squareOf(request.toColumn, request.toRow)];
    if (request.isDrop()) {
        move.fromColumn = -1;
        move.fromRow = -1;
        move.piece = static_cast<std::int8_t>(request.dropPiece);
        move.dropped = true;
        --position.hands[side][request.dropPiece];
        target.piece = static_cast<std::int8_t>(request.dropPiece);
    } else {
        Cell& origin = position.board.cells[squareOf(request.fromColumn, request.fromRow)];
        move.fromColumn = request.fromColumn;
        move.fromRow = request.fromRow;
        move.piece = origin.piece;
        move.captured = target.piece;
        move.capturedOwner = target.piece != Empty ? target.owner : std::int8_t{0};
        move.promoted = request.promote;
        if (target.piece != Empty) {
            ++position.hands[side][handKindOf(target.piece)];
        }
        target.piece = static_cast<std::int8_t>(origin.piece + (request.promote ? 1 : 0));
        origin.piece = Empty;
        origin.owner = 0;
    }
    target.owner = static_cast<std::int8_t>(side);
    position.sideToMove = 1 - side;
    return move;
}

void unmakeMove(Position& position, const Move& move) {
    // A move that did not come from this position could name any square or hand; such a
    // move is ignored rather than read outside the board or wrap a count.
    const int side = move.owner;
    if (side < 0 || side > 1 || !Board::inBounds(move.toColumn, move.toRow)) {
        return;
    }
    Cell& target = position.board.cells[squareOf(move.toColumn, move.toRow)];
    if (move.dropped) {
        if (!isHandKind(move.piece)) {
            return;
        }
        ++position.hands[side][move.piece];
        target.piece = Empty;
        target.owner = 0;
    } else {
        if (!Board::inBounds(move.fromColumn, move.fromRow)) {
            return;
        }
        Cell& origin = position.board.cells[squareOf(move.fromColumn, move.fromRow)];
        origin.piece = move.piece;
        origin.owner = move.owner;
        target.piece = move.captured;
        target.owner = move.captured != Empty ? move.capturedOwner : std::int8_t{0};
        if (move.captured > Empty && move.captured <= King) {
            std::uint8_t& held = position.hands[side][handKindOf(move.captured)];
            held = held > 0 ? held - 1 : 0;
        }
    }
    position.sideToMove = side;
}

bool hasLegalMove(Position& position) {
    return !forEachLegalMove(position, [](const MoveRequest&) { return false; });
}

Refusal judgeDrop(Position& position, int piece, int to) {
    const int side = position.sideToMove;
    const int row = to / kBoardSize;
    if (isDeadSquare(piece, side, row)) {
        return Refusal::DeadPiece;
    }
    if (piece == Pawn) {
        for (int file = to % kBoardSize; file < kSquareCount; file += kBoardSize) {
            const Cell& cell = position.board.cells[file];
            if (cell.piece == Pawn && cell.owner == side) {
                return Refusal::TwoPawns;
            }
        }
    }
    // A drop only ever blocks a line, so it can leave the king in check only by failing to
    // stop a check already there.
    const int king = kingSquare(position.board, side);
    if (king >= 0 && isAttacked(position.board, king, 1 - side)) {
        Cell& target = position.board.cells[to];
        target.piece = static_cast<std::int8_t>(piece);
        target.owner = static_cast<std::int8_t>(side);
        const bool stillChecked = isAttacked(position.board, king, 1 - side);
        target.piece = Empty;
        target.owner = 0;
        if (stillChecked) {
            return Refusal::LeavesKingInCheck;
        }
    }
    if (piece == Pawn && pawnDropMates(position, side, to)) {
        return Refusal::PawnDropMate;
    }
    return Refusal::None;
}

}  // namespace standard
}  // namespace ixo
