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

constexpr int kBoardRight = kBoardLeft + kBoardSize * kSquareSize;
constexpr int kBoardBottom = kBoardTop + kBoardSize * kSquareSize;

struct Box {
    int left;
    int top;
    int width;
    int height;

    constexpr bool contains(std::int32_t x, std::int32_t y) const {
        return x >= left && x < left + width && y >= top && y < top + height;
    }
};

// Pieces in hand, standard rules only. Each kind keeps its own place whether held or not, so
// a hand never shifts under the pointer when a count changes. Blue's stand is right of the
// board, level with its own back ranks; Red's is left of it, turned toward Red, so that it
// reads from the bottom up in the same order as Blue's from the top down.
constexpr int kHandSlotWidth = 50;
constexpr int kHandSlotHeight = 56;
constexpr int kHandKindCount = 7;
constexpr std::int8_t kHandKinds[kHandKindCount] = {Rook,   Bishop, Gold, Silver,
                                                    Knight, Lance,  Pawn};

// Where `side` keeps the kind at `index` of kHandKinds.
constexpr Box handSlot(int side, int index) {
    if (side == 0) {
        return index < 4
                   ? Box{600 + kHandSlotWidth * index, 488, kHandSlotWidth, kHandSlotHeight}
                   : Box{650 + kHandSlotWidth * (index - 4), 544, kHandSlotWidth, kHandSlotHeight};
    }
    return Box{7, kBoardTop + kHandSlotHeight * (kHandKindCount - 1 - index), kHandSlotWidth,
               kHandSlotHeight};
}

struct HandPlace {
    int side;   // -1: not over a hand
    int index;  // into kHandKinds
};

constexpr HandPlace handPlaceAt(std::int32_t x, std::int32_t y) {
    for (int side = 0; side < 2; ++side) {
        for (int index = 0; index < kHandKindCount; ++index) {
            if (handSlot(side, index).contains(x, y)) {
                return {side, index};
            }
        }
    }
    return {-1, 0};
}

constexpr int handIndexOf(int kind) {
    for (int index = 0; index < kHandKindCount; ++index) {
        if (kHandKinds[index] == kind) {
            return index;
        }
    }
    return -1;
}

// The choice to promote covers two squares' width of the destination's row, centred on the
// destination and kept on the board: the promoted piece on the left, the piece as it is on
// the right.
constexpr Box promotionChoice(int column, int row) {
    const int centred = squareLeft(column) + kSquareSize / 2 - kSquareSize;
    const int left = centred < kBoardLeft                      ? kBoardLeft
                     : centred > kBoardRight - 2 * kSquareSize ? kBoardRight - 2 * kSquareSize
                                                               : centred;
    return {left, squareTop(row), 2 * kSquareSize, kSquareSize};
}

// One line of text under the board, for why a move was refused and what a key asks.
constexpr int kNoticeLeft = kBoardLeft;
constexpr int kNoticeTop = 566;

}  // namespace ixo
