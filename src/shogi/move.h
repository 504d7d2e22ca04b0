#pragma once

#include <cstdint>

#include "shogi/board.h"

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
    // Placed from the mover's hand (standard rules only): `piece` is the kind dropped, the
    // origin is (-1, -1) and nothing is captured.
    bool dropped = false;

    friend bool operator==(const Move& a, const Move& b) {
        return a.fromColumn == b.fromColumn && a.fromRow == b.fromRow && a.toColumn == b.toColumn &&
               a.toRow == b.toRow && a.piece == b.piece && a.owner == b.owner &&
               a.captured == b.captured && a.capturedOwner == b.capturedOwner &&
               a.promoted == b.promoted && a.dropped == b.dropped;
    }
    friend bool operator!=(const Move& a, const Move& b) { return !(a == b); }
};

// What a move cost its mover, as a record's time column keeps it and the clock charges it.
struct MoveTime {
    std::int64_t usedMs = 0;
    std::int64_t totalMs = 0;  // the mover's total so far, this move included
    bool inTime = true;
};

// Moves `side`'s piece between two screen squares when the rules allow it there, judging
// in that side's own frame exactly as a click does, with forced promotion. On true the board
// holds the new position and `made` (if given) the move; on false nothing has changed. The
// turn controller and the record reader both come through here, so a move is only ever
// what a player could have made with the mouse.
bool playMove(Board& board, int side, int fromColumn, int fromRow, int toColumn, int toRow,
              Move* made = nullptr);

// Puts the position back as it was before `move`: the piece on its origin as it stood, and
// whatever it captured back on the destination with its owner.
void takeBackMove(Board& board, const Move& move);

}  // namespace ixo
