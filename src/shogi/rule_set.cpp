#include "shogi/rule_set.h"

namespace ixo {

namespace {

// Red judges on the mirrored board, where its pieces are owner 0 moving toward row 0, so the
// one movement table serves both sides; columns are shared by both frames.
int frameRow(int side, int row) {
    return side != 0 ? kBoardSize - 1 - row : row;
}

MoveMap simpleDestinations(const Board& board, int column, int row) {
    MoveMap marks;
    marks.clear();
    const Cell cell = board.cellAt(column, row);
    if (cell.piece == Empty) {
        return marks;
    }
    const int side = cell.owner;
    MoveMap inFrame;
    inFrame.computeDestinations(side != 0 ? board.flipped() : board, column, frameRow(side, row));
    for (int index = 0; index < kSquareCount; ++index) {
        const int markedRow = index / kBoardSize;
        const int markedColumn = index % kBoardSize;
        marks.marks[frameRow(side, markedRow) * kBoardSize + markedColumn] = inFrame.marks[index];
    }
    return marks;
}

Refusal judgeSimpleMove(const Position& position, const MoveRequest& request) {
    if (request.isDrop()) {
        return Refusal::NotYourPiece;  // nothing is ever in hand
    }
    if (!Board::inBounds(request.fromColumn, request.fromRow)) {
        return Refusal::NotYourPiece;
    }
    const Cell moving = position.board.cellAt(request.fromColumn, request.fromRow);
    if (moving.piece == Empty || moving.owner != position.sideToMove) {
        return Refusal::NotYourPiece;
    }
    if (!Board::inBounds(request.toColumn, request.toRow)) {
        return Refusal::CannotMoveThere;
    }
    return simpleDestinations(position.board, request.fromColumn, request.fromRow)
                   .isMarked(request.toColumn, request.toRow)
               ? Refusal::None
               : Refusal::CannotMoveThere;
}

}  // namespace

Refusal judgeMove(const Position& position, const MoveRequest& request, RuleSet rules) {
    return rules == RuleSet::Standard ? judgeMove(position, request)
                                      : judgeSimpleMove(position, request);
}

bool playMove(Position& position, const MoveRequest& request, RuleSet rules, Move* made,
              Refusal* why) {
    if (rules == RuleSet::Standard) {
        return playStandardMove(position, request, made, why);
    }
    const Refusal refusal = judgeSimpleMove(position, request);
    if (why) {
        *why = refusal;
    }
    if (refusal != Refusal::None) {
        return false;
    }
    // Board::place promotes by the destination row, which is what the simple rules ask.
    playMove(position.board, position.sideToMove, request.fromColumn, request.fromRow,
             request.toColumn, request.toRow, made);
    position.sideToMove = 1 - position.sideToMove;
    return true;
}

void takeBackMove(Position& position, const Move& move, RuleSet rules) {
    if (rules == RuleSet::Standard) {
        takeBackStandardMove(position, move);
        return;
    }
    takeBackMove(position.board, move);
    position.sideToMove = move.owner;
}

Promotion promotionFor(const Position& position, int fromColumn, int fromRow, int toColumn,
                       int toRow, RuleSet rules) {
    if (rules == RuleSet::Standard) {
        return promotionFor(position, fromColumn, fromRow, toColumn, toRow);
    }
    if (!Board::inBounds(fromColumn, fromRow) || !Board::inBounds(toColumn, toRow)) {
        return Promotion::Impossible;
    }
    const Cell cell = position.board.cellAt(fromColumn, fromRow);
    const bool promotable = cell.piece >= Pawn && cell.piece <= Silver && cell.piece % 2 == 1;
    return promotable && frameRow(cell.owner, toRow) <= 2 ? Promotion::Forced
                                                          : Promotion::Impossible;
}

MoveMap legalDestinations(const Position& position, int column, int row, RuleSet rules) {
    if (rules == RuleSet::Simple) {
        return simpleDestinations(position.board, column, row);
    }
    const Cell cell = position.board.cellAt(column, row);
    if (cell.piece == Empty) {
        MoveMap none;
        none.clear();
        return none;
    }
    Position asMover = position;
    asMover.sideToMove = cell.owner;
    return legalDestinations(asMover, column, row);
}

}  // namespace ixo
