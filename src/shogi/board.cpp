#include "shogi/board.h"

namespace ixo {

// clang-format off
const std::array<std::int8_t, kSquareCount> kStartPosition = {
    Lance, Knight, Silver, Gold, King, Gold, Silver, Knight, Lance,
    Empty, Rook,   Empty,  Empty, Empty, Empty, Empty, Bishop, Empty,
    Pawn,  Pawn,   Pawn,   Pawn, Pawn, Pawn, Pawn,   Pawn,   Pawn,
    Empty, Empty,  Empty,  Empty, Empty, Empty, Empty, Empty,  Empty,
    Empty, Empty,  Empty,  Empty, Empty, Empty, Empty, Empty,  Empty,
    Empty, Empty,  Empty,  Empty, Empty, Empty, Empty, Empty,  Empty,
    Pawn,  Pawn,   Pawn,   Pawn, Pawn, Pawn, Pawn,   Pawn,   Pawn,
    Empty, Bishop, Empty,  Empty, Empty, Empty, Empty, Rook,   Empty,
    Lance, Knight, Silver, Gold, King, Gold, Silver, Knight, Lance,
};
// clang-format on

namespace {

// Red's camp is the top three rows; everything that starts below belongs to Blue.
constexpr int kLastRedStartRow = 2;

constexpr int indexOf(int column, int row) {
    return row * kBoardSize + column;
}

bool inPromotionZone(int owner, int row) {
    if (owner == 0) {
        return row <= 2;
    }
    if (owner == 1) {
        return row >= kBoardSize - 3;
    }
    // Anything else is not a side of the game, so it has no zone to enter.
    return false;
}

// Only the odd codes below Gold have a promoted form, always the next code up.
int promotedCode(int piece) {
    if (piece >= Pawn && piece <= Silver && piece % 2 == 1) {
        return piece + 1;
    }
    return piece;
}

}  // namespace

void Board::reset() {
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            const std::int8_t piece = kStartPosition[indexOf(column, row)];
            const std::int8_t owner = (piece > 0 && row <= kLastRedStartRow) ? 1 : 0;
            cells[indexOf(column, row)] = Cell{piece, owner, column, row};
        }
    }
}

bool Board::inBounds(int column, int row) {
    return column >= 0 && column < kBoardSize && row >= 0 && row < kBoardSize;
}

Cell Board::cellAt(int column, int row) const {
    if (!inBounds(column, row)) {
        // The pointer can be anywhere in the window; an off-board square reads as nothing at
        // all, with a square that no cell of the board carries.
        return Cell{Empty, 0, -1, -1};
    }
    return cells[indexOf(column, row)];
}

bool Board::isOwnPiece(int column, int row) const {
    const Cell cell = cellAt(column, row);
    return cell.piece != Empty && cell.owner == 0;
}

bool Board::place(int column, int row, int piece, int owner) {
    if (!inBounds(column, row)) {
        return false;
    }
    // Promotion is forced: there is no dialogue, so a piece that reaches the zone simply
    // turns over, and one already turned over stays as it is.
    const int stored = inPromotionZone(owner, row) ? promotedCode(piece) : piece;
    cells[indexOf(column, row)] =
        Cell{static_cast<std::int8_t>(stored), static_cast<std::int8_t>(owner), column, row};
    return true;
}

Board Board::flipped() const {
    Board result;
    for (int row = 0; row < kBoardSize; ++row) {
        for (int column = 0; column < kBoardSize; ++column) {
            Cell cell = cells[indexOf(column, kBoardSize - 1 - row)];
            cell.row = kBoardSize - 1 - cell.row;
            // Empty cells keep owner 0, which the square rule relies on to tell an empty
            // square from an opponent's piece.
            if (cell.piece != Empty) {
                cell.owner = cell.owner == 0 ? 1 : 0;
            }
            result.cells[indexOf(column, row)] = cell;
        }
    }
    return result;
}

}  // namespace ixo
