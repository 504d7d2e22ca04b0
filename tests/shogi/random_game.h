#pragma once

#include <random>
#include <vector>

#include "shogi/move.h"
#include "shogi/move_map.h"

namespace ixo {

struct SquarePair {
    int fromColumn, fromRow, toColumn, toRow;
};

// Every move `side` may make, in screen squares, found the way a player finds them: the
// destinations of each own piece in that side's frame.
inline std::vector<SquarePair> movesOf(const Board& board, int side) {
    const Board frame = side == 0 ? board : board.flipped();
    const auto screenRow = [side](int row) { return side == 0 ? row : kBoardSize - 1 - row; };
    std::vector<SquarePair> moves;
    MoveMap map;
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            if (!frame.isOwnPiece(column, row)) {
                continue;
            }
            map.computeDestinations(frame, column, row);
            for (int square = 0; square < kSquareCount; ++square) {
                if (map.marks[square]) {
                    moves.push_back({column, screenRow(row), square % kBoardSize,
                                     screenRow(square / kBoardSize)});
                }
            }
        }
    }
    return moves;
}

// Whether the other side could take `side`'s king next: standard shogi forbids a move that
// allows it, this game does not, so games meant for other programs avoid it.
inline bool kingExposed(const Board& board, int side) {
    for (const SquarePair& reply : movesOf(board, 1 - side)) {
        const Cell target = board.cellAt(reply.toColumn, reply.toRow);
        if (target.piece == King && target.owner == side) {
            return true;
        }
    }
    return false;
}

// Up to `length` random moves from the start position, Blue first; shorter when a side has
// no move left. With `standardLegal`, no move leaves the mover's own king exposed, so that
// programs enforcing the full rules of shogi accept the game too.
inline std::vector<Move> randomGame(std::mt19937& random, int length, bool standardLegal = false) {
    Board board;
    board.reset();
    std::vector<Move> game;
    for (int side = 0; static_cast<int>(game.size()) < length; side = 1 - side) {
        std::vector<SquarePair> moves = movesOf(board, side);
        if (standardLegal) {
            std::vector<SquarePair> safe;
            for (const SquarePair& move : moves) {
                Board after = board;
                playMove(after, side, move.fromColumn, move.fromRow, move.toColumn, move.toRow);
                if (!kingExposed(after, side)) {
                    safe.push_back(move);
                }
            }
            moves.swap(safe);
        }
        if (moves.empty()) {
            break;
        }
        const SquarePair& chosen =
            moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(random)];
        Move made;
        playMove(board, side, chosen.fromColumn, chosen.fromRow, chosen.toColumn, chosen.toRow,
                 &made);
        game.push_back(made);
    }
    return game;
}

}  // namespace ixo
