#pragma once

#include <set>
#include <string>

#include "shogi/board.h"
#include "shogi/move.h"
#include "shogi/random_game.h"

namespace ixo {

// The simple rules in USI notation, for games with fairy-stockfish under the shipped variant
// definition: column 0 is file 9 and row 0 rank a, as Blue sees the board.
inline std::string usiSquare(int column, int row) {
    return {static_cast<char>('9' - column), static_cast<char>('a' + row)};
}

// Our own simple rules' moves for `side`, in USI; promotion is forced, so a move that
// promotes exists only with its '+'.
inline std::set<std::string> ourMoves(const Board& board, int side) {
    std::set<std::string> moves;
    for (const SquarePair& move : movesOf(board, side)) {
        Board after = board;
        Move made;
        playMove(after, side, move.fromColumn, move.fromRow, move.toColumn, move.toRow, &made);
        moves.insert(usiSquare(move.fromColumn, move.fromRow) +
                     usiSquare(move.toColumn, move.toRow) + (made.promoted ? "+" : ""));
    }
    return moves;
}

// Plays a USI move of the simple rules on `board`; false when our rules refuse it.
inline bool playUsi(Board& board, int side, const std::string& move, Move* made) {
    if (move.size() < 4) {
        return false;
    }
    const int fromColumn = '9' - move[0];
    const int fromRow = move[1] - 'a';
    const int toColumn = '9' - move[2];
    const int toRow = move[3] - 'a';
    if (!Board::inBounds(fromColumn, fromRow) || !Board::inBounds(toColumn, toRow) ||
        board.cellAt(fromColumn, fromRow).piece == Empty ||
        board.cellAt(fromColumn, fromRow).owner != side || ourMoves(board, side).count(move) == 0) {
        return false;
    }
    return playMove(board, side, fromColumn, fromRow, toColumn, toRow, made);
}

}  // namespace ixo
