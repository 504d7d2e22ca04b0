#include "record/replay.h"

#include "shogi/move.h"
#include "shogi/standard_movegen.h"

namespace ixo {

namespace {

std::string refusalReason(Refusal why, int piece, int side) {
    const std::string name = englishPieceName(piece);
    switch (why) {
        case Refusal::NotYourPiece:
            return std::string(sideName(side)) + " has no " + name + " in hand";
        case Refusal::CannotMoveThere:
            return "a " + name + " cannot move like that";
        case Refusal::LeavesKingInCheck:
            return piece == King
                       ? "the king would stand in check there"
                       : std::string("it would leave ") + sideName(side) + "'s king in check";
        case Refusal::TwoPawns:
            return std::string(sideName(side)) +
                   " already has an unpromoted pawn on that file (二歩)";
        case Refusal::PawnDropMate:
            return "a pawn may not be dropped to give mate (打ち歩詰め)";
        case Refusal::DeadPiece:
            return "a " + name + " there could never move again";
        case Refusal::BadPromotion:
            return "a " + name + " cannot promote on that move";
        case Refusal::GameOver:
            return "the game was already over";
        case Refusal::None:
            break;
    }
    return "the rules do not allow it";
}

bool replaySimple(Position& position, const WrittenMove& written, int toColumn, int toRow,
                  Move& made, std::string& why) {
    if (written.drop) {
        why = "drops are not part of this game";
        return false;
    }
    const int side = position.sideToMove;
    const Cell origin = position.board.cellAt(written.fromColumn, written.fromRow);
    if (origin.piece == Empty) {
        why = "no piece on the origin square";
        return false;
    }
    if (origin.owner != side) {
        why = "the piece on the origin square belongs to the other side";
        return false;
    }
    if (origin.piece != written.piece) {
        why = "the piece named is not the one on the origin square";
        return false;
    }
    Board board = position.board;
    if (!playMove(board, side, written.fromColumn, written.fromRow, toColumn, toRow, &made)) {
        why = "the piece cannot move there";
        return false;
    }
    if (made.promoted && written.declinesPromotion) {
        why = "不成, but promotion is forced there";
        return false;
    }
    if (made.promoted && !written.promotes) {
        why = "the piece promotes there, but the move has no 成";
        return false;
    }
    if (!made.promoted && written.promotes) {
        why = "成, but the piece does not promote there";
        return false;
    }
    position.board = board;
    position.sideToMove = 1 - side;
    return true;
}

bool replayStandard(Position& position, const WrittenMove& written, int toColumn, int toRow,
                    Move& made, std::string& why, StandardGame* game) {
    MoveRequest request;
    request.toColumn = toColumn;
    request.toRow = toRow;
    request.promote = written.promotes;
    const int side = position.sideToMove;
    const int named = written.piece;
    const std::string name = englishPieceName(named);
    if (written.drop) {
        if (named == King || (named != Gold && named % 2 == 0)) {
            why = "a " + name + " is never dropped";
            return false;
        }
        if (written.declinesPromotion || written.promotes) {
            why = "a dropped piece never promotes";
            return false;
        }
        request.dropPiece = named;
    } else {
        request.fromColumn = written.fromColumn;
        request.fromRow = written.fromRow;
        const Cell origin = position.board.cellAt(request.fromColumn, request.fromRow);
        const std::string square = squareName(request.fromColumn, request.fromRow);
        if (origin.piece == Empty) {
            why = "there is no piece on " + square;
            return false;
        }
        if (origin.owner != side) {
            why = "the piece on " + square + " is " + sideName(origin.owner) + "'s, and it is " +
                  sideName(side) + "'s move";
            return false;
        }
        if (origin.piece != named) {
            why = "the piece on " + square + " is a " + englishPieceName(origin.piece) +
                  ", not a " + name;
            return false;
        }
    }
    Refusal refusal = Refusal::None;
    const bool played = game ? game->play(request, &made, &refusal)
                             : playStandardMove(position, request, &made, &refusal);
    if (!played) {
        why = refusalReason(refusal, named, side);
        return false;
    }
    if (game) {
        position = game->position();
    }
    return true;
}

}  // namespace

bool replayWrittenMove(RuleSet rules, Position& position, const WrittenMove& written,
                       const Move* previous, Move& made, std::string& why, StandardGame* game) {
    int toColumn = written.toColumn, toRow = written.toRow;
    if (written.same) {
        if (!previous) {
            why = "同 with no move before it";
            return false;
        }
        toColumn = previous->toColumn;
        toRow = previous->toRow;
    }
    return rules == RuleSet::Simple
               ? replaySimple(position, written, toColumn, toRow, made, why)
               : replayStandard(position, written, toColumn, toRow, made, why, game);
}

WrittenMove writtenMoveOf(const Position& position, const MoveRequest& request,
                          std::string_view text) {
    WrittenMove written;
    written.toColumn = request.toColumn;
    written.toRow = request.toRow;
    written.text = text;
    if (request.isDrop()) {
        written.drop = true;
        written.piece = request.dropPiece;
    } else {
        written.hasOrigin = true;
        written.fromColumn = request.fromColumn;
        written.fromRow = request.fromRow;
        written.piece = position.board.cellAt(request.fromColumn, request.fromRow).piece;
        written.promotes = request.promote;
    }
    return written;
}

void applyRecordedMove(RuleSet rules, Position& position, const Move& move) {
    Board& board = position.board;
    const int side = move.owner != 0 ? 1 : 0;
    if (move.dropped) {
        std::uint8_t& held = position.hands[side][standard::handKindOf(move.piece)];
        held = held > 0 ? held - 1 : 0;
    } else {
        if (!Board::inBounds(move.fromColumn, move.fromRow)) {
            return;
        }
        board.cells[move.fromRow * kBoardSize + move.fromColumn] =
            Cell{Empty, 0, move.fromColumn, move.fromRow};
        if (move.captured != Empty && rules == RuleSet::Standard) {
            std::uint8_t& held = position.hands[side][standard::handKindOf(move.captured)];
            ++held;
        }
    }
    if (!Board::inBounds(move.toColumn, move.toRow)) {
        return;
    }
    const int piece = move.piece + (move.promoted ? 1 : 0);
    board.cells[move.toRow * kBoardSize + move.toColumn] = Cell{
        static_cast<std::int8_t>(piece), static_cast<std::int8_t>(side), move.toColumn, move.toRow};
    position.sideToMove = 1 - side;
}

Position positionAt(const GameRecord& record, const RecordNode& node) {
    Position position = record.start;
    for (const RecordNode* step : GameRecord::path(node)) {
        if (!step->isEnd()) {
            applyRecordedMove(record.rules, position, step->move);
        }
    }
    return position;
}

}  // namespace ixo
