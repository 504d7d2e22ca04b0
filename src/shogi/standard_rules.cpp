#include "shogi/standard_rules.h"

#include "shogi/movement.h"
#include "shogi/standard_movegen.h"

namespace ixo {

using namespace standard;

const char* refusalText(Refusal why) {
    switch (why) {
        case Refusal::None:
            return "";
        case Refusal::NotYourPiece:
            return "That is not a piece of yours to move";
        case Refusal::CannotMoveThere:
            return "The piece can't move like that";
        case Refusal::LeavesKingInCheck:
            return "That would leave your king in check";
        case Refusal::TwoPawns:
            return "A second pawn on that file";
        case Refusal::PawnDropMate:
            return "A pawn drop may not give mate";
        case Refusal::DeadPiece:
            return "The piece could never move from there";
        case Refusal::BadPromotion:
            return "The piece can't promote there";
        case Refusal::GameOver:
            return "The game is over";
    }
    return "";
}

Promotion promotionFor(const Position& position, int fromColumn, int fromRow, int toColumn,
                       int toRow) {
    if (!Board::inBounds(fromColumn, fromRow) || !Board::inBounds(toColumn, toRow)) {
        return Promotion::Impossible;
    }
    const Cell& cell = position.board.cells[squareOf(fromColumn, fromRow)];
    if (!canPromote(cell.piece) || cell.owner < 0 || cell.owner > 1) {
        return Promotion::Impossible;
    }
    if (!inFarZone(cell.owner, fromRow) && !inFarZone(cell.owner, toRow)) {
        return Promotion::Impossible;
    }
    return isDeadSquare(cell.piece, cell.owner, toRow) ? Promotion::Forced : Promotion::Optional;
}

Refusal judgeMove(const Position& position, const MoveRequest& request) {
    const int side = position.sideToMove;
    if (!Board::inBounds(request.toColumn, request.toRow)) {
        return Refusal::CannotMoveThere;
    }
    Position scratch = position;
    if (request.isDrop()) {
        const int piece = request.dropPiece;
        if (!isHandKind(piece) || position.hands[side][piece] == 0) {
            return Refusal::NotYourPiece;
        }
        if (position.board.cells[squareOf(request.toColumn, request.toRow)].piece != Empty) {
            return Refusal::CannotMoveThere;
        }
        if (request.promote) {
            return Refusal::BadPromotion;
        }
        return judgeDrop(scratch, piece, squareOf(request.toColumn, request.toRow));
    }
    if (!Board::inBounds(request.fromColumn, request.fromRow)) {
        return Refusal::NotYourPiece;
    }
    const Cell& moving = position.board.cells[squareOf(request.fromColumn, request.fromRow)];
    if (moving.piece <= Empty || moving.piece > King || moving.owner != side) {
        return Refusal::NotYourPiece;
    }
    const int from = squareOf(request.fromColumn, request.fromRow);
    const int to = squareOf(request.toColumn, request.toRow);
    bool reaches = false;
    forEachDestination(position.board, from, [&](int square) {
        reaches = reaches || square == to;
        return !reaches;
    });
    if (!reaches) {
        return Refusal::CannotMoveThere;
    }
    const Promotion promotion = promotionFor(position, request.fromColumn, request.fromRow,
                                             request.toColumn, request.toRow);
    if (request.promote && promotion == Promotion::Impossible) {
        return Refusal::BadPromotion;
    }
    if (!request.promote && promotion == Promotion::Forced) {
        return Refusal::DeadPiece;
    }
    return leavesKingSafe(scratch, from, to) ? Refusal::None : Refusal::LeavesKingInCheck;
}

bool playStandardMove(Position& position, const MoveRequest& request, Move* made, Refusal* why) {
    const Refusal refusal = judgeMove(position, request);
    if (why) {
        *why = refusal;
    }
    if (refusal != Refusal::None) {
        return false;
    }
    const Move move = makeMove(position, request);
    if (made) {
        *made = move;
    }
    return true;
}

void takeBackStandardMove(Position& position, const Move& move) {
    unmakeMove(position, move);
}

bool inCheck(const Position& position, int side) {
    if (side < 0 || side > 1) {
        return false;
    }
    const int king = kingSquare(position.board, side);
    return king >= 0 && isAttacked(position.board, king, 1 - side);
}

void legalMoves(const Position& position, std::vector<MoveRequest>& moves) {
    moves.clear();
    Position scratch = position;
    forEachLegalMove(scratch, [&](const MoveRequest& move) {
        moves.push_back(move);
        return true;
    });
}

bool hasLegalMove(const Position& position) {
    Position scratch = position;
    return standard::hasLegalMove(scratch);
}

MoveMap legalDestinations(const Position& position, int column, int row) {
    MoveMap map;
    if (!Board::inBounds(column, row)) {
        return map;
    }
    const Cell& cell = position.board.cells[squareOf(column, row)];
    if (cell.piece == Empty || cell.owner != position.sideToMove) {
        return map;
    }
    Position scratch = position;
    const int from = squareOf(column, row);
    forEachDestination(position.board, from, [&](int to) {
        if (leavesKingSafe(scratch, from, to)) {
            // A piece that may not stay unpromoted may still promote there, so the square
            // is lit whenever either choice is legal; every piece has one of them.
            map.marks[to] = 1;
        }
        return true;
    });
    return map;
}

MoveMap legalDrops(const Position& position, int dropPiece) {
    MoveMap map;
    const int side = position.sideToMove;
    if (!isHandKind(dropPiece) || side < 0 || side > 1 || position.hands[side][dropPiece] == 0) {
        return map;
    }
    Position scratch = position;
    for (int square = 0; square < kSquareCount; ++square) {
        if (position.board.cells[square].piece == Empty &&
            judgeDrop(scratch, dropPiece, square) == Refusal::None) {
            map.marks[square] = 1;
        }
    }
    return map;
}

namespace {

void appendSquare(std::string& text, int column, int row) {
    text += static_cast<char>('0' + (kBoardSize - column));
    text += static_cast<char>('a' + row);
}

bool readSquare(const std::string& text, std::size_t at, int& column, int& row) {
    if (at + 2 > text.size() || text[at] < '1' || text[at] > '9' || text[at + 1] < 'a' ||
        text[at + 1] > 'i') {
        return false;
    }
    column = kBoardSize - (text[at] - '0');
    row = text[at + 1] - 'a';
    return true;
}

}  // namespace

std::string usiMove(const MoveRequest& request) {
    std::string text;
    if (request.isDrop()) {
        const char letter = isHandKind(request.dropPiece) ? kLetterOf[request.dropPiece] : '?';
        text += letter;
        text += '*';
    } else {
        appendSquare(text, request.fromColumn, request.fromRow);
    }
    appendSquare(text, request.toColumn, request.toRow);
    if (request.promote) {
        text += '+';
    }
    return text;
}

bool parseUsiMove(const std::string& text, MoveRequest& request) {
    MoveRequest parsed;
    if (text.size() == 4 && text[1] == '*') {
        const int piece = codeOfLetter(text[0]);
        if (!isHandKind(piece) || !readSquare(text, 2, parsed.toColumn, parsed.toRow)) {
            return false;
        }
        parsed.dropPiece = piece;
        parsed.fromColumn = -1;
        parsed.fromRow = -1;
    } else if (text.size() == 4 || (text.size() == 5 && text[4] == '+')) {
        if (!readSquare(text, 0, parsed.fromColumn, parsed.fromRow) ||
            !readSquare(text, 2, parsed.toColumn, parsed.toRow)) {
            return false;
        }
        parsed.promote = text.size() == 5;
    } else {
        return false;
    }
    request = parsed;
    return true;
}

MoveRequest requestOf(const Move& move) {
    MoveRequest request;
    request.toColumn = move.toColumn;
    request.toRow = move.toRow;
    if (move.dropped) {
        request.dropPiece = move.piece;
    } else {
        request.fromColumn = move.fromColumn;
        request.fromRow = move.fromRow;
        request.promote = move.promoted;
    }
    return request;
}

}  // namespace ixo
