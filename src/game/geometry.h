#pragma once

#include <cstdint>

#include "shogi/board.h"

namespace ixo {

// Where the board sits in the window. The pointer mapping and the drawing both read these, so
// a click always lands on the square that is painted under it.
constexpr int kBoardLeft = 64;
constexpr int kBoardTop = 48;
constexpr int kSquareSize = 56;
constexpr int kWindowWidth = 800;

struct Square {
    int column;
    int row;
};

constexpr int squareLeft(int column) {
    return kBoardLeft + kSquareSize * column;
}
constexpr int squareTop(int row) {
    return kBoardTop + kSquareSize * row;
}

// Rounds toward minus infinity. Truncation would fold the strip left of the board and the
// strip above it into column 0 and row 0, so clicks on the background would act on squares.
constexpr int floorDivide(std::int64_t value, int divisor) {
    const std::int64_t quotient = value / divisor;
    return static_cast<int>(quotient * divisor > value ? quotient - 1 : quotient);
}

// The square under a window pixel; pixels off the board give squares off the board. Worked in
// 64 bits because the pointer comes from outside and may be any 32-bit value.
constexpr Square squareAt(std::int32_t x, std::int32_t y) {
    return {floorDivide(std::int64_t{x} - kBoardLeft, kSquareSize),
            floorDivide(std::int64_t{y} - kBoardTop, kSquareSize)};
}

// The same square seen from the other side of the board; columns are shared by both frames.
constexpr Square mirrorRow(Square square) {
    return {square.column, kBoardSize - 1 - square.row};
}

}  // namespace ixo
