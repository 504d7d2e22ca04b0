#pragma once

#include <random>

#include "shogi/board.h"

namespace ixo {

inline Board emptyBoard() {
    Board board;
    for (int square = 0; square < kSquareCount; ++square) {
        board.cells[square] = Cell{Empty, 0, square % kBoardSize, square / kBoardSize};
    }
    return board;
}

// A mid-game-like position: any code on any square, either owner, at a random density.
inline Board randomBoard(std::mt19937& random) {
    Board board = emptyBoard();
    const int density = std::uniform_int_distribution<int>(5, 60)(random);
    std::uniform_int_distribution<int> percent(0, 99), piece(Pawn, King), owner(0, 1);
    for (int square = 0; square < kSquareCount; ++square) {
        if (percent(random) < density) {
            board.cells[square].piece = static_cast<std::int8_t>(piece(random));
            board.cells[square].owner = static_cast<std::int8_t>(owner(random));
        }
    }
    return board;
}

}  // namespace ixo
