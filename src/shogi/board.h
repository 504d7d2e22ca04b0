#pragma once

#include <array>
#include <cstdint>

namespace ixo {

// The piece code doubles as the number of the piece's pictures, so its values are fixed.
// Every odd code from Pawn to Silver promotes to the code one above it.
enum PieceCode : std::int8_t {
    Empty = 0,
    Pawn = 1,
    PromotedPawn = 2,
    Bishop = 3,
    PromotedBishop = 4,
    Rook = 5,
    PromotedRook = 6,
    Lance = 7,
    PromotedLance = 8,
    Knight = 9,
    PromotedKnight = 10,
    Silver = 11,
    PromotedSilver = 12,
    Gold = 13,
    King = 14,
};

constexpr int kBoardSize = 9;
constexpr int kSquareCount = kBoardSize * kBoardSize;

// One square. The cell carries its own square so that a copy of it (the scene's record of
// the selected piece) still knows where it came from.
struct Cell {
    std::int8_t piece;  // PieceCode; 0 is empty
    std::int8_t owner;  // 0 Blue, 1 Red; an empty cell has owner 0
    std::int32_t column;
    std::int32_t row;

    friend bool operator==(const Cell& a, const Cell& b) {
        return a.piece == b.piece && a.owner == b.owner && a.column == b.column && a.row == b.row;
    }
    friend bool operator!=(const Cell& a, const Cell& b) { return !(a == b); }
};

// Piece codes of the start position in square-index order (row * 9 + column), row 0 first.
extern const std::array<std::int8_t, kSquareCount> kStartPosition;

// The position: a plain value type, so the rules can judge a copy and the scene can work on
// a scratch board and keep it only when a move completes.
//
// Every rule judges for owner 0 moving toward row 0. Owner 1 plays on `flipped()`.
struct Board {
    std::array<Cell, kSquareCount> cells;

    void reset();
    Cell cellAt(int column, int row) const;  // {0, 0, -1, -1} off the board
    bool isOwnPiece(int column, int row) const;
    // Writes the whole cell, promoting by destination row and owner; false off the board.
    bool place(int column, int row, int piece, int owner);
    Board flipped() const;  // rows mirrored, owners of pieces toggled
    static bool inBounds(int column, int row);

    friend bool operator==(const Board& a, const Board& b) { return a.cells == b.cells; }
    friend bool operator!=(const Board& a, const Board& b) { return !(a == b); }
};

}  // namespace ixo
