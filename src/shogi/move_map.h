#pragma once

#include <array>
#include <cstdint>

#include "shogi/board.h"

namespace ixo {

// The squares the selected piece may reach, 1 or 0 in square-index order.
//
// The movement primitives only ever add marks, so a caller clears once and lets several of
// them contribute. They judge squares for owner 0: an owner-0 piece blocks, an owner-1 piece
// may be captured and stops a slide.
struct MoveMap {
    std::array<std::uint8_t, kSquareCount> marks{};

    void clear();
    int count() const;
    bool isMarked(int column, int row) const;  // false off the board

    // The square rule on (column, row) itself; true when a slide may go on past it.
    bool tryStep(const Board& board, int column, int row);

    bool stepUpRight(const Board& board, int column, int row);
    bool stepDownRight(const Board& board, int column, int row);
    bool stepDownLeft(const Board& board, int column, int row);
    bool stepUpLeft(const Board& board, int column, int row);

    // One routine slides in any of the eight directions; the named rays are its callers.
    void ray(const Board& board, int column, int row, int columnStep, int rowStep);
    void rayUp(const Board& board, int column, int row);
    void rayUpRight(const Board& board, int column, int row);
    void rayRight(const Board& board, int column, int row);
    void rayDownRight(const Board& board, int column, int row);
    void rayDown(const Board& board, int column, int row);
    void rayDownLeft(const Board& board, int column, int row);
    void rayLeft(const Board& board, int column, int row);
    void rayUpLeft(const Board& board, int column, int row);

    // Clears the map, then marks every destination of the piece on (column, row) as if it
    // belonged to owner 0. Reads the piece code only.
    void computeDestinations(Board board, int column, int row);

    friend bool operator==(const MoveMap& a, const MoveMap& b) { return a.marks == b.marks; }
    friend bool operator!=(const MoveMap& a, const MoveMap& b) { return !(a == b); }
};

}  // namespace ixo
