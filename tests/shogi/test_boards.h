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

// Any code of either owner on any square, at a density from sparse endgame to crowded opening.
inline Board randomBoard(std::mt19937& random) {
    Board board = emptyBoard();
    const int density = std::uniform_int_distribution<int>(5, 60)(random);
    std::uniform_int_distribution<int> percent(0, 99), piece(Pawn, King), owner(0, 1);
    for (Cell& cell : board.cells) {
        if (percent(random) < density) {
            cell.piece = static_cast<std::int8_t>(piece(random));
            cell.owner = static_cast<std::int8_t>(owner(random));
        }
    }
    return board;
}

}  // namespace ixo
