#pragma once

#include <cstdint>

namespace ixo {

// One move as it was made, in screen squares (column 0 at the left, row 0 at the top, as
// Blue sees the board), carrying everything needed to take it back: the piece as it stood
// before the move and whatever stood on its destination. The history, the game record and
// the sounds all read this one value.
struct Move {
    std::int32_t fromColumn = 0;
    std::int32_t fromRow = 0;
    std::int32_t toColumn = 0;
    std::int32_t toRow = 0;
    std::int8_t piece = 0;          // PieceCode before the move
    std::int8_t owner = 0;          // 0 Blue, 1 Red
    std::int8_t captured = 0;       // PieceCode taken on the destination; 0 for none
    std::int8_t capturedOwner = 0;  // 0 when nothing was taken
    bool promoted = false;          // the piece arrived as the next code up

    friend bool operator==(const Move& a, const Move& b) {
        return a.fromColumn == b.fromColumn && a.fromRow == b.fromRow && a.toColumn == b.toColumn &&
               a.toRow == b.toRow && a.piece == b.piece && a.owner == b.owner &&
               a.captured == b.captured && a.capturedOwner == b.capturedOwner &&
               a.promoted == b.promoted;
    }
    friend bool operator!=(const Move& a, const Move& b) { return !(a == b); }
};

}  // namespace ixo
