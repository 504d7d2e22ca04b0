#include "shogi/move_map.h"
#include "shogi/movement.h"

namespace ixo {

void MoveMap::computeDestinations(Board board, int column, int row) {
    clear();
    // The owner is deliberately ignored: on Red's turn the scene hands over a flipped board,
    // so whoever is to move is owner 0 here and one table serves both sides.
    const int piece = board.cellAt(column, row).piece;
    if (piece < Empty || piece > King) {
        return;
    }
    const Movement& moves = kMovements[kMovementOf[piece]];
    // An off-board square reads as Empty, so from here on the square is on the board and the
    // offsets below cannot leave the int range.
    for (int i = 0; i < moves.stepCount; ++i) {
        const Offset step = moves.steps[i];
        tryStep(board, column + step.column, row + step.row);
    }
    for (int i = 0; i < moves.rayCount; ++i) {
        const Offset direction = moves.rays[i];
        ray(board, column, row, direction.column, direction.row);
    }
}

}  // namespace ixo
