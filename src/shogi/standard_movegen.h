#pragma once

// The standard rules' move generator and attack test, shared by standard_rules.cpp and perft.
// Internal to the rules library: callers outside src/shogi use standard_rules.h.

#include <array>
#include <cstdint>

#include "shogi/movement.h"
#include "shogi/standard_rules.h"

namespace ixo {
namespace standard {

inline int squareOf(int column, int row) {
    return row * kBoardSize + column;
}

inline bool onBoard(RayCoordinate column, RayCoordinate row) {
    return column >= 0 && column < kBoardSize && row >= 0 && row < kBoardSize;
}

// How many of each kind one set holds, promoted forms counted with their kind.
constexpr int kPiecesInASet[King + 1] = {0, 18, 0, 2, 0, 2, 0, 4, 0, 4, 0, 4, 0, 4, 2};

// The letter SFEN and USI give each code; a promoted code shares its kind's letter.
constexpr char kLetterOf[King + 1] = {'\0', 'P', 'P', 'B', 'B', 'R', 'R', 'L',
                                      'L',  'N', 'N', 'S', 'S', 'G', 'K'};

// The unpromoted code of an upper-case letter; Empty for anything else.
inline int codeOfLetter(char letter) {
    for (int piece = Pawn; piece <= King; piece += piece < Silver ? 2 : 1) {
        if (kLetterOf[piece] == letter) {
            return piece;
        }
    }
    return Empty;
}

inline bool canPromote(int piece) {
    return piece >= Pawn && piece <= Silver && piece % 2 == 1;
}

// The kinds a hand can hold: every unpromoted piece but the king.
inline bool isHandKind(int piece) {
    return piece == Pawn || piece == Lance || piece == Knight || piece == Silver || piece == Gold ||
           piece == Bishop || piece == Rook;
}

// A captured piece goes to hand as it started the game.
inline int handKindOf(int piece) {
    return canPromote(piece - 1) && piece % 2 == 0 ? piece - 1 : piece;
}

inline bool inFarZone(int side, int row) {
    return side == 0 ? row <= 2 : row >= kBoardSize - 3;
}

// Whether an unpromoted piece standing on `row` could never move again: a pawn or lance on
// the last rank, a knight on the last two.
inline bool isDeadSquare(int piece, int side, int row) {
    const int ranksLeft = side == 0 ? row : kBoardSize - 1 - row;
    if (piece == Pawn || piece == Lance) {
        return ranksLeft < 1;
    }
    return piece == Knight && ranksLeft < 2;
}

// The table's reach folded into bits, so the attack test can ask "does this piece reach that
// neighbour" in one lookup. Neighbours are numbered (row + 1) * 3 + column + 1 in the
// owner's frame; the knight's two jumps are bits 9 and 10.
struct Reach {
    std::uint16_t steps;
    std::uint16_t rays;
};

constexpr int reachBit(int column, int row) {
    return row == -2 ? (column < 0 ? 9 : 10) : (row + 1) * 3 + column + 1;
}

constexpr std::array<Reach, King + 1> reachTable() {
    std::array<Reach, King + 1> reach{};
    for (int piece = 0; piece <= King; ++piece) {
        const Movement& moves = kMovements[kMovementOf[piece]];
        for (int i = 0; i < moves.stepCount; ++i) {
            reach[piece].steps |= static_cast<std::uint16_t>(
                1u << reachBit(moves.steps[i].column, moves.steps[i].row));
        }
        for (int i = 0; i < moves.rayCount; ++i) {
            reach[piece].rays |=
                static_cast<std::uint16_t>(1u << reachBit(moves.rays[i].column, moves.rays[i].row));
        }
    }
    return reach;
}
inline constexpr std::array<Reach, King + 1> kReach = reachTable();

constexpr Offset kNeighbours[8] = {kForward, kForwardRight, kRight, kBackRight,
                                   kBack,    kBackLeft,     kLeft,  kForwardLeft};

// The pseudo-legal destinations of the piece on `from` for its owner: the table's steps and
// rays with every row mirrored for Red, stopping at the edge and at own pieces, taking
// (and stopping at) the opponent's. `visit(to)` answers false to stop.
template <typename Visit>
inline bool forEachDestination(const Board& board, int from, Visit&& visit) {
    const Cell& moving = board.cells[from];
    if (moving.piece <= Empty || moving.piece > King) {
        return true;
    }
    const int side = moving.owner;
    const int forward = side == 0 ? 1 : -1;
    const int column = from % kBoardSize;
    const int row = from / kBoardSize;
    const Movement& moves = kMovements[kMovementOf[moving.piece]];
    for (int i = 0; i < moves.stepCount; ++i) {
        const int toColumn = column + moves.steps[i].column;
        const int toRow = row + moves.steps[i].row * forward;
        if (!onBoard(toColumn, toRow)) {
            continue;
        }
        const int to = squareOf(toColumn, toRow);
        const Cell& target = board.cells[to];
        if ((target.piece == Empty || target.owner != side) && !visit(to)) {
            return false;
        }
    }
    bool going = true;
    for (int i = 0; i < moves.rayCount && going; ++i) {
        walkRay(column, row, moves.rays[i].column, moves.rays[i].row * forward,
                [&](RayCoordinate toColumn, RayCoordinate toRow) {
                    if (!onBoard(toColumn, toRow)) {
                        return false;
                    }
                    const int to = squareOf(static_cast<int>(toColumn), static_cast<int>(toRow));
                    const Cell& target = board.cells[to];
                    if (target.piece != Empty && target.owner == side) {
                        return false;
                    }
                    going = visit(to);
                    return going && target.piece == Empty;
                });
    }
    return going;
}

// The first piece met walking from `square` along (columnStep, rowStep) attacks the square
// when it belongs to `attacker` and reaches back along that line: by a step when adjacent,
// by a ray at any distance.
inline bool attackedAlong(const Board& board, int square, int columnStep, int rowStep,
                          int attacker) {
    bool attacked = false;
    int distance = 0;
    walkRay(square % kBoardSize, square / kBoardSize, columnStep, rowStep,
            [&](RayCoordinate column, RayCoordinate row) {
                if (!onBoard(column, row)) {
                    return false;
                }
                ++distance;
                const Cell& cell =
                    board.cells[squareOf(static_cast<int>(column), static_cast<int>(row))];
                if (cell.piece == Empty) {
                    return true;
                }
                if (cell.owner == attacker && cell.piece > Empty && cell.piece <= King) {
                    // Seen from the attacker, the square lies the other way along the line.
                    const int bit = reachBit(-columnStep, attacker == 0 ? -rowStep : rowStep);
                    const Reach& reach = kReach[cell.piece];
                    attacked = (reach.rays >> bit & 1) != 0 ||
                               (distance == 1 && (reach.steps >> bit & 1) != 0);
                }
                return false;
            });
    return attacked;
}

// How many of `attacker`'s pieces jump onto `square` as a knight does. A knight lands two
// ranks ahead of itself, so it attacks from two ranks behind.
inline int knightAttacks(const Board& board, int square, int attacker) {
    const int column = square % kBoardSize;
    const int row = square / kBoardSize + (attacker == 0 ? 2 : -2);
    int attacks = 0;
    for (const int knightColumn : {column - 1, column + 1}) {
        if (onBoard(knightColumn, row)) {
            const Cell& cell = board.cells[squareOf(knightColumn, row)];
            attacks +=
                cell.owner == attacker && cell.piece > Empty && cell.piece <= King &&
                        (kReach[cell.piece].steps >> reachBit(column - knightColumn, -2) & 1) != 0
                    ? 1
                    : 0;
        }
    }
    return attacks;
}

inline bool isAttacked(const Board& board, int square, int attacker) {
    for (const Offset direction : kNeighbours) {
        if (attackedAlong(board, square, direction.column, direction.row, attacker)) {
            return true;
        }
    }
    return knightAttacks(board, square, attacker) > 0;
}

inline int kingSquare(const Board& board, int side) {
    for (int square = 0; square < kSquareCount; ++square) {
        if (board.cells[square].piece == King && board.cells[square].owner == side) {
            return square;
        }
    }
    return -1;
}

inline int sign(int value) {
    return (value > 0) - (value < 0);
}

// Whether moving the (pseudo-legal) piece from `from` to `to` leaves its side's king safe.
// The board is changed for the test and put back.
inline bool boardMoveIsSafe(Board& board, int from, int to, int king, bool checked) {
    Cell& origin = board.cells[from];
    Cell& target = board.cells[to];
    const int side = origin.owner;
    if (king < 0) {
        return true;
    }
    const Cell savedOrigin = origin;
    const Cell savedTarget = target;
    if (from == king) {
        origin.piece = Empty;
        origin.owner = 0;
        const bool safe = !isAttacked(board, to, 1 - side);
        origin = savedOrigin;
        return safe;
    }
    const int columnOffset = from % kBoardSize - king % kBoardSize;
    const int rowOffset = from / kBoardSize - king / kBoardSize;
    const bool aligned = columnOffset == 0 || rowOffset == 0 || columnOffset == rowOffset ||
                         columnOffset == -rowOffset;
    // Not in check, a piece off every line through its king cannot uncover an attack.
    if (!checked && !aligned) {
        return true;
    }
    target.piece = origin.piece;
    target.owner = origin.owner;
    origin.piece = Empty;
    origin.owner = 0;
    // Out of check only the line the piece left can open; in check every attack counts.
    const bool safe =
        checked ? !isAttacked(board, king, 1 - side)
                : !attackedAlong(board, king, sign(columnOffset), sign(rowOffset), 1 - side);
    origin = savedOrigin;
    target = savedTarget;
    return safe;
}

inline bool leavesKingSafe(Position& position, int from, int to) {
    const int side = position.board.cells[from].owner;
    const int king = kingSquare(position.board, side);
    const bool checked = king >= 0 && isAttacked(position.board, king, 1 - side);
    return boardMoveIsSafe(position.board, from, to, king, checked);
}

// The squares a drop may stop a check on: those between the king and its one sliding
// checker. Empty when the check is adjacent, by a knight, or double.
inline std::array<bool, kSquareCount> blockingSquares(const Board& board, int king, int side) {
    std::array<bool, kSquareCount> between{};
    int checkers = 0;
    std::array<bool, kSquareCount> line{};
    for (const Offset direction : kNeighbours) {
        if (!attackedAlong(board, king, direction.column, direction.row, 1 - side)) {
            continue;
        }
        ++checkers;
        line = {};
        walkRay(king % kBoardSize, king / kBoardSize, direction.column, direction.row,
                [&](RayCoordinate column, RayCoordinate row) {
                    if (!onBoard(column, row)) {
                        return false;
                    }
                    const int square = squareOf(static_cast<int>(column), static_cast<int>(row));
                    if (board.cells[square].piece != Empty) {
                        return false;
                    }
                    line[square] = true;
                    return true;
                });
    }
    checkers += knightAttacks(board, king, 1 - side);
    if (checkers == 1) {
        between = line;
    }
    return between;
}

Move makeMove(Position& position, const MoveRequest& request);
void unmakeMove(Position& position, const Move& move);
bool hasLegalMove(Position& position);

// Whether a pawn of `side` dropped on `to` mates: it must check from the square in front of
// the king, and the opponent must then have no legal move.
inline bool pawnDropMates(Position& position, int side, int to) {
    const int kingRow = to / kBoardSize + (side == 0 ? -1 : 1);
    if (kingRow < 0 || kingRow >= kBoardSize) {
        return false;
    }
    const Cell& front = position.board.cells[squareOf(to % kBoardSize, kingRow)];
    if (front.piece != King || front.owner != 1 - side) {
        return false;
    }
    MoveRequest drop;
    drop.dropPiece = Pawn;
    drop.toColumn = to % kBoardSize;
    drop.toRow = to / kBoardSize;
    const Move made = makeMove(position, drop);
    const bool mated = !hasLegalMove(position);
    unmakeMove(position, made);
    return mated;
}

// Every legal move of the side to move, board moves first, promotions and non-promotions
// both where both are allowed. `visit(request)` answers false to stop; the result is false
// when it did. The position is changed while judging and always put back.
template <typename Visit>
bool forEachLegalMove(Position& position, Visit&& visit) {
    Board& board = position.board;
    const int side = position.sideToMove;
    const int king = kingSquare(board, side);
    const bool checked = king >= 0 && isAttacked(board, king, 1 - side);
    unsigned pawnFiles = 0;
    for (int from = 0; from < kSquareCount; ++from) {
        const Cell& cell = board.cells[from];
        if (cell.piece == Empty || cell.owner != side) {
            continue;
        }
        if (cell.piece == Pawn) {
            pawnFiles |= 1u << (from % kBoardSize);
        }
        const int piece = cell.piece;
        const int fromRow = from / kBoardSize;
        const bool promotable = canPromote(piece);
        const bool going = forEachDestination(board, from, [&](int to) {
            if (!boardMoveIsSafe(board, from, to, king, checked)) {
                return true;
            }
            MoveRequest move;
            move.fromColumn = from % kBoardSize;
            move.fromRow = fromRow;
            move.toColumn = to % kBoardSize;
            move.toRow = to / kBoardSize;
            if (promotable && (inFarZone(side, fromRow) || inFarZone(side, move.toRow))) {
                move.promote = true;
                if (!visit(static_cast<const MoveRequest&>(move))) {
                    return false;
                }
                if (isDeadSquare(piece, side, move.toRow)) {
                    return true;
                }
                move.promote = false;
            }
            return static_cast<bool>(visit(static_cast<const MoveRequest&>(move)));
        });
        if (!going) {
            return false;
        }
    }
    const Hand& hand = position.hands[side];
    constexpr int kKinds[] = {Rook, Bishop, Gold, Silver, Knight, Lance, Pawn};
    bool holdsAny = false;
    for (const int piece : kKinds) {
        holdsAny = holdsAny || hand[piece] > 0;
    }
    if (!holdsAny) {
        return true;
    }
    std::array<bool, kSquareCount> allowed;
    if (checked) {
        allowed = blockingSquares(board, king, side);
    } else {
        allowed.fill(true);
    }
    for (const int piece : kKinds) {
        if (hand[piece] == 0) {
            continue;
        }
        for (int to = 0; to < kSquareCount; ++to) {
            if (!allowed[to] || board.cells[to].piece != Empty) {
                continue;
            }
            const int row = to / kBoardSize;
            if (isDeadSquare(piece, side, row)) {
                continue;
            }
            if (piece == Pawn &&
                ((pawnFiles >> (to % kBoardSize) & 1) != 0 || pawnDropMates(position, side, to))) {
                continue;
            }
            MoveRequest move;
            move.dropPiece = piece;
            move.toColumn = to % kBoardSize;
            move.toRow = row;
            if (!visit(static_cast<const MoveRequest&>(move))) {
                return false;
            }
        }
    }
    return true;
}

// Judges a drop of `piece` (held by the side to move) on the empty square `to`.
Refusal judgeDrop(Position& position, int piece, int to);

}  // namespace standard
}  // namespace ixo
