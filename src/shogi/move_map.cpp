#include "shogi/move_map.h"

#include <cstdint>

#include "shogi/movement.h"

namespace ixo {

namespace {

using Coordinate = RayCoordinate;

bool onBoard(Coordinate column, Coordinate row) {
    return column >= 0 && column < kBoardSize && row >= 0 && row < kBoardSize;
}

// The one square rule. Every primitive funnels through here, so a square is judged the same
// way whether a step, a ray or a knight's jump reaches it.
bool judgeSquare(MoveMap& map, const Board& board, Coordinate column, Coordinate row) {
    if (!onBoard(column, row)) {
        return false;
    }
    const int index = static_cast<int>(row) * kBoardSize + static_cast<int>(column);
    const Cell& cell = board.cells[index];
    if (cell.piece != Empty && cell.owner == 0) {
        return false;
    }
    map.marks[index] = 1;
    // Only the owner is read: an empty cell always has owner 0, and anything owned by the
    // opponent is a capture that ends the slide.
    return cell.owner != 1;
}

}  // namespace

void MoveMap::clear() {
    marks.fill(0);
}

int MoveMap::count() const {
    int marked = 0;
    for (const std::uint8_t mark : marks) {
        marked += mark != 0 ? 1 : 0;
    }
    return marked;
}

bool MoveMap::isMarked(int column, int row) const {
    // Without the bounds test column 9 of one row would read column 0 of the next.
    if (!Board::inBounds(column, row)) {
        return false;
    }
    return marks[row * kBoardSize + column] == 1;
}

bool MoveMap::tryStep(const Board& board, int column, int row) {
    return judgeSquare(*this, board, column, row);
}

bool MoveMap::stepUpRight(const Board& board, int column, int row) {
    return judgeSquare(*this, board, Coordinate{column} + 1, Coordinate{row} - 1);
}

bool MoveMap::stepDownRight(const Board& board, int column, int row) {
    return judgeSquare(*this, board, Coordinate{column} + 1, Coordinate{row} + 1);
}

bool MoveMap::stepDownLeft(const Board& board, int column, int row) {
    return judgeSquare(*this, board, Coordinate{column} - 1, Coordinate{row} + 1);
}

bool MoveMap::stepUpLeft(const Board& board, int column, int row) {
    return judgeSquare(*this, board, Coordinate{column} - 1, Coordinate{row} - 1);
}

void MoveMap::ray(const Board& board, int column, int row, int columnStep, int rowStep) {
    walkRay(column, row, columnStep, rowStep, [&](Coordinate targetColumn, Coordinate targetRow) {
        return judgeSquare(*this, board, targetColumn, targetRow);
    });
}

void MoveMap::rayUp(const Board& board, int column, int row) {
    ray(board, column, row, 0, -1);
}

void MoveMap::rayUpRight(const Board& board, int column, int row) {
    ray(board, column, row, 1, -1);
}

void MoveMap::rayRight(const Board& board, int column, int row) {
    ray(board, column, row, 1, 0);
}

void MoveMap::rayDownRight(const Board& board, int column, int row) {
    ray(board, column, row, 1, 1);
}

void MoveMap::rayDown(const Board& board, int column, int row) {
    ray(board, column, row, 0, 1);
}

void MoveMap::rayDownLeft(const Board& board, int column, int row) {
    ray(board, column, row, -1, 1);
}

void MoveMap::rayLeft(const Board& board, int column, int row) {
    ray(board, column, row, -1, 0);
}

void MoveMap::rayUpLeft(const Board& board, int column, int row) {
    ray(board, column, row, -1, -1);
}

}  // namespace ixo
